#pragma once

// The large area the meter looks at: the patch of the current step, either filling the
// area or as a centred square on black.

#include "stepwedge/patch_geometry.h"

#include <QFrame>

#include <cstdint>
#include <optional>

class TargetArea : public QFrame {
    Q_OBJECT
public:
    explicit TargetArea(QWidget* parent = nullptr);

    // Shows a colour word (red in bits 0-7, green 8-15, blue 16-23) in the given size.
    void showPatch(std::uint32_t colourWord, TargetSize size);

    // Nothing until the first patch; afterwards the last one shown.
    std::optional<std::uint32_t> patchColourWord() const { return colourWord_; }
    TargetSize targetSize() const { return size_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<std::uint32_t> colourWord_;
    TargetSize size_ = TargetSize::FullScreen;
};

QColor colourOfWord(std::uint32_t colourWord);
