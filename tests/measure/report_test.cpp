// The report figures against values worked out by hand.

#include "measure/linearity_report.h"
#include "measure/measured_data_files.h"
#include "measure/primaries_report.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace {

const std::vector<int> kCodes{0, 32, 64, 128, 192, 255};

TEST(LinearityReport, FittedAndStepGammasAndTheErrorAgainstTheTarget)
{
    // Red follows a 2.2 power law above a black of 0.1; green is not measured at step 3.
    LinearityMeasurements m;
    m.stepCount = 6;
    for (int code : kCodes) {
        const double y = 0.1 + 100.0 * std::pow(code / 255.0, 2.2);
        m.red.push_back(y);
        m.green.push_back(y);
        m.blue.push_back(y);
    }
    m.green[2] = std::nullopt;
    TempDir dir;
    ASSERT_TRUE(writeDataFile(dir / "data.txt", linearityDataText(m)));
    const Result<LinearityDataValues> values = readLinearityData(dir / "data.txt", 6);
    ASSERT_TRUE(values) << values.failure().lines();
    EXPECT_FALSE(values->steps[2][1]);

    const LinearityAnalysis a = analyseLinearity(kCodes, *values, 2.4);
    ASSERT_EQ(a.channels.size(), 3u);
    const ChannelResponse& red = a.channels[0];
    // Four decimals in the file: the fit is 2.2 to within their rounding.
    EXPECT_NEAR(*red.fittedGamma, 2.2, 0.002);
    EXPECT_NEAR(*red.stepGamma[3], 2.2, 0.002);
    EXPECT_FALSE(red.stepGamma[0]) << "code 0 has no gamma";
    // (v^2.2 - v^2.4) / v^2.4 = v^-0.2 - 1 at v = 128/255.
    EXPECT_NEAR(*red.errorPercent[3], (std::pow(128.0 / 255.0, -0.2) - 1.0) * 100.0, 0.02);
    EXPECT_NEAR(*red.errorPercent[5], 0.0, 1e-12);
    EXPECT_EQ(a.channels[1].steps, (std::vector<int>{1, 2, 4, 5, 6}));

    const std::string html = linearityReportHtml(a, "data.txt");
    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>"));
    EXPECT_NE(html.find("<td>2.20</td>"), std::string::npos);
    EXPECT_FALSE(std::regex_search(html, std::regex("\\b(nan|inf)\\b"))) << "a number that is not one";

    const Result<LinearityDataValues> tooFew = readLinearityData(dir / "data.txt", 7);
    ASSERT_FALSE(tooFew);
    EXPECT_EQ(tooFew.failure().message, "The linearity data file has format or data errors!");
}

TEST(PrimariesReport, ErrorsAgainstHdtvAndD65)
{
    // The HDTV primaries at their luminance shares of a D65 white of 100 cd/m².
    PrimaryDataValues values{{kHdtvPrimaries}, {21.26, 71.52, 7.22}};
    PrimariesAnalysis a = analysePrimaries(values);
    EXPECT_NEAR(a.whiteLuminance, 100.0, 1e-9);
    for (const ChromaticityError& e : a.errors) {
        EXPECT_NEAR(e.deltaXy, 0.0, 1e-4) << e.name;
        EXPECT_NEAR(e.deltaE2000, 0.0, 0.05) << e.name;
    }
    values.chromaticity[0] = {0.65, 0.33};
    a = analysePrimaries(values);
    EXPECT_NEAR(a.errors[0].deltaXy, 0.01, 1e-12);
    EXPECT_GT(a.errors[0].deltaE2000, 0.5);
    EXPECT_GT(a.errors[3].deltaXy, 0.0) << "a redder red moves white";

    const std::string html = primariesReportHtml(a, "p.txt", {{"Native Download Matrix", {}}});
    EXPECT_NE(html.find("<th>Red</th><td>0.6500</td><td>0.3300</td><td>0.6400</td><td>0.3300</td><td>0.0100</td>"),
              std::string::npos);
    EXPECT_NE(html.find("<h2>Native Download Matrix</h2>"), std::string::npos);
}

} // namespace
