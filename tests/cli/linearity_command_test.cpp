// chromix linearity end to end on a store and data files written by the test.

#include "cli/commands.h"
#include "linearity/linearity_test_support.h"
#include "support/device_files.h"
#include "support/environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

class LinearityCommandTest : public ::testing::Test {
protected:
    void useSteps(const std::string& stepList)
    {
        setEnvironment("CHROMIX_REGISTRY", writeLinearityStore(dir, stepList).string());
    }
    void TearDown() override { unsetEnvironment("CHROMIX_REGISTRY"); }

    int run(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runLinearityCommand(args, out, err);
    }
    std::string data(const std::vector<std::string>& values)
    {
        writeFile(dir / "data.txt", dataFileText(values));
        return (dir / "data.txt").string();
    }

    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(LinearityCommandTest, PrintsWhatTheWindowShowsForTheWorkedExample)
{
    useSteps(kFiveSteps);
    EXPECT_EQ(run({"--data", data(kWorkedExample)}), kExitSuccess) << err.str();
    EXPECT_EQ(out.str(),
              "Status:\n"
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

TEST_F(LinearityCommandTest, BrightRegionExampleWithOptionsOverridingTheFileAndSave)
{
    useSteps(kNineSteps);
    const std::string file = data(compressedHighlights()); // both options OFF in the file
    EXPECT_EQ(run({"--data", file, "--bright-region-correction", "on", "--clip-bright-region", "on", "--save"}),
              kExitSuccess)
        << err.str();
    EXPECT_NE(out.str().find("  Red: 2.20\n  Green: 2.20\n  Blue: 2.20\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  Step Code Value: 192\n  Step Number: 7\n"), std::string::npos) << out.str();
    for (Channel channel : kAllChannels) {
        const std::string content = readFile(lutPathFor(dir, channel));
        EXPECT_EQ(content.substr(content.size() - 20), "0.879483\r\n0.879483\r\n")
            << channelName(channel); // entry 6175
    }
}

TEST_F(LinearityCommandTest, VerificationFitsTheFirstKStepsAndSavesTheGrayscaleTableThreeTimes)
{
    useSteps(kNineSteps);
    // A normal-mode file; the option switches modes. Steps 1 to 7 follow the 2.2 power law
    // exactly; the flat steps 8 and 9 (which pull the full fit down to 2.00) lie beyond K.
    EXPECT_EQ(run({"--data", data(compressedHighlights()), "--verification", "7", "--save"}), kExitSuccess)
        << err.str() << out.str();
    EXPECT_EQ(out.str().substr(0, out.str().find("1D LUT files")),
              "Status:\n"
              "Display Gamma Values:\n"
              "  Grayscale: 2.20\n"
              "Primary Calibration Target Values:\n"
              "  Step Code Value: 192\n"
              "  Step Number: 7\n");
    const std::string red = readFile(lutPathFor(dir, Channel::Red));
    EXPECT_EQ(std::count(red.begin(), red.end(), '\n'), 8192);
    // python: (1 / 8191) ** (1 / 2.2) and (8190 / 8191) ** (1 / 2.2), six digits.
    EXPECT_TRUE(red.starts_with("0\r\n0.0166422\r\n")) << red.substr(0, 40);
    EXPECT_TRUE(red.ends_with("\r\n0.999945\r\n1\r\n"));
    for (Channel channel : kAllChannels) {
        EXPECT_EQ(readFile(lutPathFor(dir, channel)), red) << channelName(channel);
        EXPECT_EQ(storedFlag(dir / "registry.reg", channel), "true") << channelName(channel);
    }
}

TEST_F(LinearityCommandTest, UsageErrors)
{
    useSteps(kFiveSteps);
    for (const CommandArguments& args :
         std::vector<CommandArguments>{{"--bogus"},
                                       {"extra"},
                                       {"--noise-reduction", "maybe"},
                                       {"--data"},
                                       {"--verification", "0"},
                                       {"--verification", "x"},
                                       {"--verification", "6", "--data", data(kWorkedExample), "--save"}}) {
        EXPECT_EQ(run(args), kExitUsage) << args.front();
        EXPECT_NE(err.str().find("usage: chromix linearity"), std::string::npos) << args.front();
        EXPECT_TRUE(out.str().empty()) << out.str();
    }
    EXPECT_FALSE(std::filesystem::exists(lutPathFor(dir, Channel::Red))); // refused before the load
}

TEST_F(LinearityCommandTest, FailuresExitWithOne)
{
    useSteps(kFiveSteps);
    // A fresh grid holds 0.000 everywhere: every gamma is 0 and nothing may be saved.
    EXPECT_EQ(run({"--save"}), kExitFailure);
    EXPECT_NE(out.str().find("  Invalid Red value(s), please re-enter\n"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("nothing saved"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(lutPathFor(dir, Channel::Red)));

    // The window's text, and the file with the reason; a FIFO is refused, not waited on.
    std::vector<std::pair<std::string, std::string>> refused{
        {(dir / "missing.txt").string(), "No such file or directory"}};
    for (const std::string& device : endlessDevices())
        refused.emplace_back(device, "not a regular file but a character device");
    if (makeFifo(dir / "fifo.txt"))
        refused.emplace_back((dir / "fifo.txt").string(), "not a regular file but a FIFO");
    for (const auto& [file, reason] : refused) {
        EXPECT_EQ(run({"--data", file}), kExitFailure);
        EXPECT_NE(out.str().find("  The linearity data file has format or data errors!\n"), std::string::npos);
        EXPECT_EQ(err.str(), "chromix linearity: " + file + ": " + reason + "\n");
    }
}

} // namespace
