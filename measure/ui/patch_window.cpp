#include "measure/ui/patch_window.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Dim, so that the caption adds as little light as it can to a dark patch.
const QColor kCaptionColour(110, 110, 110);

QColor colourOfWord(std::uint32_t word)
{
    return QColor(static_cast<int>(word & 0xFFu), static_cast<int>((word >> 8) & 0xFFu),
                  static_cast<int>((word >> 16) & 0xFFu));
}

} // namespace

PatchWindow::PatchWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("patchWindow"));
    setWindowTitle(QStringLiteral("Chromix Measurement Patch"));
    // The pointer must not sit on the patch the meter reads.
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void PatchWindow::showOn(QScreen* screen)
{
    colourWord_.reset();
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
}

void PatchWindow::showPatch(std::uint32_t colourWord)
{
    colourWord_ = colourWord;
    repaint();
}

void PatchWindow::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void PatchWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), colourWord_ ? colourOfWord(*colourWord_) : QColor(Qt::black));
    if (caption_.isEmpty())
        return;
    const int lineHeight = fontMetrics().height() + 6;
    const QRect line(0, height() - lineHeight, width(), lineHeight);
    painter.fillRect(line, Qt::black);
    painter.setPen(kCaptionColour);
    painter.drawText(line.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, caption_);
}

void PatchWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        emit cancelRequested();
        return;
    case Qt::Key_Space:
    case Qt::Key_P:
        emit pauseToggled();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
