// The spotread driver against stand-in programs that print spotread's prompts and results.

#include "measure/spotread_meter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

namespace {

// The prompt spotread prints before each reading (emissive mode).
constexpr const char* kReadyPrompt =
    R"(printf '\nPlace instrument on spot to be measured,\nand hit [A-Z] to read white and setup FWA compensation (keyed to letter)\n[a-z] to read and make FWA compensated reading from keyed reference\n'"'"'r'"'"' to set reference, '"'"'s'"'"' to save spectrum,\n'"'"'h'"'"' to toggle high res., '"'"'k'"'"' to do a calibration\nHit ESC or Q to exit, any other key to take a reading: ')";

constexpr const char* kCalibrationPrompt =
    R"(printf '\nSpot read needs a calibration before continuing\nSet instrument sensor to calibration position, (and then hit any key to continue,\n or hit Esc or Q to abort): ')";

// A stand-in: `start` runs first, then each key that is not "q" runs `onKey` with $n
// counting the keys, and is followed by the prompt.
std::string standIn(const std::string& start, const std::string& onKey)
{
    return "#!/bin/bash\n" + start + "\n" + kReadyPrompt + "\nn=0\nwhile read -r -s -n 1 key; do\n"
        + "  [ \"$key\" = q ] && exit 0\n  n=$((n + 1))\n" + onKey + "\n  " + kReadyPrompt + "\ndone\n";
}

const std::string kResult =
    R"(printf '\n Result is XYZ: %d.000000 %d0.000000 %d.500000, Yxy: %d0.000000 0.312700 0.329000\n\n' $n $n $n $n)";

// Why the meter did not open; empty when it did.
std::string openFailure(SpotreadMeter& meter)
{
    const Result<> opened = meter.open();
    return opened ? std::string() : opened.failure().message;
}

class SpotreadMeterTest : public ::testing::Test {
protected:
    SpotreadSettings program(const std::string& script)
    {
        const auto file = dir / "spotread";
        writeFile(file, script);
        ::chmod(file.c_str(), 0755);
        SpotreadSettings settings;
        settings.program = file.string();
        settings.startMilliseconds = 5000;
        settings.readingMilliseconds = 5000;
        settings.exitMilliseconds = 1000;
        return settings;
    }

    TempDir dir;
};

TEST_F(SpotreadMeterTest, EachKeyGivesTheResultItAnswers)
{
    SpotreadMeter meter(createChildProcess(), program(standIn("echo 'Connecting to the instrument ..'", kResult)), {});
    ASSERT_EQ(openFailure(meter), "");
    for (int n = 1; n <= 3; ++n) {
        const Result<MeterReading> result = meter.read();
        ASSERT_TRUE(result) << result.failure().message;
        EXPECT_EQ(result->X, n);
        EXPECT_EQ(result->Y, n * 10.0);
        EXPECT_EQ(result->Z, n + 0.5);
        EXPECT_EQ(result->x, 0.3127) << "x and y as spotread gives them";
        EXPECT_EQ(result->y, 0.329);
    }
    meter.close();
}

TEST_F(SpotreadMeterTest, CalibrationPromptsGoToTheOperator)
{
    const std::string script =
        standIn(std::string(kCalibrationPrompt) + "\nread -r -s -n 1 key\n[ \"$key\" = q ] && exit 1", kResult);
    std::string instruction;
    SpotreadMeter meter(createChildProcess(), program(script), [&](const std::string& text) {
        instruction = text;
        return true;
    });
    ASSERT_EQ(openFailure(meter), "");
    EXPECT_NE(instruction.find("Set instrument sensor to calibration position"), std::string::npos) << instruction;
    EXPECT_TRUE(meter.read());

    SpotreadMeter refused(createChildProcess(), program(script), [](const std::string&) { return false; });
    EXPECT_EQ(openFailure(refused), "The meter's calibration was not done; the measurement stops.");
}

TEST_F(SpotreadMeterTest, NoInstrumentMisreadAndAMissingProgramAreNamed)
{
    SpotreadMeter absent(createChildProcess(), program("#!/bin/bash\necho 'No instrument found'\nexit 1\n"), {});
    EXPECT_EQ(openFailure(absent),
              "No colour meter was found. Connect it and try again. (spotread: No instrument found)");

    SpotreadMeter misread(createChildProcess(), program(standIn("", "printf '\\nSpot read failed due to misread\\n'")),
                          {});
    ASSERT_EQ(openFailure(misread), "");
    const Result<MeterReading> result = misread.read();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.failure().message, "the colour meter could not read (spotread: Spot read failed due to misread)");

    SpotreadSettings missing;
    missing.program = (dir / "no-such-spotread").string();
    SpotreadMeter notInstalled(createChildProcess(), missing, {});
    EXPECT_EQ(openFailure(notInstalled),
              "The colour meter program could not be started: " + missing.program
                  + ": No such file or directory (ArgyllCMS spotread; on Debian: apt-get install argyll)");
}

// A meter that stops answering ends the reading at its time limit, and the program is ended.
TEST_F(SpotreadMeterTest, AHangingMeterTimesOut)
{
    SpotreadSettings settings = program(standIn("", "sleep 600"));
    settings.readingMilliseconds = 500;
    SpotreadMeter meter(createChildProcess(), settings, {});
    ASSERT_EQ(openFailure(meter), "");
    const auto start = std::chrono::steady_clock::now();
    const Result<MeterReading> result = meter.read();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.failure().message, "the colour meter did not answer within 0.5 s");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    SpotreadSettings silent = program("#!/bin/bash\nsleep 600\n");
    silent.startMilliseconds = 300;
    SpotreadMeter neverReady(createChildProcess(), silent, {});
    EXPECT_EQ(openFailure(neverReady), "The colour meter did not get ready within 0.3 s.");

    // The operator cancelling ends the wait long before the meter's time limit.
    SpotreadSettings cancelled = program("#!/bin/bash\nsleep 600\n");
    const auto asked = std::chrono::steady_clock::now();
    cancelled.cancelled = [asked] { return std::chrono::steady_clock::now() - asked > std::chrono::milliseconds(300); };
    SpotreadMeter searching(createChildProcess(), cancelled, {});
    EXPECT_EQ(openFailure(searching), kSpotreadCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
}

} // namespace
