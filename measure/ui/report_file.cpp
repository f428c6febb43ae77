#include "measure/ui/report_file.h"

#include "config/atomic_file.h"
#include "config/calibration_settings.h"
#include "measure/linearity_report.h"
#include "measure/primaries_report.h"
#include "primary/trisola_dialog_state.h"

#include <optional>

namespace {

// The report shows a display against the usual video gamma.
constexpr double kTargetGamma = 2.2;

// The matrices as the primary calibration computes them from the same file; none when it
// refuses the file (the report then shows the chromaticities alone).
std::vector<ReportMatrix> computedMatrices(const std::filesystem::path& dataFile, RegistryStore& store)
{
    CalibrationSettings settings(store);
    TrisolaDialogState dialog(settings);
    dialog.initialise();
    if (!dialog.loadData(dataFile) || !dialog.matricesValid())
        return {};
    return {{"D65 Download Matrix", dialog.matrices().d65}, {"Native Download Matrix", dialog.matrices().native}};
}

Result<std::string> reportHtml(MeasurementKind kind, const std::filesystem::path& dataFile,
                               const std::vector<int>& codes, RegistryStore& store)
{
    if (kind == MeasurementKind::Primaries) {
        const Result<PrimaryDataValues> values = readPrimaryData(dataFile);
        if (!values)
            return values.failure();
        return primariesReportHtml(analysePrimaries(*values), dataFile.string(), computedMatrices(dataFile, store));
    }
    const Result<LinearityDataValues> values = readLinearityData(dataFile, static_cast<int>(codes.size()));
    if (!values)
        return values.failure();
    return linearityReportHtml(analyseLinearity(codes, *values, kTargetGamma), dataFile.string());
}

} // namespace

std::filesystem::path reportPathFor(const std::filesystem::path& dataFile)
{
    std::filesystem::path report = dataFile;
    report.replace_filename(dataFile.stem().string() + "_report.html");
    return report;
}

Result<> writeMeasurementReport(MeasurementKind kind, const std::filesystem::path& dataFile,
                                const std::vector<int>& codes, RegistryStore& store,
                                const std::filesystem::path& report)
{
    const Result<std::string> html = reportHtml(kind, dataFile, codes, store);
    if (!html)
        return html.failure();
    return replaceFileAtomically(report, *html);
}
