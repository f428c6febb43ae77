// The measuring window driven as an operator would: runs of the simulated display and of
// a stand-in spotread, with pause, cancel and the meter's calibration question.

#include "measure/ui/candora_dlg.h"

#include "config/registry_file_store.h"
#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "linearity/linearity_data_file.h"
#include "linearity/linearity_test_support.h"
#include "measure/ui/patch_window.h"
#include "uikit/data_file_chooser.h"
#include "uikit/status_field.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr const char* kTwentyOneSteps = "0~13~26~38~51~64~77~89~102~115~128~140~153~166~179~191~204~217~230~242~255~";
constexpr int kRunTimeoutMs = 60000;

// spotread's reading and calibration prompts, and a result line whose Y is 10 times the key count.
constexpr const char* kStandIn = R"(#!/bin/bash
ready() { printf '\nPlace instrument on spot to be measured,\nHit ESC or Q to exit, any other key to take a reading: '; }
printf '\nSpot read needs a calibration before continuing\nSet instrument sensor to calibration position, (and then hit any key to continue,\n or hit Esc or Q to abort): '
read -r -s -n 1 key
[ "$key" = q ] && exit 1
ready
n=0
while read -r -s -n 1 key; do
  [ "$key" = q ] && exit 0
  n=$((n + 1))
  printf '\n Result is XYZ: %d.000000 %d0.000000 %d.500000, Yxy: %d0.000000 0.312700 0.329000\n\n' $n $n $n $n
  ready
done
)";

class NoFile final : public DataFileChooser {
public:
    std::optional<std::filesystem::path> fileToSave(QWidget*) override { return std::nullopt; }
    std::optional<std::filesystem::path> fileToLoad(QWidget*) override { return std::nullopt; }
};

class MeasuringWindow : public ::testing::Test {
protected:
    void open(CandoraDlg::Options options = {})
    {
        options.timeScale = 0;
        options.pollMilliseconds = 5;
        dialog = std::make_unique<CandoraDlg>(std::make_unique<RegistryFileStore>(run.registryFile), files, messages,
                                              options);
        dialog->initialise();
        dialog->show();
        finished = std::make_unique<QSignalSpy>(dialog.get(), &CandoraDlg::runFinished);
    }

    template <typename Control> Control* control(const char* name) const { return findControl<Control>(*dialog, name); }
    void click(const char* name) { clickControl(*dialog, name); }
    void startInto(const std::filesystem::path& file)
    {
        control<QLineEdit>("output")->setText(QString::fromStdString(file.string()));
        click("start");
    }
    // True when the run ended as `completed` says.
    bool waitForEnd(bool completed)
    {
        if (finished->isEmpty() && !finished->wait(kRunTimeoutMs))
            return false;
        return finished->takeFirst().at(0).toBool() == completed;
    }
    QString status() const { return control<StatusField>("status")->text(); }

    LinearityRun run{kTwentyOneSteps};
    NoFile files;
    RecordingPresenter messages;
    std::unique_ptr<CandoraDlg> dialog;
    std::unique_ptr<QSignalSpy> finished;
};

TEST_F(MeasuringWindow, SimulatedLinearityRunWritesAFileTheLinearityToolLoads)
{
    open();
    const std::filesystem::path file = run.dir / "measured.txt";
    startInto(file);
    EXPECT_FALSE(control<QPushButton>("start")->isEnabled());
    ASSERT_TRUE(waitForEnd(true)) << status().toStdString();

    EXPECT_FALSE(dialog->patchWindow().isVisible());
    EXPECT_EQ(control<QProgressBar>("progress")->value(), 63);
    EXPECT_TRUE(control<QLabel>("reading")->text().startsWith("Last reading: Blue step 21 (code 255): Y "));
    const std::filesystem::path report = run.dir / "measured_report.html";
    EXPECT_EQ(status(),
              "Linearity data file written: " + QString::fromStdString(file.string())
                  + "\nReport written: " + QString::fromStdString(report.string()));
    EXPECT_NE(readFile(report).find("<svg"), std::string::npos);

    // The simulated display's gammas (2.2, 2.4, 2.3) come back out of the linearity tool.
    ASSERT_TRUE(loadDataFile(run.calibration, file));
    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.2, 0.02);
    EXPECT_NEAR(run.calibration.gamma(Channel::Green), 2.4, 0.02);
    EXPECT_NEAR(run.calibration.gamma(Channel::Blue), 2.3, 0.02);
    EXPECT_TRUE(control<QPushButton>("start")->isEnabled());
}

// Esc, once the operator confirms, ends the run; the old file stays as it was.
TEST_F(MeasuringWindow, CancelLeavesAnExistingFileUntouched)
{
    open();
    const std::filesystem::path file = run.dir / "measured.txt";
    writeFile(file, "the operator's earlier measurement\r\n");
    startInto(file);
    ASSERT_EQ(messages.questions.size(), 1u); // replace the existing file?
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_TRUE(waitForEnd(false));

    ASSERT_EQ(messages.questions.size(), 2u);
    EXPECT_TRUE(messages.questions[1].text.startsWith("Cancel the measurement?"));
    EXPECT_EQ(status(), "The measurement was cancelled; no file was written.");
    EXPECT_TRUE(control<StatusField>("status")->showsError());
    EXPECT_EQ(readFile(file), "the operator's earlier measurement\r\n");
    EXPECT_FALSE(std::filesystem::exists(run.dir / "measured_report.html"));
}

// Closing the window mid-run stops the run's thread and waits for it; nothing is written.
TEST_F(MeasuringWindow, ClosingDuringARunStopsItAndWritesNothing)
{
    open();
    startInto(run.dir / "measured.txt");
    ASSERT_TRUE(dialog->runActive());
    dialog.reset();
    EXPECT_FALSE(std::filesystem::exists(run.dir / "measured.txt"));
}

TEST_F(MeasuringWindow, PauseHoldsTheRunUntilResumed)
{
    open();
    const std::filesystem::path file = run.dir / "measured.txt";
    startInto(file);
    PatchWindow& patch = dialog->patchWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return patch.isVisible(); }, kRunTimeoutMs));
    QTest::keyClick(&patch, Qt::Key_Space);
    EXPECT_EQ(control<QPushButton>("pause")->text(), "Resume");
    EXPECT_TRUE(patch.caption().contains("Paused: Space resumes"));
    QTest::qWait(100); // a reading already under way may still arrive
    const int held = control<QProgressBar>("progress")->value();
    QTest::qWait(300);
    EXPECT_EQ(control<QProgressBar>("progress")->value(), held);
    EXPECT_LT(held, 63);
    EXPECT_TRUE(dialog->runActive());

    click("pause");
    ASSERT_TRUE(waitForEnd(true)) << status().toStdString();
    EXPECT_EQ(control<QProgressBar>("progress")->value(), 63);
    EXPECT_TRUE(loadDataFile(run.calibration, file));
}

// spotread's calibration prompt is a question in the window; No stops the run, Yes goes on.
TEST_F(MeasuringWindow, MeterCalibrationIsAskedOfTheOperator)
{
    const std::filesystem::path program = run.dir / "spotread";
    writeFile(program, kStandIn);
    ::chmod(program.c_str(), 0755);
    CandoraDlg::Options options;
    options.spotread.program = program.string();
    options.spotread.startMilliseconds = 5000;
    options.spotread.readingMilliseconds = 5000;
    options.spotread.exitMilliseconds = 1000;
    open(options);
    control<QRadioButton>("primaries")->setChecked(true);
    control<QComboBox>("meter")->setCurrentIndex(1);
    const std::filesystem::path file = run.dir / "primaries.txt";

    messages.answer = false;
    startInto(file);
    ASSERT_TRUE(waitForEnd(false));
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(messages.questions[0].title, "Colour meter calibration");
    EXPECT_TRUE(messages.questions[0].text.contains("Set instrument sensor to calibration position"));
    EXPECT_EQ(status(), "The meter's calibration was not done; the measurement stops.\nNo file was written.");
    EXPECT_FALSE(std::filesystem::exists(file));

    messages.answer = true;
    click("start");
    ASSERT_TRUE(waitForEnd(true)) << status().toStdString();
    EXPECT_EQ(messages.questions.size(), 2u);
    EXPECT_EQ(readFile(file).substr(0, 34), "[DATA]\r\nMEASURED_DATA_RED=0.3127, ");
}

// The run chromix asks for: started at once, the named file replaced without a question;
// wrong arguments are named before anything starts.
TEST_F(MeasuringWindow, CommandLineRunStartsAtOnceAndWrongArgumentsAreNamed)
{
    const auto failure = [](const QStringList& arguments) {
        const auto parsed = parseRunRequest(arguments);
        return parsed ? std::string("accepted") : parsed.failure().message;
    };
    EXPECT_EQ(failure({"--run", "primaries", "--meter", "sim", "-o", "f.txt", "--steps", "3"}),
              "--steps is for verification only");
    EXPECT_EQ(failure({"--run", "linearity", "--meter", "sim"}), "-o FILE is missing");
    EXPECT_EQ(failure({"--run", "linearity", "--meter", "sim", "-o"}), "-o needs a value");
    EXPECT_EQ(failure({"--run", "linearity", "--meter", "sim", "-o", "f.txt", "--settle-ms", "-5"}),
              "--settle-ms takes a whole number of 0 to 60000, not \"-5\"");

    open();
    const std::filesystem::path file = run.dir / "measured.txt";
    writeFile(file, "the operator's earlier measurement\r\n");
    const auto request = parseRunRequest(
        {"--run", "verification", "--meter", "sim", "-o", QString::fromStdString(file.string()), "--steps", "22"});
    ASSERT_TRUE(request && *request);
    EXPECT_EQ(dialog->requestProblem(**request), "--steps takes a step count of 1 to 21, the steps of the step list");
    RunRequest fifteen = **request;
    fifteen.steps = 15;
    EXPECT_TRUE(dialog->requestProblem(fifteen).isEmpty());
    ASSERT_TRUE(dialog->startRequested(fifteen)) << dialog->statusText().toStdString();
    ASSERT_TRUE(waitForEnd(true)) << status().toStdString();
    EXPECT_TRUE(messages.questions.empty()) << "the command named the file";
    EXPECT_TRUE(dialog->savedAsAsked());
    EXPECT_EQ(control<QProgressBar>("progress")->value(), 15);
    ASSERT_TRUE(loadDataFile(run.calibration, file));
    EXPECT_TRUE(run.calibration.verificationMode());
}

} // namespace
