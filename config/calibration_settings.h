#pragma once

// The settings record every program fills once at start from the store: file paths of
// the correction data, validity flags, the step list and the configured display type.

#include "config/channel.h"
#include "config/registry_store.h"

#include <array>
#include <string>
#include <vector>

class DisplayTypeCatalogue;

class CalibrationSettings {
public:
    explicit CalibrationSettings(RegistryStore& store);

    // Reads every value once; true when every required value was read. Appends to the
    // fields, so it is called once per record. The download tool passes its catalogue,
    // whose display-type tree is then built last, unless the step list's key is missing.
    [[nodiscard]] bool load(DisplayTypeCatalogue* catalogue = nullptr);

    // Getters: false when the field is empty; else `out` is set to the field.
    [[nodiscard]] bool getMatrixCurrent(std::string& out) const;
    [[nodiscard]] bool getMatrixDefault(std::string& out) const;
    [[nodiscard]] bool getDisplayType(std::string& out) const;
    [[nodiscard]] bool getFirstLutDefault(Channel channel, std::string& out) const;
    [[nodiscard]] bool getSecondLutDefault(Channel channel, std::string& out) const;
    [[nodiscard]] bool getSecondLutCurrent(Channel channel, std::string& out) const;

    // False when the install directory is empty; else appended to `out`.
    [[nodiscard]] bool getInstallDirectory(std::string& out) const;
    // As getInstallDirectory, followed by the download diagnostics file's place below it.
    [[nodiscard]] bool getDownloadParametersPath(std::string& out) const;

    // False when the flag is not known (empty); else `out` is parseFlag of it.
    [[nodiscard]] bool getMatrixCurrentValid(bool& out) const;
    [[nodiscard]] bool getLinearityValid(Channel channel, bool& out) const;

    // Write "true" / "false". False only when the key opened and the write failed.
    bool setMatrixCurrentValid(bool valid);
    bool setLinearityValid(Channel channel, bool valid);
    // Why the last store access failed (file and reason), for messages beside the fixed texts.
    std::string lastStoreError() const { return store_.lastError(); }

    // The record's fields (read-only after load).
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
