#pragma once

// The full-screen patch the meter reads, on the screen the operator chose. A thin black
// line at the bottom tells the operator where the run is, since on a single screen the
// patch covers the measuring window; Space pauses or resumes and Esc cancels from here.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class QScreen;

class PatchWindow : public QWidget {
    Q_OBJECT
public:
    PatchWindow();

    // Covers `screen` with black until the first patch.
    void showOn(QScreen* screen);
    // Paints a colour word (red in bits 0-7, green 8-15, blue 16-23) at once.
    void showPatch(std::uint32_t colourWord);
    void setCaption(const QString& caption);

    std::optional<std::uint32_t> patchColourWord() const { return colourWord_; }
    const QString& caption() const { return caption_; }

signals:
    void cancelRequested();
    void pauseToggled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<std::uint32_t> colourWord_;
    QString caption_;
};
