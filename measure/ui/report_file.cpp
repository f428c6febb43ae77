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

std::optional<std::string> reportHtml(MeasurementKind kind, const std::filesystem::path& dataFile,
                                      const std::vector<int>& codes, RegistryStore& store, std::string& error)
{
    if (kind == MeasurementKind::Primaries) {
        PrimaryDataValues values;
        if (!readPrimaryData(dataFile, values, error))
            return std::nullopt;
        return primariesReportHtml(analysePrimaries(values), dataFile.string(), computedMatrices(dataFile, store));
    }
    LinearityDataValues values;
    if (!readLinearityData(dataFile, static_cast<int>(codes.size()), values, error))
        return std::nullopt;
    return linearityReportHtml(analyseLinearity(codes, values, kTargetGamma), dataFile.string());
}

} // namespace

std::filesystem::path reportPathFor(const std::filesystem::path& dataFile)
{
    std::filesystem::path report = dataFile;
    report.replace_filename(dataFile.stem().string() + "_report.html");
    return report;
}

bool writeMeasurementReport(MeasurementKind kind, const std::filesystem::path& dataFile, const std::vector<int>& codes,
                            RegistryStore& store, const std::filesystem::path& report, std::string& error)
{
    const std::optional<std::string> html = reportHtml(kind, dataFile, codes, store, error);
    if (!html)
        return false;
    const Result<> written = replaceFileAtomically(report, *html);
    if (!written)
        error = written.failure().reason;
    return static_cast<bool>(written);
}
