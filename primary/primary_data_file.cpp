#include "primary/primary_data_file.h"

#include "config/key_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kDataSection = "DATA";
constexpr const char* kParametersSection = "PARAMETERS";
constexpr const char* kVersionKey = "VERSION";
constexpr const char* kDisplayTypeKey = "DISPLAY_TYPE";
// Red, green, blue.
constexpr std::array<const char*, 3> kMeasuredDataKeys{"MEASURED_DATA_RED", "MEASURED_DATA_GREEN",
                                                       "MEASURED_DATA_BLUE"};
constexpr const char* kCurrentVersion = "1.00";
constexpr const char* kRgbLedKeyword = "RGB_LED_DISPLAY";
constexpr const char* kNonRgbLedKeyword = "NONRGB_LED_DISPLAY";

constexpr const char* kWriteFailedMessage = "Unable to write to the primary data file!";
constexpr const char* kFormatErrorMessage = "The primary data file has format or data errors!";
constexpr const char* kVersionErrorMessage = "Invalid version number for the primary data file!";

std::string_view trimmedBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The first three comma-separated values; empty tokens between commas do not count, so
// "0.64,,0.33, 21.26" holds three. Nothing when fewer than three remain or one of them
// is only blanks.
std::optional<PrimaryFieldTexts> splitMeasuredData(std::string_view value)
{
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start <= value.size() && tokens.size() < 3) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        if (comma > start)
            tokens.push_back(value.substr(start, comma - start));
        start = comma + 1;
    }
    if (tokens.size() < 3)
        return std::nullopt;
    std::array<std::string_view, 3> trimmed{};
    for (std::size_t i = 0; i < 3; ++i) {
        trimmed[i] = trimmedBlanks(tokens[i]);
        if (trimmed[i].empty())
            return std::nullopt;
    }
    return PrimaryFieldTexts{std::string(trimmed[0]), std::string(trimmed[1]), std::string(trimmed[2])};
}

bool readKey(const std::filesystem::path& file, const char* section, const char* key, std::string& value)
{
    value.clear();
    return keyfile::readValue(file, section, key, value) && !value.empty();
}

} // namespace

Result<> savePrimaryData(const std::filesystem::path& file, const FieldTexts& texts, DisplayType displayType)
{
    struct Entry {
        const char* section;
        const char* key;
        std::string value;
    };
    std::vector<Entry> entries;
    for (Channel channel : kAllChannels) {
        const PrimaryFieldTexts& fields = texts[channelIndex(channel)];
        entries.push_back({kDataSection, kMeasuredDataKeys[channelIndex(channel)],
                           fields.x + ", " + fields.y + ", " + fields.luminance});
    }
    entries.push_back({kParametersSection, kVersionKey, kCurrentVersion});
    entries.push_back(
        {kParametersSection, kDisplayTypeKey, displayType == DisplayType::RgbLed ? kRgbLedKeyword : kNonRgbLedKeyword});
    for (const Entry& entry : entries) {
        if (Result<> written = keyfile::writeValue(file, entry.section, entry.key, entry.value); !written)
            return Failure{kWriteFailedMessage, written.failure().reason};
    }
    return {};
}

Result<> loadPrimaryData(const std::filesystem::path& file, FieldTexts& texts, DisplayType& displayType)
{
    std::string version;
    if (!readKey(file, kParametersSection, kVersionKey, version))
        return Failure{kFormatErrorMessage, {}};
    // Byte-wise, as the files were always compared: "1.0" and "0.90" pass, "1.000" does not.
    if (version.compare(kCurrentVersion) > 0)
        return Failure{kVersionErrorMessage, {}};
    FieldTexts loaded;
    for (Channel channel : kAllChannels) {
        std::string value;
        std::optional<PrimaryFieldTexts> fields;
        if (readKey(file, kDataSection, kMeasuredDataKeys[channelIndex(channel)], value))
            fields = splitMeasuredData(value);
        if (!fields)
            return Failure{kFormatErrorMessage, {}};
        loaded[channelIndex(channel)] = std::move(*fields);
    }
    std::string keyword;
    if (!readKey(file, kParametersSection, kDisplayTypeKey, keyword))
        return Failure{kFormatErrorMessage, {}};
    texts = std::move(loaded);
    displayType = keyword == kRgbLedKeyword ? DisplayType::RgbLed : DisplayType::NonRgbLed;
    return {};
}
