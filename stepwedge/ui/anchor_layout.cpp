#include "stepwedge/ui/anchor_layout.h"

#include <algorithm>

namespace {

// The new near and far edge along one axis.
std::pair<int, int> anchoredSpan(int nearEdge, int farEdge, bool nearAnchored, bool farAnchored, int growth)
{
    if (nearAnchored && farAnchored)
        return {nearEdge, farEdge + growth};
    if (farAnchored)
        return {nearEdge + growth, farEdge + growth};
    return {nearEdge, farEdge};
}

} // namespace

EdgeRect anchoredRect(const EdgeRect& captured, int anchorSet, int dW, int dH)
{
    const auto [left, right] =
        anchoredSpan(captured.left, captured.right, anchorSet & anchors::Left, anchorSet & anchors::Right, dW);
    const auto [top, bottom] =
        anchoredSpan(captured.top, captured.bottom, anchorSet & anchors::Top, anchorSet & anchors::Bottom, dH);
    return {left, top, right, bottom};
}

void AnchorLayout::anchor(QWidget* control, int anchorSet)
{
    const auto known =
        std::find_if(entries_.begin(), entries_.end(), [control](const Entry& e) { return e.control == control; });
    if (known != entries_.end()) {
        known->anchorSet = anchorSet;
        known->rect = EdgeRect{};
        return;
    }
    entries_.push_back(Entry{control, anchorSet, EdgeRect{}});
}

void AnchorLayout::capture(const QSize& clientSize)
{
    captured_ = clientSize;
    for (Entry& entry : entries_) {
        if (!entry.control)
            continue;
        const QRect g = entry.control->geometry();
        entry.rect = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    }
}

void AnchorLayout::apply(const QSize& clientSize) const
{
    if (!isCaptured())
        return;
    const int dW = clientSize.width() - captured_.width();
    const int dH = clientSize.height() - captured_.height();
    for (const Entry& entry : entries_) {
        if (!entry.control)
            continue;
        const EdgeRect r = anchoredRect(entry.rect, entry.anchorSet, dW, dH);
        // A dialog shrunk below its designed size must not give a control a negative size.
        entry.control->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
        entry.control->update();
    }
}
