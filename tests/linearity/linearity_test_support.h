#pragma once

// A linearity run on a store of its own: a registry file in a scratch folder naming three
// LUT files and an install directory there, and the grid, status box and run state.

#include "config/calibration_settings.h"
#include "config/registry_file.h"
#include "config/registry_file_store.h"
#include "config/status_text.h"
#include "linearity/in_memory_grid.h"
#include "linearity/linearity_calibration.h"
#include "support/temp_dir.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

inline std::string lutPathFor(const TempDir& dir, Channel channel)
{
    return (dir / ("lut_" + std::string(channelName(channel)) + ".txt")).string();
}

// Writes dir/registry.reg with every value the linearity tool reads, all flags "false".
inline std::filesystem::path writeLinearityStore(const TempDir& dir, const std::string& stepList)
{
    RegistryFile file = RegistryFile::empty();
    const std::string base(kBaseKeyPath);
    const auto key = [&](const char* path) { return joinKeyPath(base, path); };
    file.setString(base, settings_keys::kInstallDirectory, dir.path().string());
    for (Channel channel : kAllChannels) {
        const std::string name(channelName(channel));
        file.setString(key(settings_keys::kFirstLutDefault), name, "/nonexistent/first.txt");
        file.setString(key(settings_keys::kSecondLutDefault), name, "/nonexistent/default.txt");
        file.setString(key(settings_keys::kSecondLutCurrent), name, lutPathFor(dir, channel));
        file.setString(key(settings_keys::kSecondLutCurrent), "Valid" + name, "false");
    }
    file.setString(key(settings_keys::kStepWedge), "steps", stepList);
    std::filesystem::create_directories(dir / "Diagnostics");
    writeFile(dir / "registry.reg", file.serialize());
    return dir / "registry.reg";
}

// A validity flag as the store holds it now ("" when missing).
inline std::string storedFlag(const std::filesystem::path& registryFile, Channel channel)
{
    RegistryFileStore store(registryFile);
    CalibrationSettings settings(store);
    static_cast<void>(settings.load()); // a store that lacks other values still holds the flags
    bool valid = false;
    return settings.getLinearityValid(channel, valid) ? (valid ? "true" : "false") : "";
}

class LinearityRun {
public:
    explicit LinearityRun(const std::string& stepList) : registryFile(writeLinearityStore(dir, stepList))
    {
        calibration.start();
    }

    // Fills a grid column from the top with the given texts.
    void fillColumn(int column, const std::vector<std::string>& texts)
    {
        for (std::size_t row = 0; row < texts.size(); ++row)
            grid.setCellText(column, static_cast<int>(row), texts[row]);
    }
    void fillAllColumns(const std::vector<std::string>& texts)
    {
        for (int column = 0; column < 3; ++column)
            fillColumn(column, texts);
    }
    std::string storedFlag(Channel channel) const { return ::storedFlag(registryFile, channel); }

    TempDir dir;
    std::filesystem::path registryFile;
    RegistryFileStore store{registryFile};
    CalibrationSettings settings{store};
    InMemoryGrid grid;
    StatusText status;
    LinearityCalibration calibration{settings, grid, status};
};

// Cell texts of black + peak (code / 255)^gamma, each the shortest text that reads back exactly.
inline std::vector<std::string> powerLawTexts(const std::vector<int>& codes, double black, double peak, double gamma)
{
    std::vector<std::string> texts;
    char text[32];
    for (int code : codes)
        texts.emplace_back(text,
                           std::to_chars(text, text + sizeof text, black + peak * std::pow(code / 255.0, gamma)).ptr);
    return texts;
}

// The five-step worked example.
inline constexpr const char* kFiveSteps = "0~64~128~192~255";
inline const std::vector<std::string> kWorkedExample{"0.5", "5.5", "22.5", "52.5", "100.5"};

// The bright-region example: Y = 100 (code / 255)^2.2 on nine steps, the top two flat.
inline constexpr const char* kNineSteps = "0~32~64~96~128~160~192~224~255";
inline std::vector<std::string> compressedHighlights()
{
    std::vector<std::string> texts = powerLawTexts({0, 32, 64, 96, 128, 160, 192}, 0.0, 100.0, 2.2);
    texts.insert(texts.end(), 2, texts.back());
    return texts;
}

// A normal-mode linearity data file with each value in all three columns, every option OFF.
inline std::string dataFileText(const std::vector<std::string>& values)
{
    std::string text = "[DATA]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        text +=
            "MEASURED_DATA_" + std::to_string(i + 1) + "=" + values[i] + ", " + values[i] + ", " + values[i] + "\r\n";
    return text
        + "[PARAMETERS]\r\nVERSION=1.00\r\nVERIFICATION_CHECK_BOX=OFF\r\nVERIFICATION_STEP=0\r\n"
          "NOISE_REDUCTION=OFF\r\nBRIGHT_REGION_CORRECTION=OFF\r\nCLIP_BRIGHT_REGION=OFF\r\n";
}

inline std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}
