// The linearity window driven as an operator drives it: start-up, Apply, the clear
// buttons, the option boxes, verification mode, the data file, Save and the plot.

#include "gui/ramvel/ramvel_window.h"

#include "linearity/ui/response_plot.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>

namespace {

// 22 steps, so the Step Count list has the 21st entry it starts on.
const char* const kTwentyTwoSteps = "0~12~24~36~48~60~72~85~97~109~121~133~145~157~170~182~194~206~218~230~242~255";
const std::vector<int> kTwentyOneCodes{0,   12,  24,  36,  48,  60,  72,  85,  97,  109, 121,
                                       133, 145, 157, 170, 182, 194, 206, 218, 230, 242};

int countPixels(const QImage& image, QRgb colour, const QRect& area)
{
    int count = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y)
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == colour;
    return count;
}

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

class LinearityWindow : public RamvelWindow {
protected:
    QString text(const char* label) const { return control<QLabel>(label)->text(); }
    QStringList gammaLabels() const
    {
        return {text("averageGamma"), text("redGamma"), text("greenGamma"), text("blueGamma")};
    }
    QStringList targetLabels() const { return {text("stepCodeValue"), text("stepNumber")}; }
    QImage plot() const { return control<ResponsePlot>("responsePlot")->grab().toImage(); }
};

TEST_F(LinearityWindow, StartsInNormalModeWithNothingComputed)
{
    open(kTwentyTwoSteps);
    EXPECT_EQ(dialog->windowTitle(), "Chromix Display Linearity Calibration");
    ASSERT_EQ(grid().rowCount(), 22);
    for (int c = 0; c < 3; ++c) {
        const QTableWidgetItem* heading = grid().horizontalHeaderItem(c);
        EXPECT_EQ(heading->text(), channelName(kAllChannels[static_cast<std::size_t>(c)]).data());
        EXPECT_EQ(heading->foreground().color(), QColor(QRgb(0xFF0000u >> (8 * c))));
        EXPECT_EQ(column(c), QStringList(22, QStringLiteral("0.000")));
    }
    EXPECT_EQ(grid().verticalHeaderItem(21)->text(), "22");
    EXPECT_EQ(gammaLabels(), QStringList({"Average: Unknown", "Red: Unknown", "Green: Unknown", "Blue: Unknown"}));
    EXPECT_FALSE(enabled("averageGamma"));
    EXPECT_EQ(targetLabels(), QStringList({"Step Code Value: Unknown", "Step Number: Unknown"}));
    EXPECT_TRUE(control<QPushButton>("apply")->isDefault());
    EXPECT_FALSE(enabled("save"));
    for (const char* box : {"plotRed", "plotGreen", "plotBlue"})
        EXPECT_TRUE(checked(box) && enabled(box)) << box;
    EXPECT_FALSE(checked("noiseReduction") || checked("brightRegionCorrection") || checked("verificationMode")
                 || checked("clipBrightRegion") || enabled("clipBrightRegion") || enabled("stepCount"));
    const auto* stepCount = control<QComboBox>("stepCount");
    EXPECT_EQ(QStringList({QString::number(stepCount->count()), stepCount->itemText(21), stepCount->currentText()}),
              QStringList({"22", "22", "21"}))
        << "entries 1 to 22, the 21st selected";
    EXPECT_EQ(status(), "");
}

TEST_F(LinearityWindow, UnreadableSettingsAreReportedAndApplyCountsMissingValues)
{
    openStore(dir / "missing.reg");
    EXPECT_EQ(status(), "Unable to get needed registry values, please reinstall program.");
    EXPECT_TRUE(statusIsError());
    EXPECT_EQ(grid().rowCount(), 0);
    EXPECT_EQ(control<QComboBox>("stepCount")->count(), 0);
    click("clearColumn"); // no current cell: nothing to clear, nothing breaks
    click("apply");
    EXPECT_TRUE(status().startsWith("Number of entered measured values for Red is too small\r\n"));
    EXPECT_TRUE(statusIsError());
}

TEST_F(LinearityWindow, TypedValuesReachTheComputationAndThePlotAndEnterPressesApply)
{
    open(kSixSteps);
    click("plotGreen");
    click("plotBlue");
    const std::vector<std::string> values = gamma22Texts();
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 6; ++row)
            typeIntoCell(c, row, values[static_cast<std::size_t>(row)].substr(0, 8));
    grid().setCellText(2, 5, "x");
    grid().setFocus();
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_EQ(status(), "Missing required last Blue measured value");
    EXPECT_TRUE(statusIsError());
    EXPECT_FALSE(enabled("save"));
    const QRect area = plot().rect();
    EXPECT_EQ(countPixels(plot(), 0xFF0000, area), 0) << "nothing is drawn without a computation";

    grid().setCellText(2, 5, "100");
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_EQ(gammaLabels(), QStringList({"Average: 2.20", "Red: 2.20", "Green: 2.20", "Blue: 2.20"}));
    EXPECT_TRUE(enabled("averageGamma"));
    EXPECT_EQ(targetLabels(), QStringList({"Step Code Value: 255", "Step Number: 6"}));
    EXPECT_TRUE(enabled("save") && enabled("apply"));
    EXPECT_FALSE(statusIsError()) << status().toStdString();
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter runs Apply, not Save";

    // Only the checked channels are drawn: red points and curve.
    const QImage image = plot();
    const int w = image.width();
    const int h = image.height();
    // Step 4: code 153 of 255 = 0.6, luminance 0.6^2.2 = 0.32504 of the top step.
    const QPoint point(static_cast<int>(0.6 * w), static_cast<int>(h - 0.3250370 * h));
    EXPECT_GT(countPixels(image, 0xFF0000, QRect(point - QPoint(10, 10), point + QPoint(10, 10))), 0);
    // The curve at table entry 4095: luminance 0.5 at drive level 0.5^(1/2.2) = 0.72974.
    const QPoint curve(static_cast<int>(0.7297400 * w), h / 2);
    EXPECT_GT(countPixels(image, 0xFF0000, QRect(curve - QPoint(2, 2), curve + QPoint(2, 2))), 0);
    EXPECT_EQ(countPixels(image, 0x0000FF, area) + countPixels(image, 0x00FF00, area), 0);
    // A box clicked redraws the plot at once.
    PaintCounter paints;
    control<ResponsePlot>("responsePlot")->installEventFilter(&paints);
    click("plotRed");
    QCoreApplication::processEvents();
    EXPECT_GT(paints.count, 0);
    EXPECT_EQ(countPixels(plot(), 0xFF0000, area), 0);
    click("plotBlue");
    EXPECT_GT(countPixels(plot(), 0x0000FF, area), 0);
}

TEST_F(LinearityWindow, ClearButtonsResetCellsAndDisableSaveAndCancelWritesNothing)
{
    open(kSixSteps);
    fillAllColumns(gamma22Texts());
    click("apply");
    ASSERT_TRUE(enabled("save"));
    clickCell(1, 3);
    click("clearColumn");
    EXPECT_EQ(column(1), QStringList(6, QStringLiteral("0.000")));
    EXPECT_EQ(column(2)[5], "100");
    EXPECT_FALSE(enabled("save"));
    EXPECT_EQ(gammaLabels()[2], "Green: 2.20") << "nothing is computed";
    click("clearAll");
    EXPECT_EQ(column(0) + column(2), QStringList(12, QStringLiteral("0.000")));

    click("cancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(lutPathFor(dir, Channel::Red)));
}

TEST_F(LinearityWindow, GammasPlotAndSaveNeverOutliveTheReadingsTheyCameFrom)
{
    open(kSixSteps);
    fillAllColumns(gamma22Texts());
    click("apply");
    ASSERT_TRUE(enabled("save"));
    typeIntoCell(1, 2, "30");
    EXPECT_FALSE(enabled("save")) << "Save would write tables of the readings before the edit";

    grid().setCellText(2, 5, "x");
    click("apply");
    EXPECT_EQ(gammaLabels(), QStringList({"Average: Unknown", "Red: Unknown", "Green: Unknown", "Blue: Unknown"}));
    EXPECT_EQ(countPixels(plot(), 0xFF0000, plot().rect()), 0);

    grid().setCellText(2, 5, "100");
    click("apply");
    ASSERT_EQ(gammaLabels()[1], "Red: 2.20");
    click("verificationMode"); // its Apply on the fresh grid computes nothing
    EXPECT_EQ(gammaLabels(), QStringList({"Grayscale: Unknown", "", "", ""}));
    EXPECT_EQ(countPixels(plot(), 0xFF0000, plot().rect()), 0);
}

TEST_F(LinearityWindow, TypedReadingsAreReplacedOnlyWhenTheOperatorAgrees)
{
    open(kSixSteps);
    click("verificationMode");
    click("verificationMode");
    EXPECT_TRUE(messages.questions.empty()) << "a grid of zeros holds nothing to lose";

    fillAllColumns(gamma22Texts());
    files.next = dir / "data.txt";
    click("saveData");
    typeIntoCell(0, 5, "50");
    messages.answer = false;
    click("verificationMode");
    click("loadData");
    ASSERT_EQ(messages.questions.size(), 2u);
    EXPECT_EQ(messages.questions[1].title, "Chromix Display Linearity Calibration");
    EXPECT_EQ(messages.questions[1].text, "Discard the measured values?");
    EXPECT_FALSE(checked("verificationMode"));
    EXPECT_EQ(grid().columnCount(), 3);
    EXPECT_EQ(column(0)[5], "50.0000");

    messages.answer = true;
    click("loadData");
    EXPECT_EQ(column(0)[5], "100.0000");
    click("verificationMode");
    EXPECT_EQ(grid().columnCount(), 1);
    EXPECT_EQ(messages.questions.size(), 4u);
}

TEST_F(LinearityWindow, OptionBoxesAndVerificationModeWithOneGrayscaleColumnOfTheSelectedSteps)
{
    open(kTwentyTwoSteps);
    const QSize gridSize = grid().size();
    click("brightRegionCorrection");
    click("clipBrightRegion");
    click("brightRegionCorrection");
    EXPECT_FALSE(enabled("clipBrightRegion"));
    EXPECT_TRUE(checked("clipBrightRegion")) << "Clip Bright Region keeps its check";
    EXPECT_EQ(status(), "") << "nothing is computed";

    click("brightRegionCorrection");
    click("verificationMode");
    EXPECT_EQ(grid().columnCount(), 1);
    EXPECT_EQ(grid().rowCount(), 21);
    EXPECT_EQ(grid().horizontalHeaderItem(0)->text(), "Grayscale");
    EXPECT_EQ(grid().horizontalHeaderItem(0)->foreground().color(), QColor(Qt::red));
    EXPECT_EQ(grid().verticalHeaderItem(20)->text(), "21");
    EXPECT_EQ(grid().geometry(), QRect(QPoint(20, 20), gridSize)) << "a rebuilt grid sits at (20, 20) pixels";
    EXPECT_TRUE(enabled("plotRed") && enabled("stepCount"));
    EXPECT_FALSE(enabled("plotGreen") || enabled("plotBlue") || enabled("brightRegionCorrection")
                 || enabled("clipBrightRegion"));
    EXPECT_FALSE(checked("brightRegionCorrection") || checked("clipBrightRegion"));
    EXPECT_TRUE(statusIsError()) << "the automatic Apply ran on a grid of zeros";

    fillColumn(0, powerLawTexts(kTwentyOneCodes, 0.0, 100.0, 2.2));
    click("apply");
    EXPECT_EQ(gammaLabels(), QStringList({"Grayscale: 2.20", "", "", ""}));
    EXPECT_EQ(targetLabels(), QStringList({"Step Code Value: 242", "Step Number: 21"}));

    // Choosing ten steps in the list applies over the first ten rows.
    auto* stepCount = control<QComboBox>("stepCount");
    stepCount->setFocus();
    for (int i = 0; i < 11; ++i)
        QTest::keyClick(stepCount, Qt::Key_Up);
    EXPECT_EQ(stepCount->currentText(), "10");
    EXPECT_EQ(targetLabels()[1], "Step Number: 10");

    click("verificationMode");
    EXPECT_EQ(grid().columnCount(), 3);
    EXPECT_EQ(grid().rowCount(), 22);
    EXPECT_EQ(column(0)[0], "0.000") << "the grid starts afresh";
    EXPECT_TRUE(enabled("clipBrightRegion")) << "even with Bright Region Correction unchecked";
    EXPECT_FALSE(enabled("stepCount"));
    EXPECT_TRUE(enabled("plotGreen") && enabled("plotBlue"));
}

TEST_F(LinearityWindow, DataFileSavesAndLoadsGridAndOptions)
{
    open(kSixSteps);
    fillAllColumns(gamma22Texts());
    grid().setCellText(1, 2, "x");
    click("noiseReduction");
    files.status->setStatus(QStringLiteral("old"), true);
    files.next = dir / "data.txt";
    click("saveData");
    EXPECT_EQ(files.statusWhenAsked, "") << "the status is emptied before the dialog opens";

    dialog.reset();
    open(kSixSteps);
    click("loadData");
    EXPECT_EQ(column(0)[5], "100.0000");
    EXPECT_EQ(column(1)[2], "x");
    EXPECT_TRUE(checked("noiseReduction"));
    EXPECT_EQ(gammaLabels()[1], "Red: 2.20") << "Load ends with Apply";

    files.next.reset(); // cancelled: nothing changes
    click("loadData");
    EXPECT_EQ(column(0)[5], "100.0000");
}

TEST_F(LinearityWindow, AFailedSaveKeepsTheWindowOpenAndTheNextSaveClosesIt)
{
    open(kSixSteps);
    std::filesystem::create_directory(lutPathFor(dir, Channel::Green)); // cannot be opened as a file
    fillAllColumns(gamma22Texts());
    click("apply");
    click("save");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(status(), "Unable to open the 1DLUT output file for writing");
    EXPECT_TRUE(statusIsError());

    std::filesystem::remove(lutPathFor(dir, Channel::Green));
    click("save");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(storedFlag(dir / "registry.reg", Channel::Blue), "true");
}

} // namespace
