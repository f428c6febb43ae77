// chromix measure --meter argyll as an operator runs it: a whole chromix process that hands
// the run to the measuring window (on Qt's offscreen platform) with a stand-in spotread on
// PATH, and reports only what the window wrote.

#include "linearity/linearity_data_file.h"
#include "linearity/linearity_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

namespace {

// spotread's reading prompt; each key is answered with a result whose Y is 10 times the key count.
constexpr const char* kMeter = R"(#!/bin/bash
ready() { printf '\nPlace instrument on spot to be measured,\nHit ESC or Q to exit, any other key to take a reading: '; }
ready
n=0
while read -r -s -n 1 key; do
  [ "$key" = q ] && exit 0
  n=$((n + 1))
  printf '\n Result is XYZ: %d.000000 %d0.000000 %d.500000, Yxy: %d0.000000 0.312700 0.329000\n\n' $n $n $n $n
  ready
done
)";

constexpr const char* kNoMeter = "#!/bin/sh\necho 'Diagnostic: No instrument found'\nexit 1\n";

class MeasureInWindow : public ::testing::Test {
protected:
    struct Ended {
        int status;
        std::string out;
        std::string err;
    };

    Ended measure(const char* meterScript, const std::string& arguments)
    {
        const std::filesystem::path bin = run.dir / "meter";
        std::filesystem::create_directories(bin);
        writeFile(bin / "spotread", meterScript);
        ::chmod((bin / "spotread").c_str(), 0755);
        const std::string command = "env PATH=" + bin.string() + ":\"$PATH\" CHROMIX_REGISTRY="
            + run.registryFile.string() + " QT_QPA_PLATFORM=offscreen " CHROMIX_PROGRAM " measure " + arguments
            + " </dev/null >" + (run.dir / "out").string() + " 2>" + (run.dir / "err").string();
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(run.dir / "out"), readFile(run.dir / "err")};
    }

    LinearityRun run{"0~64~128~192~255~"};
};

TEST_F(MeasureInWindow, LinearityRunWritesTheDataFileAndSaysSo)
{
    const std::filesystem::path file = run.dir / "measured.txt";
    const Ended ended = measure(kMeter, "linearity --meter argyll --settle-ms 0 -o " + file.string());
    ASSERT_EQ(ended.status, 0) << ended.out << ended.err;
    EXPECT_TRUE(ended.out.ends_with("\nLinearity data file written: " + file.string() + "\n")) << ended.out;
    // Red, green and blue in turn, five steps each: step 1 is keys 1, 6 and 11.
    EXPECT_NE(readFile(file).find("MEASURED_DATA_1= 10.0000,  60.0000, 110.0000\r\n"), std::string::npos)
        << readFile(file);
    EXPECT_TRUE(loadDataFile(run.calibration, file));
    EXPECT_TRUE(std::filesystem::exists(run.dir / "measured_report.html"));
}

TEST_F(MeasureInWindow, ARunWithoutMeterLeavesTheFileAndFails)
{
    const std::filesystem::path file = run.dir / "measured.txt";
    writeFile(file, "the operator's earlier measurement\r\n");
    const Ended ended = measure(kNoMeter, "linearity --meter argyll -o " + file.string());
    EXPECT_EQ(ended.status, 1);
    EXPECT_NE(ended.err.find("No colour meter was found."), std::string::npos) << ended.err;
    EXPECT_TRUE(ended.err.ends_with("no data file was written\n")) << ended.err;
    EXPECT_EQ(ended.out.find("data file written"), std::string::npos) << ended.out;
    EXPECT_EQ(readFile(file), "the operator's earlier measurement\r\n");
}

} // namespace
