#pragma once

// The plain chromaticity chart the measured triangle is drawn on: the CIE 1931 x-y diagram
// with the spectral locus, its coloured gamut, a grid, labelled axes and the HDTV (BT.709)
// triangle for reference. Drawn in code, so the program needs no picture file.

#include <QImage>
#include <QPoint>
#include <QSize>

// 400 x 425 pixels. x = 0 lies on column 39 and y = 0 on row 388; 346 pixels span 0.8 in
// x and 370 pixels span 0.9 in y.
inline constexpr int kChartImageWidth = 400;
inline constexpr int kChartImageHeight = 425;

// The picture field that shows the image at its own size, centred: its top-left corner
// lies at (8, 12) of the field, so the axes lie at field column 47 and field row 400.
inline constexpr QSize kChartFieldSize(416, 450);
inline constexpr QPoint kChartImageOffset((416 - kChartImageWidth) / 2, (450 - kChartImageHeight) / 2);

QImage chromaticityChartImage();
