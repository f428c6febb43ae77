#pragma once

// A linearity run on a store of its own: a registry file in a scratch folder naming three
// LUT files and an install directory there, and the grid, status box and run state.

#include "config/calibration_settings.h"
#include "config/registry_file.h"
#include "config/registry_file_store.h"
#include "linearity/in_memory_grid.h"
#include "linearity/linearity_calibration.h"
#include "linearity/status_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

inline std::string lutPathFor(const TempDir& dir, Channel channel)
{
    return (dir / ("lut_" + std::string(channelName(channel)) + ".txt")).string();
}

// The text of a registry file with every value the linearity tool reads.
inline std::string linearityRegistryText(const TempDir& dir, const std::string& stepList)
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
    }
    for (Channel channel : kAllChannels)
        file.setString(key(settings_keys::kSecondLutCurrent), "Valid" + std::string(channelName(channel)), "false");
    file.setString(key(settings_keys::kStepWedge), "steps", stepList);
    return file.serialize();
}

class LinearityRun {
public:
    explicit LinearityRun(const std::string& stepList)
    {
        std::filesystem::create_directories(dir / "Diagnostics");
        writeFile(registryFile(), linearityRegistryText(dir, stepList));
        calibration.start();
    }

    std::filesystem::path registryFile() const { return dir / "registry.reg"; }

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

    // A validity flag as the store holds it now ("" when missing).
    std::string storedFlag(Channel channel)
    {
        RegistryFileStore fresh(registryFile());
        CalibrationSettings reread(fresh);
        reread.load();
        switch (channel) {
        case Channel::Red: return reread.validRed;
        case Channel::Green: return reread.validGreen;
        case Channel::Blue: return reread.validBlue;
        }
        return {};
    }

    TempDir dir;
    RegistryFileStore store{dir / "registry.reg"};
    CalibrationSettings settings{store};
    InMemoryGrid grid;
    StatusText status;
    LinearityCalibration calibration{settings, grid, status};
};

inline std::string fullPrecision(double value)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(17) << value;
    return text.str();
}

// Cell texts of black + peak (code / 255)^gamma, at full precision.
inline std::vector<std::string> powerLawTexts(const std::vector<int>& codes, double black, double peak, double gamma)
{
    std::vector<std::string> texts;
    for (int code : codes)
        texts.push_back(fullPrecision(black + peak * std::pow(code / 255.0, gamma)));
    return texts;
}

inline std::string stepListOf(const std::vector<int>& codes)
{
    std::string list;
    for (int code : codes)
        list += (list.empty() ? "" : "~") + std::to_string(code);
    return list;
}

// The bright-region example: Y = 100 (code / 255)^2.2 on nine steps, the top two flat.
inline constexpr const char* kNineSteps = "0~32~64~96~128~160~192~224~255";
inline std::vector<std::string> compressedHighlights()
{
    std::vector<std::string> texts = powerLawTexts({0, 32, 64, 96, 128, 160, 192}, 0.0, 100.0, 2.2);
    texts.push_back(texts.back());
    texts.push_back(texts.back());
    return texts;
}

// The demo's 21 steps.
inline const std::vector<int> kTwentyOneCodes{0, 13, 26, 38, 51, 64, 77, 89, 102, 115, 128,
                                              140, 153, 166, 179, 191, 204, 217, 230, 242, 255};

// Mixed absolute / relative closeness, both values at full precision on failure; NaN is
// never close to anything.
inline ::testing::AssertionResult isClose(double actual, double expected, double tolerance)
{
    const double error = std::fabs(actual - expected);
    if (error <= tolerance * std::max(1.0, std::fabs(expected)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "actual " << fullPrecision(actual) << ", expected "
                                         << fullPrecision(expected) << ", tolerance " << tolerance;
}
