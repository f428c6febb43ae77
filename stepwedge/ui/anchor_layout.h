#pragma once

// Keeps controls at their distance from the dialog edges they are anchored to: a control
// anchored to opposite edges stretches with the dialog, one anchored to the right or
// bottom edge alone moves with it, and every other control stays where it was placed.

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <vector>

namespace anchors {
inline constexpr int Left = 1;
inline constexpr int Top = 2;
inline constexpr int Right = 4;
inline constexpr int Bottom = 8;
inline constexpr int All = Left | Top | Right | Bottom;
} // namespace anchors

// Control rectangle with exclusive right and bottom edges, in dialog client coordinates.
struct EdgeRect {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;

    bool operator==(const EdgeRect&) const = default;
};

// Where a control captured at `captured` goes when the dialog has grown by (dW, dH).
EdgeRect anchoredRect(const EdgeRect& captured, int anchorSet, int dW, int dH);

class AnchorLayout {
public:
    // Adds the control, or replaces its anchors and forgets its captured rectangle.
    void anchor(QWidget* control, int anchorSet);

    // Records the dialog's client size and every control's rectangle as they are now.
    void capture(const QSize& clientSize);
    bool isCaptured() const { return captured_.isValid(); }

    // Places every control for the new client size; nothing before capture.
    void apply(const QSize& clientSize) const;

private:
    struct Entry {
        QPointer<QWidget> control;
        int anchorSet = 0;
        EdgeRect rect;
    };

    QSize captured_{-1, -1};
    std::vector<Entry> entries_;
};
