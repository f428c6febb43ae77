#pragma once

// The settings record every program fills once at start from the store: file paths of
// the correction data, validity flags, the step list, the configured display type, and
// (for the download tool) the display-type catalogue.

#include "config/channel.h"
#include "config/registry_store.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// One node of the display-type tree: a sub-key of "ColorTable\Display Type" or deeper.
struct DisplayTypeNode {
    std::string name;
    bool hasChildren = false;
    std::shared_ptr<RegistryKey> key;
    std::vector<DisplayTypeNode> children;
};

struct DisplayTypeTree {
    std::string configuredDisplayType;
    std::vector<DisplayTypeNode> roots; // empty, or the one root "Display Type"
};

class CalibrationSettings {
public:
    explicit CalibrationSettings(RegistryStore& store);

    // Reads every value once; true when every required value was read. Appends to the
    // fields, so it is called once per record.
    bool load(bool enumerateDisplayTypes = false);

    // Getters: false when the field is empty; else `out` is set to the field.
    bool getMatrixCurrent(std::string& out) const;
    bool getMatrixDefault(std::string& out) const;
    bool getDisplayType(std::string& out) const;
    bool getFirstLutDefault(Channel channel, std::string& out) const;
    bool getSecondLutDefault(Channel channel, std::string& out) const;
    bool getSecondLutCurrent(Channel channel, std::string& out) const;

    // False when the install directory is empty; else appended to `out`.
    bool getInstallDirectory(std::string& out) const;
    // As getInstallDirectory, followed by the download diagnostics file's place below it.
    bool getDownloadParametersPath(std::string& out) const;

    // False when the flag is not known (empty); else `out` is parseFlag of it.
    bool getMatrixCurrentValid(bool& out) const;
    bool getLinearityValid(Channel channel, bool& out) const;

    // Write "true" / "false". False only when the key opened and the write failed.
    bool setMatrixCurrentValid(bool valid);
    bool setLinearityValid(Channel channel, bool valid);
    // Why the last store access failed (file and reason), for messages beside the fixed texts.
    std::string lastStoreError() const { return store_.lastError(); }

    // Catalogue readers: append the value to `out`. False only when the key opened and
    // the value could not be read; a key that does not open leaves `out` unchanged.
    bool readTableFileName(const std::string& typeName, const std::string& table, const std::string& valueName,
                           std::string& out) const;
    bool readOsdNativeFileName(const std::string& typeName, const std::string& table, const std::string& number,
                               std::string& out) const;
    bool readOsdD65FileName(const std::string& typeName, const std::string& table, const std::string& number,
                            std::string& out) const;
    bool readTableDescription(const std::string& typeName, const std::string& table, std::string& out) const;
    bool readDisplayTypeDescription(const std::string& typeName, std::string& out) const;
    bool readCatalogueDescription(std::string& out) const;

    // Builds the display-type tree below "ColorTable\Display Type".
    void fillDisplayTypeTree();

    // The record's fields (read-only after load).
    DisplayTypeTree displayTypeTree;
    std::string matrixDefault;
    std::array<std::string, 3> firstLutDefault; // red, green, blue
    std::array<std::string, 3> secondLutDefault;
    std::array<std::string, 3> secondLutCurrent;
    std::string validBlue;
    std::string validRed;
    std::string validGreen;
    std::string stepList;
    std::string displayType;
    std::string installDirectory;
    std::string matrixCurrent;
    std::string matrixCurrentValid;

private:
    RegistryStore& store_;

    bool readCatalogueValue(const std::string& keyPath, const std::string& valueName, std::string& out) const;
    void fillNode(DisplayTypeNode& node);
};

// False only for "false" in any letter case; true for every other non-empty text.
bool parseFlag(const std::string& text);

// Key paths and value names of the store.
namespace settings_keys {
inline constexpr const char* kMatrix = "Matrix";
inline constexpr const char* kFirstLutDefault = "First1D\\Default";
inline constexpr const char* kSecondLutDefault = "Second1D\\Default";
inline constexpr const char* kSecondLutCurrent = "Second1D\\Current";
inline constexpr const char* kStepWedge = "StepWedge";
inline constexpr const char* kDisplayTypes = "ColorTable\\Display Type";
inline constexpr const char* kInstallDirectory = "install directory";
inline constexpr const char* kConfiguredDisplayType = "Velvane Orlam LED Projector";
inline constexpr const char* kSpiAdapter = "spi adapter";
} // namespace settings_keys
