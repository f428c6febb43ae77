#include "uikit/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

#include <cstdint>
#include <cstdlib>

int mulDivRounded(int value, int numerator, int denominator)
{
    const std::int64_t product = std::int64_t{value} * numerator;
    const std::int64_t magnitude = (std::llabs(product) + std::llabs(denominator) / 2) / std::llabs(denominator);
    const bool negative = (product < 0) != (denominator < 0);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

namespace {

int averageCharWidth(const QFontMetrics& metrics)
{
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (letters / 26 + 1) / 2;
}

} // namespace

DialogUnits::DialogUnits(const QFont& font)
    : DialogUnits(averageCharWidth(QFontMetrics(font)), QFontMetrics(font).height())
{
}

DialogUnits::DialogUnits(int baseWidth, int baseHeight)
    : baseWidth_(baseWidth > 0 ? baseWidth : 1)
    , baseHeight_(baseHeight > 0 ? baseHeight : 1)
{
}

int DialogUnits::toPixelsX(int units) const
{
    return mulDivRounded(units, baseWidth_, 4);
}

int DialogUnits::toPixelsY(int units) const
{
    return mulDivRounded(units, baseHeight_, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    const int left = toPixelsX(x);
    const int top = toPixelsY(y);
    return QRect(left, top, toPixelsX(x + width) - left, toPixelsY(y + height) - top);
}

QSize DialogUnits::toPixels(const QSize& units) const
{
    return QSize(toPixelsX(units.width()), toPixelsY(units.height()));
}

void widenToFitLabel(QWidget& control)
{
    const int needed = control.sizeHint().width();
    if (needed > control.width())
        control.resize(needed, control.height());
}
