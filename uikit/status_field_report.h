#pragma once

// A computing core reports into a window's status field through this.

#include "config/status_report.h"
#include "uikit/status_field.h"

class StatusFieldReport final : public StatusReport {
public:
    explicit StatusFieldReport(StatusField& field) : field_(field) {}

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
