#include "config/calibration_settings.h"

#include "config/display_type_catalogue.h"
#include "config/paths.h"
#include "config/store_values.h"

#include <algorithm>
#include <cctype>

namespace {

using namespace settings_keys;

// Reads "Red", "Green", "Blue" into three fields; false when any read fails.
bool readChannelTexts(const RegistryKey& key, std::array<std::string, 3>& fields)
{
    bool ok = true;
    for (Channel channel : kAllChannels)
        ok = appendValueText(key, channelName(channel), fields[channelIndex(channel)]) && ok;
    return ok;
}

bool setField(const std::string& field, std::string& out)
{
    if (field.empty())
        return false;
    out = field;
    return true;
}

const std::string& validField(const CalibrationSettings& settings, Channel channel)
{
    switch (channel) {
    case Channel::Red:
        return settings.validRed;
    case Channel::Green:
        return settings.validGreen;
    case Channel::Blue:
        break;
    }
    return settings.validBlue;
}

std::string validValueName(Channel channel)
{
    return "Valid" + std::string(channelName(channel));
}

} // namespace

CalibrationSettings::CalibrationSettings(RegistryStore& store) : store_(store)
{
}

bool CalibrationSettings::load(DisplayTypeCatalogue* catalogue)
{
    bool result = true;

    if (auto base = store_.openKey(""))
        result = appendValueText(*base, kInstallDirectory, installDirectory) && result;

    if (auto matrix = store_.openKey(kMatrix)) {
        result = appendValueText(*matrix, "Current", matrixCurrent) && result;
        result = appendValueText(*matrix, "Current Valid", matrixCurrentValid) && result;
        result = appendValueText(*matrix, "Default", matrixDefault) && result;
    }

    auto firstDefault = store_.openKey(kFirstLutDefault);
    result = firstDefault && readChannelTexts(*firstDefault, firstLutDefault) && result;

    auto secondDefault = store_.openKey(kSecondLutDefault);
    result = secondDefault && readChannelTexts(*secondDefault, secondLutDefault) && result;

    if (auto secondCurrent = store_.openKey(kSecondLutCurrent)) {
        result = readChannelTexts(*secondCurrent, secondLutCurrent) && result;
        result = appendValueText(*secondCurrent, "ValidRed", validRed) && result;
        result = appendValueText(*secondCurrent, "ValidGreen", validGreen) && result;
        result = appendValueText(*secondCurrent, "ValidBlue", validBlue) && result;
    } else {
        result = false;
    }

    auto stepWedge = store_.openKey(kStepWedge);
    if (!stepWedge)
        return false;
    std::string steps;
    if (readValueBytes(*stepWedge, "steps", steps)) {
        // Zero bytes separate the texts of a multi-string and end a plain string; both
        // become step separators.
        std::replace(steps.begin(), steps.end(), '\0', '~');
        stepList.append(steps);
    } else {
        result = false;
    }

    if (auto displayTypes = store_.openKey(kDisplayTypes)) {
        displayType.clear();
        result = appendValueText(*displayTypes, kConfiguredDisplayType, displayType) && result;
    }

    if (catalogue)
        catalogue->fillDisplayTypeTree(displayType);
    return result;
}

bool CalibrationSettings::getMatrixCurrent(std::string& out) const
{
    return setField(matrixCurrent, out);
}
bool CalibrationSettings::getMatrixDefault(std::string& out) const
{
    return setField(matrixDefault, out);
}
bool CalibrationSettings::getDisplayType(std::string& out) const
{
    return setField(displayType, out);
}

bool CalibrationSettings::getFirstLutDefault(Channel channel, std::string& out) const
{
    return setField(firstLutDefault[channelIndex(channel)], out);
}

bool CalibrationSettings::getSecondLutDefault(Channel channel, std::string& out) const
{
    return setField(secondLutDefault[channelIndex(channel)], out);
}

bool CalibrationSettings::getSecondLutCurrent(Channel channel, std::string& out) const
{
    return setField(secondLutCurrent[channelIndex(channel)], out);
}

bool CalibrationSettings::getInstallDirectory(std::string& out) const
{
    if (installDirectory.empty())
        return false;
    out += installDirectory;
    return true;
}

bool CalibrationSettings::getDownloadParametersPath(std::string& out) const
{
    if (installDirectory.empty())
        return false;
    out += diagnosticsFilePath(installDirectory, "download_parameters.txt");
    return true;
}

bool CalibrationSettings::getMatrixCurrentValid(bool& out) const
{
    if (matrixCurrentValid.empty())
        return false;
    out = parseFlag(matrixCurrentValid);
    return true;
}

bool CalibrationSettings::getLinearityValid(Channel channel, bool& out) const
{
    const std::string& field = validField(*this, channel);
    if (field.empty())
        return false;
    out = parseFlag(field);
    return true;
}

bool CalibrationSettings::setMatrixCurrentValid(bool valid)
{
    auto key = store_.openKey(kMatrix);
    if (!key)
        return true;
    return key->setString("Current Valid", valid ? "true" : "false");
}

bool CalibrationSettings::setLinearityValid(Channel channel, bool valid)
{
    auto key = store_.openKey(kSecondLutCurrent);
    if (!key)
        return true;
    return key->setString(validValueName(channel), valid ? "true" : "false");
}

bool parseFlag(const std::string& text)
{
    if (text.empty())
        return false;
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower != "false";
}
