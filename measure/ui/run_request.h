#pragma once

// A run asked for on the measuring window's command line, so that chromix (or a script)
// can have the patches shown full screen: which run, which meter, the data file, and the
// settle delay, grey steps and screen when they are given.

#include "config/result.h"
#include "measure/measurement_plan.h"

#include <QString>
#include <QStringList>

#include <optional>

struct RunRequest {
    MeasurementKind kind = MeasurementKind::Linearity;
    bool argyll = false;
    QString output;
    std::optional<int> settleMilliseconds;
    std::optional<int> steps;
    // Counted from 1, in the order of the window's screen list.
    std::optional<int> screen;
};

inline constexpr const char* kRunRequestUsage =
    "usage: Candora [--run linearity|primaries|verification --meter argyll|sim -o FILE [--settle-ms N] [--steps K] "
    "[--screen N]]";

// The arguments after the program's name. Nothing when there are none (the window opens as
// usual); a failure names the argument that is wrong.
[[nodiscard]] Result<std::optional<RunRequest>> parseRunRequest(const QStringList& arguments);
