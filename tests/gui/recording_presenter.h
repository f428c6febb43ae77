#pragma once

// Answers the windows' message boxes in place of an operator and remembers them; every
// question gets `answer`.

#include "uikit/message_presenter.h"

#include <QString>

#include <vector>

class RecordingPresenter final : public MessagePresenter {
public:
    struct Message {
        QString title;
        QString text;
    };

    void warn(QWidget*, const QString& title, const QString& text) override { messages.push_back({title, text}); }
    bool ask(QWidget*, const QString& title, const QString& text) override
    {
        questions.push_back({title, text});
        return answer;
    }

    std::vector<Message> messages;
    std::vector<Message> questions;
    bool answer = true;
};
