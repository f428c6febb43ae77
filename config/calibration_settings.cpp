#include "config/calibration_settings.h"

#include "config/paths.h"

#include <algorithm>
#include <cctype>

namespace {

using namespace settings_keys;

// Every value is read into a zero-filled 261-byte buffer with room for 260 bytes; a
// longer value counts as missing.
constexpr std::size_t kValueBufferSize = 260;

struct RawValue {
    std::string bytes; // the bytes the store reported, terminating zeros included
};

bool readRaw(const RegistryKey& key, std::string_view name, RawValue& value)
{
    char buffer[kValueBufferSize + 1] = {};
    std::uint32_t byteCount = 0;
    if (key.queryValue(name, std::span<char>(buffer, kValueBufferSize), byteCount) != ValueRead::Ok)
        return false;
    value.bytes.assign(buffer, std::min<std::size_t>(byteCount, kValueBufferSize));
    return true;
}

// A value read as a C string: everything up to the first zero byte.
bool readText(const RegistryKey& key, std::string_view name, std::string& field)
{
    RawValue value;
    if (!readRaw(key, name, value))
        return false;
    field.append(value.bytes.c_str());
    return true;
}

// Reads "Red", "Green", "Blue" into three fields; false when any read fails.
bool readChannelTexts(const RegistryKey& key, std::array<std::string, 3>& fields)
{
    bool ok = true;
    for (Channel channel : kAllChannels)
        ok = readText(key, channelName(channel), fields[channelIndex(channel)]) && ok;
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

bool CalibrationSettings::load(bool enumerateDisplayTypes)
{
    bool result = true;

    if (auto base = store_.openKey(""))
        result = readText(*base, kInstallDirectory, installDirectory) && result;

    if (auto matrix = store_.openKey(kMatrix)) {
        result = readText(*matrix, "Current", matrixCurrent) && result;
        result = readText(*matrix, "Current Valid", matrixCurrentValid) && result;
        result = readText(*matrix, "Default", matrixDefault) && result;
    }

    auto firstDefault = store_.openKey(kFirstLutDefault);
    result = firstDefault && readChannelTexts(*firstDefault, firstLutDefault) && result;

    auto secondDefault = store_.openKey(kSecondLutDefault);
    result = secondDefault && readChannelTexts(*secondDefault, secondLutDefault) && result;

    if (auto secondCurrent = store_.openKey(kSecondLutCurrent)) {
        result = readChannelTexts(*secondCurrent, secondLutCurrent) && result;
        result = readText(*secondCurrent, "ValidRed", validRed) && result;
        result = readText(*secondCurrent, "ValidGreen", validGreen) && result;
        result = readText(*secondCurrent, "ValidBlue", validBlue) && result;
    } else {
        result = false;
    }

    auto stepWedge = store_.openKey(kStepWedge);
    if (!stepWedge)
        return false;
    RawValue steps;
    if (readRaw(*stepWedge, "steps", steps)) {
        // Zero bytes separate the texts of a multi-string and end a plain string; both
        // become step separators.
        std::replace(steps.bytes.begin(), steps.bytes.end(), '\0', '~');
        stepList.append(steps.bytes);
    } else {
        result = false;
    }

    if (auto displayTypes = store_.openKey(kDisplayTypes)) {
        displayType.clear();
        result = readText(*displayTypes, kConfiguredDisplayType, displayType) && result;
    }

    if (enumerateDisplayTypes)
        fillDisplayTypeTree();
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

bool CalibrationSettings::readCatalogueValue(const std::string& keyPath, const std::string& valueName,
                                             std::string& out) const
{
    auto key = store_.openKey(keyPath);
    if (!key)
        return true;
    return readText(*key, valueName, out);
}

bool CalibrationSettings::readTableFileName(const std::string& typeName, const std::string& table,
                                            const std::string& valueName, std::string& out) const
{
    return readCatalogueValue(joinKeyPath(joinKeyPath(kDisplayTypes, typeName), table), valueName, out);
}

bool CalibrationSettings::readOsdNativeFileName(const std::string& typeName, const std::string& table,
                                                const std::string& number, std::string& out) const
{
    return readTableFileName(typeName, table, number + "_OSD_NATIVE", out);
}

bool CalibrationSettings::readOsdD65FileName(const std::string& typeName, const std::string& table,
                                             const std::string& number, std::string& out) const
{
    return readTableFileName(typeName, table, number + "_OSD_D65", out);
}

bool CalibrationSettings::readTableDescription(const std::string& typeName, const std::string& table,
                                               std::string& out) const
{
    return readTableFileName(typeName, table, "description", out);
}

bool CalibrationSettings::readDisplayTypeDescription(const std::string& typeName, std::string& out) const
{
    return readCatalogueValue(joinKeyPath(kDisplayTypes, typeName), "description", out);
}

bool CalibrationSettings::readCatalogueDescription(std::string& out) const
{
    return readCatalogueValue(kDisplayTypes, "description", out);
}

void CalibrationSettings::fillDisplayTypeTree()
{
    std::shared_ptr<RegistryKey> displayTypes = store_.openKey(kDisplayTypes);
    if (!displayTypes)
        return;
    const std::uint32_t count = displayTypes->subKeyCount();
    displayTypeTree.configuredDisplayType = displayType;
    if (count == 0)
        return;
    DisplayTypeNode root;
    root.name = "Display Type";
    root.hasChildren = true;
    root.key = displayTypes;
    fillNode(root);
    displayTypeTree.roots.push_back(std::move(root));
}

void CalibrationSettings::fillNode(DisplayTypeNode& node)
{
    const std::uint32_t count = node.key->subKeyCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!node.key->subKeyName(i, name))
            return;
        std::shared_ptr<RegistryKey> subKey = node.key->openSubKey(name);
        if (!subKey)
            return;
        DisplayTypeNode child;
        child.name = name;
        child.hasChildren = subKey->subKeyCount() != 0;
        child.key = subKey;
        fillNode(child);
        // The configured display type leads its siblings (exact, case-sensitive match).
        if (child.name == displayTypeTree.configuredDisplayType)
            node.children.insert(node.children.begin(), std::move(child));
        else
            node.children.push_back(std::move(child));
    }
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
