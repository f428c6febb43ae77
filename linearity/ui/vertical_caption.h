#pragma once

// A caption written bottom to top, for the vertical axis of a plot.

#include <QWidget>

class VerticalCaption : public QWidget {
    Q_OBJECT
public:
    explicit VerticalCaption(const QString& text, QWidget* parent = nullptr);

    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};
