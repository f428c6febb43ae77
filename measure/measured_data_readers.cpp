#include "measure/measured_data_readers.h"

#include "config/atomic_file.h"
#include "config/key_file.h"
#include "config/number_text.h"

#include <string_view>

namespace {

constexpr const char* kLinearityFormat = "The linearity data file has format or data errors!";
constexpr const char* kPrimaryFormat = "The primary data file has format or data errors!";

// The first three comma-separated fields, runs of commas counting as one separator, each
// without surrounding blanks; nothing when one is missing or empty.
std::optional<std::array<std::string, 3>> threeFields(std::string_view value)
{
    std::array<std::string, 3> fields;
    std::size_t position = 0;
    for (std::string& field : fields) {
        position = value.find_first_not_of(',', position);
        if (position == std::string_view::npos)
            return std::nullopt;
        const std::size_t end = std::min(value.find(',', position), value.size());
        std::string_view text = value.substr(position, end - position);
        const std::size_t first = text.find_first_not_of(' ');
        if (first == std::string_view::npos)
            return std::nullopt;
        field = text.substr(first, text.find_last_not_of(' ') - first + 1);
        position = end;
    }
    return fields;
}

std::optional<double> number(const std::string& text)
{
    double value = 0.0;
    if (!parseLeadingDouble(text, value))
        return std::nullopt;
    return value;
}

Result<std::string> readable(const std::filesystem::path& file, const char* formatMessage)
{
    Result<std::string> content = readWholeFile(file, kSettingsFileLimit);
    if (!content)
        return Failure{formatMessage, file.string() + ": " + content.failure().reason};
    return content;
}

} // namespace

Result<LinearityDataValues> readLinearityData(const std::filesystem::path& file, int stepCount)
{
    const Result<std::string> content = readable(file, kLinearityFormat);
    if (!content)
        return content.failure();
    const std::optional<std::string> mode = keyfile::findValue(*content, "PARAMETERS", "VERIFICATION_CHECK_BOX");
    const std::optional<std::string> step = keyfile::findValue(*content, "PARAMETERS", "VERIFICATION_STEP");
    if (!mode || !step)
        return Failure{kLinearityFormat, {}};
    LinearityDataValues values;
    values.verificationMode = *mode == "ON";
    values.verificationStep = static_cast<int>(parseLeadingInteger(*step));
    for (int s = 1; s <= stepCount; ++s) {
        const std::optional<std::string> value =
            keyfile::findValue(*content, "DATA", "MEASURED_DATA_" + formatInteger(s));
        const auto fields = value ? threeFields(*value) : std::nullopt;
        if (!fields)
            return Failure{kLinearityFormat, {}};
        std::array<std::optional<double>, 3> row;
        for (std::size_t c = 0; c < 3; ++c)
            row[c] = (*fields)[c] == "x" || (*fields)[c] == "X" ? std::nullopt : number((*fields)[c]);
        values.steps.push_back(row);
    }
    return values;
}

Result<PrimaryDataValues> readPrimaryData(const std::filesystem::path& file)
{
    const Result<std::string> content = readable(file, kPrimaryFormat);
    if (!content)
        return content.failure();
    static const char* const kKeys[] = {"MEASURED_DATA_RED", "MEASURED_DATA_GREEN", "MEASURED_DATA_BLUE"};
    PrimaryDataValues read;
    for (std::size_t c = 0; c < 3; ++c) {
        const std::optional<std::string> value = keyfile::findValue(*content, "DATA", kKeys[c]);
        const auto fields = value ? threeFields(*value) : std::nullopt;
        const auto x = fields ? number((*fields)[0]) : std::nullopt;
        const auto y = fields ? number((*fields)[1]) : std::nullopt;
        const auto luminance = fields ? number((*fields)[2]) : std::nullopt;
        if (!x || !y || !luminance)
            return Failure{kPrimaryFormat, {}};
        read.chromaticity[c] = {*x, *y};
        read.luminance[c] = *luminance;
    }
    return read;
}
