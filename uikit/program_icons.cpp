#include "uikit/program_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The drawings are laid out on a 64-pixel square and scaled to each size.
constexpr int kIconSide = 64;

QColor backgroundOf(ProgramKind program)
{
    switch (program) {
    case ProgramKind::Hubrin:
        return QColor(0x2d, 0x4a, 0x80);
    case ProgramKind::Patchora:
        return QColor(0x30, 0x30, 0x30);
    case ProgramKind::Ramvel:
        return QColor(0x1f, 0x6b, 0x4f);
    case ProgramKind::Trisola:
        return QColor(0x6a, 0x2c, 0x70);
    case ProgramKind::Flashbey:
        return QColor(0x8a, 0x4b, 0x12);
    case ProgramKind::Candora:
        return QColor(0x1d, 0x5e, 0x7a);
    }
    return Qt::black;
}

// The hub: four tiles, one per program the launcher starts.
void drawTiles(QPainter& painter)
{
    const QColor tiles[] = {QColor(0xe0, 0x40, 0x40), QColor(0x40, 0xc0, 0x50), QColor(0x50, 0x70, 0xf0), Qt::white};
    for (int i = 0; i < 4; ++i)
        painter.fillRect(QRect(14 + (i % 2) * 20, 14 + (i / 2) * 20, 16, 16), tiles[i]);
}

// A step wedge: grey bars from dark to light.
void drawWedge(QPainter& painter)
{
    for (int i = 0; i < 5; ++i) {
        const int grey = 40 + i * 50;
        painter.fillRect(QRect(10 + i * 9, 14, 9, 36), QColor(grey, grey, grey));
    }
}

// A display response curve over its axes.
void drawCurve(QPainter& painter)
{
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(12, 52, 52, 52);
    painter.drawLine(12, 52, 12, 12);
    QPainterPath curve(QPointF(12, 52));
    curve.cubicTo(QPointF(34, 52), QPointF(44, 40), QPointF(52, 12));
    painter.setPen(QPen(QColor(0xff, 0xd0, 0x40), 4));
    painter.drawPath(curve);
}

// The triangle of three primaries on a chromaticity chart.
void drawTriangle(QPainter& painter)
{
    const QPointF corners[] = {QPointF(32, 10), QPointF(54, 52), QPointF(10, 52)};
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawPolygon(corners, 3);
    const QColor primaries[] = {QColor(0x40, 0xe0, 0x40), QColor(0xf0, 0x40, 0x40), QColor(0x50, 0x70, 0xff)};
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(primaries[i]);
        painter.drawEllipse(corners[i], 6, 6);
    }
}

// A flash chip with its pins and a download arrow.
void drawChip(QPainter& painter)
{
    painter.fillRect(QRect(18, 22, 28, 30), QColor(0x20, 0x20, 0x20));
    for (int i = 0; i < 4; ++i) {
        painter.fillRect(QRect(12, 25 + i * 7, 6, 3), Qt::lightGray);
        painter.fillRect(QRect(46, 25 + i * 7, 6, 3), Qt::lightGray);
    }
    const QPointF arrow[] = {QPointF(24, 6),  QPointF(40, 6),  QPointF(40, 12), QPointF(46, 12),
                             QPointF(32, 22), QPointF(18, 12), QPointF(24, 12)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow, 7);
}

// A colour meter's puck on a lit patch, with its cable.
void drawMeter(QPainter& painter)
{
    painter.fillRect(QRect(10, 18, 44, 36), QColor(0xf0, 0xf0, 0xf0));
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 3));
    painter.drawLine(QPointF(32, 30), QPointF(32, 8));
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor(0x20, 0x20, 0x20));
    painter.drawEllipse(QPointF(32, 36), 12, 12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x40, 0xc0, 0xe0));
    painter.drawEllipse(QPointF(32, 36), 4, 4);
}

} // namespace

QIcon programIcon(ProgramKind program)
{
    // Drawn at every size a desktop asks for, so menus and large icon views stay sharp.
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / double(kIconSide), side / double(kIconSide));
        painter.setPen(Qt::NoPen);
        painter.setBrush(backgroundOf(program));
        painter.drawRoundedRect(QRectF(1, 1, kIconSide - 2, kIconSide - 2), 10, 10);
        switch (program) {
        case ProgramKind::Hubrin:
            drawTiles(painter);
            break;
        case ProgramKind::Patchora:
            drawWedge(painter);
            break;
        case ProgramKind::Ramvel:
            drawCurve(painter);
            break;
        case ProgramKind::Trisola:
            drawTriangle(painter);
            break;
        case ProgramKind::Flashbey:
            drawChip(painter);
            break;
        case ProgramKind::Candora:
            drawMeter(painter);
            break;
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap productLogo(int side)
{
    QPixmap logo(side, side);
    logo.fill(QColor(0x10, 0x10, 0x18));
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    const double radius = side * 0.27;
    const QPointF centres[] = {QPointF(side * 0.5, side * 0.36), QPointF(side * 0.35, side * 0.62),
                               QPointF(side * 0.65, side * 0.62)};
    const QColor primaries[] = {QColor(0xd0, 0, 0), QColor(0, 0xd0, 0), QColor(0, 0, 0xd0)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(primaries[i]);
        painter.drawEllipse(centres[i], radius, radius);
    }
    return logo;
}
