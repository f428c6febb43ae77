#include "linearity/linearity_data_file.h"

#include "config/atomic_file.h"
#include "config/key_file.h"
#include "config/number_text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kDataSection = "DATA";
constexpr const char* kParameterSection = "PARAMETERS";
constexpr const char* kVersion = "1.00";
constexpr const char* kNotMeasured = "       x"; // right-aligned like "%8.4f"

constexpr const char* kWriteFailed = "Unable to write to the linearity data file!";
constexpr const char* kBadVersion = "Invalid version number for the linearity data file!";
constexpr const char* kFormatError = "The linearity data file has format or data errors!";

std::string dataKey(int step)
{
    return "MEASURED_DATA_" + formatInteger(step);
}

const char* onOff(bool on)
{
    return on ? "ON" : "OFF";
}

std::string rawValueText(const StepTable& raw, Channel channel, int step)
{
    const std::optional<double> value = raw.measuredY(channel).get(step);
    if (!raw.isPresent(channel, step) || !value)
        return kNotMeasured;
    return formatFixed(*value, 8, 4);
}

std::string dataValue(const MeasurementSet& set, int step)
{
    const StepTable& raw = set.rawTable();
    if (set.verificationMode()) {
        const std::string grayscale = rawValueText(raw, Channel::Red, step);
        return grayscale + ", " + grayscale + ", " + grayscale;
    }
    return rawValueText(raw, Channel::Red, step) + ", " + rawValueText(raw, Channel::Green, step) + ", "
        + rawValueText(raw, Channel::Blue, step);
}

// The first three fields of a data value: split at ",", runs of commas counting as one
// separator, each field without surrounding spaces (a tab stays part of the field's text).
// Nothing when a field is missing or empty.
std::optional<std::vector<std::string>> splitDataValue(std::string_view value)
{
    std::vector<std::string> fields;
    std::size_t position = 0;
    while (fields.size() < 3) {
        position = value.find_first_not_of(',', position);
        if (position == std::string_view::npos)
            return std::nullopt;
        const std::size_t end = std::min(value.find(',', position), value.size());
        std::string_view field = value.substr(position, end - position);
        const std::size_t first = field.find_first_not_of(' ');
        if (first == std::string_view::npos)
            return std::nullopt;
        field = field.substr(first, field.find_last_not_of(' ') - first + 1);
        fields.emplace_back(field);
        position = end;
    }
    return fields;
}

// Reads keys from the file's text; the first missing one ends the load with the format message.
class DataFileReader {
public:
    DataFileReader(LinearityCalibration& calibration, std::string content)
        : calibration_(calibration)
        , content_(std::move(content))
    {
    }

    std::optional<std::string> read(const char* section, const std::string& key)
    {
        std::optional<std::string> value = keyfile::findValue(content_, section, key);
        if (!value)
            formatError();
        return value;
    }

    bool formatError()
    {
        calibration_.status().setStatus(kFormatError, true);
        return false;
    }

private:
    LinearityCalibration& calibration_;
    std::string content_;
};

// The version, then the verification step count and mode, which decide the grid's layout.
bool readVersionAndMode(DataFileReader& reader, LinearityCalibration& calibration,
                        const LinearityOptionOverrides& overrides)
{
    const std::optional<std::string> version = reader.read(kParameterSection, "VERSION");
    if (!version)
        return false;
    if (*version > std::string(kVersion)) {
        calibration.status().setStatus(kBadVersion, true);
        return false;
    }

    const std::optional<std::string> stepText = reader.read(kParameterSection, "VERIFICATION_STEP");
    if (!stepText)
        return false;
    const int steps = calibration.stepCount();
    const long long stepCount =
        overrides.verificationSteps ? *overrides.verificationSteps : parseLeadingInteger(*stepText);
    calibration.selectStepCount(
        stepCount >= 1 && stepCount <= steps ? std::optional<int>(static_cast<int>(stepCount - 1)) : std::nullopt);

    const std::optional<std::string> verification = reader.read(kParameterSection, "VERIFICATION_CHECK_BOX");
    if (!verification)
        return false;
    calibration.setVerificationMode(overrides.verificationSteps || *verification == "ON");
    return true;
}

// Each step's values into its grid row; in verification mode only the first.
bool readGridValues(DataFileReader& reader, LinearityCalibration& calibration)
{
    MeasurementGrid& grid = calibration.measurements().grid();
    const bool verificationMode = calibration.verificationMode();
    for (int step = 1; step <= calibration.stepCount(); ++step) {
        const std::optional<std::string> value = reader.read(kDataSection, dataKey(step));
        if (!value)
            return false;
        const std::optional<std::vector<std::string>> fields = splitDataValue(*value);
        if (!fields)
            return reader.formatError();
        grid.setCellText(0, step - 1, (*fields)[0]);
        if (!verificationMode) {
            grid.setCellText(1, step - 1, (*fields)[1]);
            grid.setCellText(2, step - 1, (*fields)[2]);
        }
    }
    return true;
}

// Noise Reduction, and outside verification mode the bright region boxes.
bool readOptions(DataFileReader& reader, LinearityCalibration& calibration, const LinearityOptionOverrides& overrides)
{
    const std::optional<std::string> noiseReduction = reader.read(kParameterSection, "NOISE_REDUCTION");
    if (!noiseReduction)
        return false;
    calibration.setNoiseReduction(overrides.noiseReduction.value_or(*noiseReduction == "ON"));
    if (calibration.verificationMode())
        return true;
    const std::optional<std::string> brightRegion = reader.read(kParameterSection, "BRIGHT_REGION_CORRECTION");
    if (!brightRegion)
        return false;
    calibration.setBrightRegionCorrection(overrides.brightRegionCorrection.value_or(*brightRegion == "ON"));
    const std::optional<std::string> clip = reader.read(kParameterSection, "CLIP_BRIGHT_REGION");
    if (!clip)
        return false;
    calibration.setClipBrightRegion(overrides.clipBrightRegion.value_or(*clip == "ON"));
    return true;
}

} // namespace

Result<> saveDataFile(LinearityCalibration& calibration, const std::filesystem::path& file)
{
    MeasurementSet& set = calibration.measurements();
    set.collectRawValues();

    std::string content;
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        Result<std::string> existing = readWholeFile(file, kSettingsFileLimit);
        if (!existing) {
            calibration.status().setStatus(kWriteFailed, true);
            return Failure{kWriteFailed, file.string() + ": " + existing.failure().reason};
        }
        content = std::move(*existing);
    }
    for (int step = 1; step <= set.stepCount(); ++step)
        content = keyfile::withValue(content, kDataSection, dataKey(step), dataValue(set, step));

    const LinearityOptions& options = calibration.options();
    const std::optional<int> selection = calibration.stepCountSelection();
    content = keyfile::withValue(content, kParameterSection, "VERSION", kVersion);
    content = keyfile::withValue(content, kParameterSection, "NOISE_REDUCTION", onOff(options.noiseReduction));
    content =
        keyfile::withValue(content, kParameterSection, "VERIFICATION_CHECK_BOX", onOff(calibration.verificationMode()));
    content = keyfile::withValue(content, kParameterSection, "VERIFICATION_STEP",
                                 formatInteger(selection ? *selection + 1 : 0));
    content = keyfile::withValue(content, kParameterSection, "BRIGHT_REGION_CORRECTION",
                                 onOff(options.brightRegionCorrection));
    content = keyfile::withValue(content, kParameterSection, "CLIP_BRIGHT_REGION",
                                 onOff(options.brightRegionCorrection && options.clipBrightRegion));

    if (Result<> written = replaceFileAtomically(file, content); !written) {
        calibration.status().setStatus(kWriteFailed, true);
        return Failure{kWriteFailed, file.string() + ": " + written.failure().reason};
    }
    return {};
}

Result<> loadDataFile(LinearityCalibration& calibration, const std::filesystem::path& file,
                      const LinearityOptionOverrides& overrides)
{
    // A file that cannot be read has no "VERSION": the format message.
    const Result<std::string> content = readWholeFile(file, kSettingsFileLimit);
    DataFileReader reader(calibration, content ? *content : std::string());
    if (!readVersionAndMode(reader, calibration, overrides) || !readGridValues(reader, calibration)
        || !readOptions(reader, calibration, overrides))
        return systemFailure(content ? std::string() : file.string() + ": " + content.failure().reason);
    calibration.apply();
    return {};
}
