// chromix measure with the simulated meter: the data files it writes load in the
// calibration tools exactly as the same values typed and saved there would.

#include "cli/commands.h"
#include "config/number_text.h"
#include "linearity/linearity_data_file.h"
#include "linearity/linearity_test_support.h"
#include "primary/primary_data_file.h"
#include "primary/trisola_dialog_state.h"
#include "support/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

constexpr const char* kTwentyOneSteps = "0~13~26~38~51~64~77~89~102~115~128~140~153~166~179~191~204~217~230~242~255~";

class MeasureCommandTest : public ::testing::Test {
protected:
    void SetUp() override { setEnvironment("CHROMIX_REGISTRY", run.registryFile.string()); }
    void TearDown() override { unsetEnvironment("CHROMIX_REGISTRY"); }

    int measure(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runMeasureCommand(args, out, err);
    }
    // The Y values of a linearity data file's lines, column by column, as an operator reads them off.
    std::vector<std::vector<std::string>> typedColumns(const std::string& file, int steps)
    {
        std::vector<std::vector<std::string>> columns(3);
        const std::string text = readFile(file);
        for (int step = 1; step <= steps; ++step) {
            const std::string key = "MEASURED_DATA_" + std::to_string(step) + "=";
            std::istringstream fields(text.substr(text.find(key) + key.size()));
            for (auto& column : columns) {
                std::string field;
                std::getline(fields, field, ',');
                column.push_back(field.substr(field.find_first_not_of(' ')));
            }
        }
        return columns;
    }

    LinearityRun run{kTwentyOneSteps};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(MeasureCommandTest, LinearityFileIsWhatTheWindowSavesForTheSameValues)
{
    const std::string measured = (run.dir / "measured.txt").string();
    ASSERT_EQ(measure({"linearity", "--meter", "sim", "-o", measured}), kExitSuccess) << err.str();
    EXPECT_NE(out.str().find("[1/63] Red step 1 (code 0): Y 0.08"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Linearity data file written: " + measured), std::string::npos);

    // The operator's way: type the same numbers into the grid and press Save.
    const auto columns = typedColumns(measured, 21);
    for (int column = 0; column < 3; ++column)
        run.fillColumn(column, columns[static_cast<std::size_t>(column)]);
    const std::filesystem::path typed = run.dir / "typed.txt";
    ASSERT_TRUE(saveDataFile(run.calibration, typed));
    EXPECT_EQ(readFile(measured), readFile(typed));

    // Loading it fits the simulated display's gammas (2.2, 2.4, 2.3).
    ASSERT_TRUE(loadDataFile(run.calibration, measured));
    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.2, 0.02);
    EXPECT_NEAR(run.calibration.gamma(Channel::Green), 2.4, 0.02);
    EXPECT_NEAR(run.calibration.gamma(Channel::Blue), 2.3, 0.02);

    const std::string report = (run.dir / "linearity.html").string();
    EXPECT_EQ(runReportCommand({"linearity", "--data", measured, "-o", report}, out, err), kExitSuccess) << err.str();
    const std::string html = readFile(report);
    std::size_t plots = 0;
    for (std::size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1))
        ++plots;
    EXPECT_EQ(plots, 2u) << "the response and the error per step";
}

TEST_F(MeasureCommandTest, VerificationFileLoadsInVerificationMode)
{
    const std::string measured = (run.dir / "verification.txt").string();
    ASSERT_EQ(measure({"verification", "--meter", "sim", "--steps", "15", "-o", measured}), kExitSuccess) << err.str();
    ASSERT_TRUE(loadDataFile(run.calibration, measured));
    EXPECT_TRUE(run.calibration.verificationMode());
    EXPECT_EQ(run.calibration.stepCountSelection(), 14);
    // Grey light is mostly green: near the luminance-weighted mean of 2.2, 2.4 and 2.3 (2.35).
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.35, 0.02);
    EXPECT_TRUE(run.calibration.gammaLabels()[0].starts_with("Grayscale: 2.3")) << run.calibration.gammaLabels()[0];
}

TEST_F(MeasureCommandTest, PrimaryFileGivesTheMatricesOfTheSameValuesTyped)
{
    const std::string measured = (run.dir / "primaries.txt").string();
    ASSERT_EQ(measure({"primaries", "--meter", "sim", "-o", measured}), kExitSuccess) << err.str();

    CalibrationSettings& settings = run.settings;
    TrisolaDialogState loaded(settings);
    loaded.initialise();
    ASSERT_TRUE(loaded.loadData(measured));
    ASSERT_TRUE(loaded.matricesValid()) << loaded.status().text();
    // The simulated primaries (red 0.650, 0.325; blue 0.148, 0.058), a little desaturated by
    // the black level's white light and moved by the noise.
    const auto number = [](const std::string& text) {
        double v = 0;
        parseLeadingDouble(text, v);
        return v;
    };
    EXPECT_NEAR(number(loaded.fieldTexts()[0].x), 0.650, 0.002);
    EXPECT_NEAR(number(loaded.fieldTexts()[0].y), 0.325, 0.002);
    EXPECT_NEAR(number(loaded.fieldTexts()[2].x), 0.148, 0.002);
    EXPECT_NEAR(number(loaded.fieldTexts()[2].y), 0.058, 0.002);

    ASSERT_TRUE(savePrimaryData(run.dir / "typed.txt", loaded.fieldTexts(), DisplayType::NonRgbLed));
    EXPECT_EQ(readFile(measured), readFile(run.dir / "typed.txt"));
    TrisolaDialogState typed(settings);
    typed.initialise();
    typed.setFieldTexts(loaded.fieldTexts());
    ASSERT_TRUE(typed.apply());
    EXPECT_EQ(typed.matrices().native, loaded.matrices().native);

    const std::string report = (run.dir / "primaries.html").string();
    EXPECT_EQ(runReportCommand({"primaries", "--data", measured, "-o", report}, out, err), kExitSuccess) << err.str();
    EXPECT_EQ(measure({"primaries", "--meter", "sim", "-o", measured, "--report", report + "2"}), kExitSuccess);
    EXPECT_EQ(readFile(report), readFile(report + "2")) << "the report at the end of a run is chromix report's";
    EXPECT_NE(readFile(report).find("<h2>Native Download Matrix</h2>"), std::string::npos);
}

TEST_F(MeasureCommandTest, AFailedRunLeavesTheFileAndBadArgumentsAreNamed)
{
    const std::filesystem::path file = run.dir / "kept.txt";
    writeFile(file, "[DATA]\r\nkept\r\n");
    setEnvironment("CHROMIX_REGISTRY", (run.dir / "missing.reg").string());
    EXPECT_EQ(measure({"linearity", "--meter", "sim", "-o", file.string()}), kExitFailure);
    EXPECT_EQ(err.str(), "chromix measure: Unable to get needed registry values, please reinstall program.\n");
    EXPECT_EQ(readFile(file), "[DATA]\r\nkept\r\n");

    EXPECT_EQ(measure({"gamut", "--meter", "sim", "-o", file.string()}), kExitUsage);
    EXPECT_TRUE(
        err.str().starts_with("chromix measure: no measurement \"gamut\"; linearity, primaries or verification\n"));
    EXPECT_EQ(measure({"primaries", "--meter", "colorimeter", "-o", file.string()}), kExitUsage);
    EXPECT_TRUE(err.str().starts_with("chromix measure: --meter takes sim or argyll, not \"colorimeter\"\n"));
    EXPECT_EQ(readFile(file), "[DATA]\r\nkept\r\n");
}

} // namespace
