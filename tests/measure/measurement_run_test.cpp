// The simulated display and meter, the patch plan and the run loop.

#include "measure/chromaticity.h"
#include "measure/measurement_run.h"
#include "measure/simulated_display.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

StepTable threeSteps()
{
    StepTable steps;
    for (Channel channel : kAllChannels)
        parseStepList(steps, channel, "0~128~255~");
    return steps;
}

SimulatedDisplayModel noiseless()
{
    SimulatedDisplayModel model;
    model.noise = 0.0;
    return model;
}

// The HDTV primaries with D65 give the published sRGB matrix (IEC 61966-2-1, 4 decimals).
TEST(Chromaticity, HdtvPrimariesGiveThePublishedMatrix)
{
    const Matrix3x3 expected{{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};
    const Matrix3x3 m = rgbToXyz(kHdtvPrimaries, kD65White);
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(m[r][c], expected[r][c], 1e-4) << "row " << r << " column " << c;
    }
}

// Independent values: white is the model's white at full luminance; a red step follows
// (code / 255) ^ gamma above the black level.
TEST(SimulatedDisplay, SettledLightFollowsTheModel)
{
    const SimulatedDisplayModel model = noiseless();
    const Tristimulus white = simulatedLight(model, 0xFFFFFF);
    EXPECT_NEAR(white.Y, 120.0, 1e-9);
    EXPECT_NEAR(white.X / (white.X + white.Y + white.Z), 0.3127, 1e-9);
    EXPECT_NEAR(white.Y / (white.X + white.Y + white.Z), 0.3290, 1e-9);
    EXPECT_NEAR(simulatedLight(model, 0).Y, 0.08, 1e-12);

    const double redShare = rgbToXyz(model.primaries, model.white)[1][0];
    const double expected = 0.08 + std::pow(128.0 / 255.0, 2.2) * (120.0 - 0.08) * redShare;
    EXPECT_NEAR(simulatedLight(model, 0x000080).Y, expected, 1e-9);
}

TEST(SimulatedDisplay, AReadingBeforeTheSettleTimeSeesABlend)
{
    SimulatedPacer pacer;
    SimulatedDisplay display(noiseless(), pacer); // settles in 200 ms
    SimulatedMeter meter(display);
    ASSERT_TRUE(display.show(0xFFFFFF));
    pacer.wait(50);
    EXPECT_NEAR(meter.read()->Y, 0.08 + (120.0 - 0.08) * 0.25, 1e-9);
    pacer.wait(150);
    EXPECT_NEAR(meter.read()->Y, 120.0, 1e-9);
}

// A relative noise of 0.2 % shows as that spread over many readings, and a seed repeats them.
TEST(SimulatedDisplay, NoiseHasTheModelsSpreadAndRepeatsWithItsSeed)
{
    SimulatedPacer pacer;
    SimulatedDisplay display(SimulatedDisplayModel{}, pacer);
    ASSERT_TRUE(display.show(0xFFFFFF));
    pacer.wait(1000);
    SimulatedMeter meter(display);
    SimulatedMeter again(display);
    double sum = 0.0;
    double squares = 0.0;
    const int n = 4000;
    for (int i = 0; i < n; ++i) {
        const double reading = meter.read()->Y;
        EXPECT_EQ(again.read()->Y, reading);
        const double y = reading / 120.0 - 1.0;
        sum += y;
        squares += y * y;
    }
    const double mean = sum / n;
    EXPECT_NEAR(mean, 0.0, 0.0002);
    EXPECT_NEAR(std::sqrt(squares / n - mean * mean), 0.002, 0.0002);
}

TEST(MeasurementPlan, PatchesFollowTheStepListInTheTargetDisplaysColours)
{
    const StepTable steps = threeSteps();
    const std::vector<Patch> linearity = plannedPatches(MeasurementKind::Linearity, steps, 0);
    ASSERT_EQ(linearity.size(), 9u);
    const std::uint32_t colours[] = {0, 0x80, 0xFF, 0, 0x8000, 0xFF00, 0, 0x800000, 0xFF0000};
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(linearity[i].colour, colours[i]) << i;
    EXPECT_EQ(patchName(linearity[4]), "Green step 2 (code 128)");

    const std::vector<Patch> grey = plannedPatches(MeasurementKind::Verification, steps, 2);
    ASSERT_EQ(grey.size(), 2u);
    EXPECT_EQ(grey[1].colour, 0x808080u);
    EXPECT_EQ(patchName(grey[1]), "Grey step 2 (code 128)");

    const std::vector<Patch> primaries = plannedPatches(MeasurementKind::Primaries, steps, 0);
    ASSERT_EQ(primaries.size(), 3u);
    EXPECT_EQ(primaries[2].colour, 0xFF0000u);
    EXPECT_EQ(patchName(primaries[2]), "Blue primary");
}

// Pauses for a while at the second patch, or cancels there.
class ScriptedObserver : public RunObserver {
public:
    void patchShown(const Patch&, int index, int) override { shown_ = index; }
    void readingTaken(const Patch&, const MeterReading&, int, int) override { ++readings; }
    RunControl control() override
    {
        if (shown_ == 1 && cancelAtSecond)
            return RunControl::Cancel;
        if (shown_ == 1 && pausePolls > 0) {
            --pausePolls;
            return RunControl::Pause;
        }
        return RunControl::Continue;
    }

    bool cancelAtSecond = false;
    int pausePolls = 0;
    int readings = 0;

private:
    int shown_ = -1;
};

class FailingMeter : public ColourMeter {
public:
    Result<> open() override { return {}; }
    Result<MeterReading> read() override { return Failure{"the instrument did not answer within 20 seconds", {}}; }
    void close() override {}
};

TEST(MeasurementRun, PauseDelaysCancelStopsAndAMeterFaultIsNamed)
{
    const std::vector<Patch> patches = plannedPatches(MeasurementKind::Verification, threeSteps(), 3);
    RunSettings settings;
    settings.settleMilliseconds = 300;
    {
        SimulatedPacer pacer;
        SimulatedDisplay display(noiseless(), pacer);
        SimulatedMeter meter(display);
        ScriptedObserver observer;
        observer.pausePolls = 10;
        const RunResult result = runMeasurement(patches, display, meter, pacer, observer, settings);
        EXPECT_EQ(result.outcome, RunOutcome::Completed);
        ASSERT_EQ(result.readings.size(), 3u);
        EXPECT_NEAR(result.readings[2].Y, 120.0, 1e-9);
        EXPECT_EQ(pacer.now(), 3 * 300 + 10 * 50) << "three settle waits and ten pause polls";
    }
    {
        SimulatedPacer pacer;
        SimulatedDisplay display(noiseless(), pacer);
        SimulatedMeter meter(display);
        ScriptedObserver observer;
        observer.cancelAtSecond = true;
        const RunResult result = runMeasurement(patches, display, meter, pacer, observer, settings);
        EXPECT_EQ(result.outcome, RunOutcome::Cancelled);
        EXPECT_EQ(result.message, "The measurement was cancelled; no file was written.");
        EXPECT_EQ(result.readings.size(), 1u);
    }
    {
        SimulatedPacer pacer;
        SimulatedDisplay display(noiseless(), pacer);
        FailingMeter meter;
        ScriptedObserver observer;
        const RunResult result = runMeasurement(patches, display, meter, pacer, observer, settings);
        EXPECT_EQ(result.outcome, RunOutcome::Failed);
        EXPECT_EQ(result.message,
                  "No reading of Grey step 1 (code 0): the instrument did not answer within 20 seconds");
        EXPECT_EQ(observer.readings, 0);
    }
}

// A settle delay shorter than the display's own gives readings short of the patch's light.
TEST(MeasurementRun, TheSettleDelayIsWaitedBeforeEachReading)
{
    const std::vector<Patch> patches = plannedPatches(MeasurementKind::Primaries, threeSteps(), 0);
    SimulatedPacer pacer;
    SimulatedDisplay display(noiseless(), pacer);
    SimulatedMeter meter(display);
    RunObserver observer;
    RunSettings settings;
    settings.settleMilliseconds = 100; // half of the display's 200 ms
    const RunResult result = runMeasurement(patches, display, meter, pacer, observer, settings);
    ASSERT_EQ(result.readings.size(), 3u);
    const double red = simulatedLight(noiseless(), 0xFF).Y;
    EXPECT_NEAR(result.readings[0].Y, 0.08 + (red - 0.08) * 0.5, 1e-9);
}

} // namespace
