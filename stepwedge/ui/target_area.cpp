#include "stepwedge/ui/target_area.h"

#include <QPainter>

QColor colourOfWord(std::uint32_t colourWord)
{
    return QColor(colourWord & 0xFF, (colourWord >> 8) & 0xFF, (colourWord >> 16) & 0xFF);
}

TargetArea::TargetArea(QWidget* parent) : QFrame(parent)
{
    // The patch covers every pixel once painted; no frame, so nothing borders it.
    setFrameShape(QFrame::NoFrame);
}

void TargetArea::showPatch(std::uint32_t colourWord, TargetSize size)
{
    colourWord_ = colourWord;
    size_ = size;
    update();
}

void TargetArea::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!colourWord_)
        return;
    QPainter painter(this);
    if (size_ == TargetSize::Centred)
        painter.fillRect(rect(), Qt::black);
    const PatchRect patch = patchRect(width(), height(), size_);
    painter.fillRect(QRect(patch.left, patch.top, patch.right - patch.left, patch.bottom - patch.top),
                     colourOfWord(*colourWord_));
}
