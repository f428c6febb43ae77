#include "measure/ui/run_request.h"

#include <map>

namespace {

Failure wrong(const QString& text)
{
    return Failure{text.toStdString(), {}};
}

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return value;
}

} // namespace

Result<std::optional<RunRequest>> parseRunRequest(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return std::optional<RunRequest>();
    std::map<QString, QString> values;
    for (qsizetype at = 0; at < arguments.size(); at += 2) {
        QString name = arguments[at];
        if (name == QStringLiteral("-o"))
            name = QStringLiteral("--output");
        static const QStringList kNames = {QStringLiteral("--run"),    QStringLiteral("--meter"),
                                           QStringLiteral("--output"), QStringLiteral("--settle-ms"),
                                           QStringLiteral("--steps"),  QStringLiteral("--screen")};
        if (!kNames.contains(name))
            return wrong(QStringLiteral("unknown argument \"%1\"").arg(arguments[at]));
        if (at + 1 >= arguments.size())
            return wrong(QStringLiteral("%1 needs a value").arg(arguments[at]));
        if (values.count(name) != 0)
            return wrong(QStringLiteral("%1 is given twice").arg(name));
        values[name] = arguments[at + 1];
    }
    RunRequest request;
    const QString run = values[QStringLiteral("--run")];
    if (run == QStringLiteral("linearity"))
        request.kind = MeasurementKind::Linearity;
    else if (run == QStringLiteral("primaries"))
        request.kind = MeasurementKind::Primaries;
    else if (run == QStringLiteral("verification"))
        request.kind = MeasurementKind::Verification;
    else
        return wrong(run.isEmpty()
                         ? QStringLiteral("--run linearity|primaries|verification is missing")
                         : QStringLiteral("--run takes linearity, primaries or verification, not \"%1\"").arg(run));
    const QString meter = values[QStringLiteral("--meter")];
    if (meter != QStringLiteral("argyll") && meter != QStringLiteral("sim"))
        return wrong(meter.isEmpty() ? QStringLiteral("--meter argyll|sim is missing")
                                     : QStringLiteral("--meter takes argyll or sim, not \"%1\"").arg(meter));
    request.argyll = meter == QStringLiteral("argyll");
    request.output = values[QStringLiteral("--output")];
    if (request.output.trimmed().isEmpty())
        return wrong(QStringLiteral("-o FILE is missing"));
    const struct {
        const char* name;
        std::optional<int>& field;
        int lowest;
        int highest;
    } numbers[] = {{"--settle-ms", request.settleMilliseconds, 0, 60000},
                   {"--steps", request.steps, 1, 1000000},
                   {"--screen", request.screen, 1, 1000}};
    for (const auto& number : numbers) {
        const auto found = values.find(QString::fromLatin1(number.name));
        if (found == values.end())
            continue;
        number.field = wholeNumber(found->second);
        if (!number.field || *number.field < number.lowest || *number.field > number.highest)
            return wrong(QStringLiteral("%1 takes a whole number of %2 to %3, not \"%4\"")
                             .arg(QString::fromLatin1(number.name))
                             .arg(number.lowest)
                             .arg(number.highest)
                             .arg(found->second));
    }
    if (request.steps && request.kind != MeasurementKind::Verification)
        return wrong(QStringLiteral("--steps is for verification only"));
    return std::optional<RunRequest>(request);
}
