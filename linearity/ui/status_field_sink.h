#pragma once

// The linearity core reports into the window's status field through this.

#include "linearity/status_sink.h"
#include "uikit/status_field.h"

class StatusFieldSink final : public StatusSink {
public:
    explicit StatusFieldSink(StatusField& field) : field_(field) {}

    void setStatus(std::string_view text, bool error) override { field_.setStatus(toQString(text), error); }
    void appendStatus(std::string_view text, bool error) override { field_.appendStatus(toQString(text), error); }
    void clearStatus() override { field_.setStatus(QString(), field_.showsError()); }

private:
    static QString toQString(std::string_view text)
    {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }

    StatusField& field_;
};
