#pragma once

// Dialog units to pixels, the way Windows maps a dialog template: horizontal units are a
// quarter of the dialog font's average character width, vertical units an eighth of its
// character height. Laying the designed dialogs out through this keeps their proportions
// with whatever font the desktop gives us.

#include <QFont>
#include <QRect>
#include <QSize>

class DialogUnits {
public:
    // Base units measured from the font: the average width of the 52 Latin letters,
    // rounded, and the font's line height.
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight);

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    // Each edge is mapped on its own, so controls that touch in units touch in pixels.
    QRect toPixels(int x, int y, int width, int height) const;
    QSize toPixels(const QSize& units) const;

private:
    int baseWidth_;
    int baseHeight_;
};

#include <QString>
#include <QWidget>

// Names a control (tests find controls by name) and puts it at its designed place.
template <typename Control>
Control* placed(Control* control, const char* name, const DialogUnits& units, int x, int y, int width, int height)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(units.toPixels(x, y, width, height));
    return control;
}

// Our styles draw check marks and the wide capitals of common fonts bigger than the
// designed layouts allow for; a check box or radio button whose label would be cut off
// is made as wide as its label needs, keeping its left edge.
void widenToFitLabel(QWidget& control);

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
int mulDivRounded(int value, int numerator, int denominator);
