#include "linearity/ui/vertical_caption.h"

#include <QPainter>

VerticalCaption::VerticalCaption(const QString& text, QWidget* parent) : QWidget(parent), text_(text)
{
}

void VerticalCaption::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.translate(0, height());
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, height(), width()), Qt::AlignCenter, text_);
}
