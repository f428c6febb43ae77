#pragma once

// How a window puts a short message in front of the operator. Windows take it as a
// parameter so that tests can answer and record the messages instead of a person.

#include <QString>

class QWidget;

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;

    // Shows the message and returns once the operator has acknowledged it.
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;

    // Asks a question that has Yes and No for answers; true for Yes.
    virtual bool ask(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The real one: modal message boxes; a warning has an OK button, a question Yes and No,
// with No as the default so that a stray Enter keeps things as they are.
class MessageBoxPresenter final : public MessagePresenter {
public:
    void warn(QWidget* parent, const QString& title, const QString& text) override;
    bool ask(QWidget* parent, const QString& title, const QString& text) override;
};
