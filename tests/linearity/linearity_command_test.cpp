// chromix linearity end to end on a store and data files written by the test.

#include "cli/commands.h"
#include "config/registry_file_store.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string dataFile(const std::vector<std::string>& values, const std::string& options)
{
    std::string text = "[DATA]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += "MEASURED_DATA_" + std::to_string(i + 1) + "=" + values[i] + ", " + values[i] + ", " + values[i] + "\r\n";
    return text + "[PARAMETERS]\r\nVERSION=1.00\r\nVERIFICATION_CHECK_BOX=OFF\r\nVERIFICATION_STEP=0\r\n" + options;
}

constexpr const char* kOptionsOff = "NOISE_REDUCTION=OFF\r\nBRIGHT_REGION_CORRECTION=OFF\r\nCLIP_BRIGHT_REGION=OFF\r\n";

class LinearityCommandTest : public ::testing::Test {
protected:
    void useSteps(const std::string& stepList)
    {
        writeFile(dir / "registry.reg", linearityRegistryText(dir, stepList));
        std::filesystem::create_directories(dir / "Diagnostics");
        setenv("CHROMIX_REGISTRY", (dir / "registry.reg").c_str(), 1);
    }
    void TearDown() override { unsetenv("CHROMIX_REGISTRY"); }

    int run(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runLinearityCommand(args, out, err);
    }
    std::string writeData(const std::vector<std::string>& values, const std::string& options = kOptionsOff)
    {
        const std::filesystem::path file = dir / "data.txt";
        writeFile(file, dataFile(values, options));
        return file.string();
    }
    std::string flag(Channel channel)
    {
        RegistryFileStore store(dir / "registry.reg");
        CalibrationSettings settings(store);
        settings.load();
        return channel == Channel::Red ? settings.validRed : channel == Channel::Green ? settings.validGreen : settings.validBlue;
    }

    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(LinearityCommandTest, PrintsWhatTheWindowShowsForTheWorkedExample)
{
    useSteps("0~64~128~192~255");
    EXPECT_EQ(run({"--data", writeData({"0.5", "5.5", "22.5", "52.5", "100.5"})}), kExitSuccess) << err.str();
    EXPECT_EQ(out.str(), "Status:\n"
                         "  You can get a more accurate gamma fit by turning on the following option(s).\n"
                         "  'Noise Reduction' option in the 'Advanced Linearization' panel.\n"
                         "Display Gamma Values:\n"
                         "  Average: 2.16\n"
                         "  Red: 2.16\n"
                         "  Green: 2.16\n"
                         "  Blue: 2.16\n"
                         "Primary Calibration Target Values:\n"
                         "  Step Code Value: 255\n"
                         "  Step Number: 5\n");
    EXPECT_FALSE(std::filesystem::exists(lutPathFor(dir, Channel::Red))); // no --save
}

TEST_F(LinearityCommandTest, BrightRegionExampleFromAFileWithOverridesAndSave)
{
    useSteps(kNineSteps);
    const std::string data = writeData(compressedHighlights());
    EXPECT_EQ(run({"--data", data}), kExitSuccess);
    EXPECT_NE(out.str().find("  Red: 2.00\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  Warning - this display has a poor gamma fit. Try adjusting your display.\n"), std::string::npos);

    EXPECT_EQ(run({"--data", data, "--bright-region-correction", "on", "--clip-bright-region", "on", "--save"}), kExitSuccess)
        << err.str();
    EXPECT_NE(out.str().find("  Red: 2.20\n  Green: 2.20\n  Blue: 2.20\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  Step Code Value: 192\n  Step Number: 7\n"), std::string::npos) << out.str();
    for (Channel channel : kAllChannels) {
        EXPECT_EQ(flag(channel), "true");
        const std::string content = readFile(lutPathFor(dir, channel));
        EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 8192);
        EXPECT_EQ(content.substr(content.size() - 10), "0.879483\r\n");
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "Diagnostics" / "measured_linearities.txt"));
}

TEST_F(LinearityCommandTest, UsageErrors)
{
    useSteps("0~64~128~192~255");
    for (const CommandArguments& args : std::vector<CommandArguments>{
             {"--bogus"}, {"extra"}, {"--noise-reduction", "maybe"}, {"--data"}, {"--verification", "0"},
             {"--verification", "x"}, {"--verification", "6"}}) {
        EXPECT_EQ(run(args), kExitUsage) << args.front();
        EXPECT_NE(err.str().find("usage: chromix linearity"), std::string::npos) << args.front();
    }
}

TEST_F(LinearityCommandTest, FailuresExitWithOne)
{
    useSteps("0~64~128~192~255");
    // A fresh grid holds 0.000 everywhere: every gamma is 0 and nothing may be saved.
    EXPECT_EQ(run({"--save"}), kExitFailure);
    EXPECT_NE(out.str().find("  Invalid Red value(s), please re-enter\n"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("nothing saved"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(lutPathFor(dir, Channel::Red)));

    EXPECT_EQ(run({"--data", (dir / "missing.txt").string()}), kExitFailure);
    EXPECT_NE(out.str().find("  The linearity data file has format or data errors!\n"), std::string::npos);
}

} // namespace
