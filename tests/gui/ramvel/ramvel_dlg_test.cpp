// The linearity window driven as an operator drives it: start-up, Apply, the clear
// buttons, the option boxes, verification mode, the data file, Save and the plot.

#include "gui/ramvel/ramvel_window.h"

#include "linearity/ui/response_plot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>

namespace {

// 22 steps, so the Step Count list has the 21st entry it starts on.
const std::string kTwentyTwoSteps = [] {
    std::string steps;
    for (int i = 0; i < 22; ++i)
        steps += (i ? "~" : "") + std::to_string(i * 255 / 21);
    return steps;
}();
std::vector<int> twentyTwoCodes()
{
    std::vector<int> codes;
    for (int i = 0; i < 22; ++i)
        codes.push_back(i * 255 / 21);
    return codes;
}

QStringList labels(const RamvelDlg& dialog, std::initializer_list<const char*> names)
{
    QStringList texts;
    for (const char* name : names)
        texts << findControl<QLabel>(dialog, name)->text();
    return texts;
}

int countPixels(const QImage& image, QRgb colour, const QRect& area)
{
    int count = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y)
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == colour;
    return count;
}

class LinearityWindow : public RamvelWindow {
protected:
    QStringList gammaLabels() const { return labels(*dialog, {"averageGamma", "redGamma", "greenGamma", "blueGamma"}); }
    QStringList targetLabels() const { return labels(*dialog, {"stepCodeValue", "stepNumber"}); }
    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabled(); }
    bool checked(const char* name) const { return control<QCheckBox>(name)->isChecked(); }
    QImage plot() const { return control<ResponsePlot>("responsePlot")->grab().toImage(); }
};

TEST_F(LinearityWindow, StartsInNormalModeWithNothingComputed)
{
    open(kTwentyTwoSteps);
    EXPECT_EQ(dialog->windowTitle(), "Chromix Display Linearity Calibration");
    EXPECT_EQ(grid().rowCount(), 22);
    for (int c = 0; c < 3; ++c) {
        const QTableWidgetItem* heading = grid().horizontalHeaderItem(c);
        EXPECT_EQ(heading->text(), channelName(kAllChannels[c]).data());
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
    EXPECT_FALSE(checked("noiseReduction") || checked("brightRegionCorrection") || checked("verificationMode"));
    EXPECT_FALSE(checked("clipBrightRegion") || enabled("clipBrightRegion"));
    auto* stepCount = control<QComboBox>("stepCount");
    EXPECT_FALSE(stepCount->isEnabled());
    EXPECT_EQ(stepCount->count(), 22);
    EXPECT_EQ(stepCount->itemText(21), "22");
    EXPECT_EQ(stepCount->currentIndex(), 20);
    EXPECT_EQ(status(), "");
    const QImage blank = plot();
    EXPECT_EQ(countPixels(blank, 0xFFFFFF, blank.rect()), blank.width() * blank.height()) << "nothing drawn yet";
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
    EXPECT_EQ(status(), "Number of entered measured values for Red is too small\r\n"
                        "Number of entered measured values for Green is too small\r\n"
                        "Number of entered measured values for Blue is too small");
    EXPECT_TRUE(statusIsError());
    EXPECT_FALSE(enabled("save"));
}

TEST_F(LinearityWindow, TypedValuesApplyToGammasTargetLabelsAndPlot)
{
    open(kSixSteps);
    const std::vector<std::string> values = gamma22Texts();
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 6; ++row)
            typeIntoCell(c, row, QString::fromStdString(values[static_cast<std::size_t>(row)]).left(8));
    click("apply");
    EXPECT_EQ(gammaLabels(), QStringList({"Average: 2.20", "Red: 2.20", "Green: 2.20", "Blue: 2.20"}));
    EXPECT_TRUE(enabled("averageGamma"));
    EXPECT_EQ(targetLabels(), QStringList({"Step Code Value: 255", "Step Number: 6"}));
    EXPECT_TRUE(enabled("save") && enabled("apply"));
    EXPECT_FALSE(statusIsError()) << status().toStdString();
}

TEST_F(LinearityWindow, EnterOnTheGridPressesApplyAndFailuresShowInRed)
{
    open(kSixSteps);
    fillAllColumns(gamma22Texts());
    grid().setCellText(2, 5, "x");
    grid().setFocus();
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_EQ(status(), "Missing required last Blue measured value");
    EXPECT_TRUE(statusIsError());
    EXPECT_FALSE(enabled("save"));

    grid().setCellText(2, 5, "100");
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_TRUE(enabled("save"));
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "Enter runs Apply, not Save";
    EXPECT_EQ(dialog->result(), 0);
}

TEST_F(LinearityWindow, ClearButtonsResetCellsAndDisableSave)
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
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(column(c), QStringList(6, QStringLiteral("0.000"))) << c;
}

TEST_F(LinearityWindow, BrightRegionCorrectionEnablesClipAndKeepsItsCheck)
{
    open(kSixSteps);
    click("brightRegionCorrection");
    EXPECT_TRUE(enabled("clipBrightRegion"));
    click("clipBrightRegion");
    click("brightRegionCorrection");
    EXPECT_FALSE(enabled("clipBrightRegion"));
    EXPECT_TRUE(checked("clipBrightRegion"));
    EXPECT_EQ(status(), "") << "nothing is computed";
}

TEST_F(LinearityWindow, VerificationModeUsesOneGrayscaleColumnOfTheSelectedSteps)
{
    open(kTwentyTwoSteps);
    click("brightRegionCorrection");
    click("clipBrightRegion");
    click("verificationMode");
    EXPECT_EQ(grid().columnCount(), 1);
    EXPECT_EQ(grid().rowCount(), 21);
    EXPECT_EQ(grid().horizontalHeaderItem(0)->text(), "Grayscale");
    EXPECT_EQ(grid().verticalHeaderItem(20)->text(), "21");
    EXPECT_TRUE(enabled("plotRed") && enabled("stepCount"));
    EXPECT_FALSE(enabled("plotGreen") || enabled("plotBlue") || enabled("brightRegionCorrection") || enabled("clipBrightRegion"));
    EXPECT_FALSE(checked("brightRegionCorrection") || checked("clipBrightRegion"));
    EXPECT_TRUE(statusIsError()) << "the automatic Apply ran on a grid of zeros";

    const std::vector<int> codes = twentyTwoCodes();
    fillColumn(0, powerLawTexts({codes.begin(), codes.begin() + 21}, 0.0, 100.0, 2.2));
    click("apply");
    EXPECT_EQ(gammaLabels(), QStringList({"Grayscale: 2.20", "", "", ""}));
    EXPECT_EQ(targetLabels(), QStringList({"Step Code Value: " + QString::number(codes[20]), "Step Number: 21"}));

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
    click("clipBrightRegion"); // disabled: the click does nothing
    control<StatusField>("status")->setStatus(QStringLiteral("old"), true);
    files.next = dir / "data.txt";
    click("saveData");
    EXPECT_EQ(files.statusWhenAsked, "") << "the status is emptied before the dialog opens";
    const std::string saved = readFile(dir / "data.txt");
    EXPECT_NE(saved.find("[DATA]\r\nMEASURED_DATA_1=  0.0000,   0.0000,   0.0000\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("MEASURED_DATA_3= 13.3209,        x,  13.3209\r\n"), std::string::npos) << "x: not measured";
    EXPECT_NE(saved.find("MEASURED_DATA_6=100.0000, 100.0000, 100.0000\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("NOISE_REDUCTION=ON\r\n"), std::string::npos);
    EXPECT_NE(saved.find("CLIP_BRIGHT_REGION=OFF\r\n"), std::string::npos);

    dialog.reset();
    open(kSixSteps);
    click("loadData");
    EXPECT_EQ(column(0)[5], "100.0000");
    EXPECT_EQ(column(1)[2], "x");
    EXPECT_TRUE(checked("noiseReduction"));
    EXPECT_TRUE(enabled("save")) << "Load ends with Apply";
    EXPECT_EQ(gammaLabels()[1], "Red: 2.20");

    files.next.reset(); // cancelled: nothing changes
    click("loadData");
    EXPECT_EQ(column(0)[5], "100.0000");

    writeFile(dir / "data.txt", replaced(readFile(dir / "data.txt"), "VERSION=1.00", "VERSION=1.01"));
    files.next = dir / "data.txt";
    click("loadData");
    EXPECT_EQ(status(), "Invalid version number for the linearity data file!");
    EXPECT_TRUE(statusIsError());
}

TEST_F(LinearityWindow, SaveWritesTheThreeTablesAndClosesTheWindow)
{
    open(kSixSteps);
    fillAllColumns(gamma22Texts());
    click("apply");
    click("save");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (Channel channel : kAllChannels) {
        const std::string lut = readFile(lutPathFor(dir, channel));
        EXPECT_EQ(std::count(lut.begin(), lut.end(), '\n'), 8192) << channelName(channel);
        EXPECT_EQ(storedFlag(dir / "registry.reg", channel), "true");
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "Diagnostics" / "measured_linearities.txt"));
}

TEST_F(LinearityWindow, AFailedSaveKeepsTheWindowOpenAndCancelWritesNothing)
{
    open(kSixSteps);
    std::filesystem::create_directory(lutPathFor(dir, Channel::Green)); // cannot be opened as a file
    fillAllColumns(gamma22Texts());
    click("apply");
    click("save");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(status(), "Unable to open the 1DLUT output file for writing");
    EXPECT_TRUE(statusIsError());
    EXPECT_EQ(storedFlag(dir / "registry.reg", Channel::Red), "true");
    EXPECT_EQ(storedFlag(dir / "registry.reg", Channel::Blue), "false");

    click("cancel");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(lutPathFor(dir, Channel::Blue)));
}

TEST_F(LinearityWindow, PlotShowsMeasuredPointsAndCurveOfTheCheckedChannels)
{
    open(kSixSteps);
    fillAllColumns(gamma22Texts());
    click("plotGreen");
    click("plotBlue");
    click("apply");
    const QImage image = plot();
    const int w = image.width();
    const int h = image.height();
    // Step 4: code 153 of 255 = 0.6, luminance 0.6^2.2 = 0.32504 of the top step.
    const QPoint point(static_cast<int>(0.6 * w), static_cast<int>(h - 0.3250370 * h));
    EXPECT_GT(countPixels(image, 0xFF0000, QRect(point - QPoint(10, 10), point + QPoint(10, 10))), 0);
    // The curve at table entry 4095: luminance 0.5 at drive level 0.5^(1/2.2) = 0.72974.
    const QPoint curve(static_cast<int>(0.7297400 * w), h / 2);
    EXPECT_GT(countPixels(image, 0xFF0000, QRect(curve - QPoint(2, 2), curve + QPoint(2, 2))), 0);
    EXPECT_EQ(countPixels(image, 0x0000FF, image.rect()) + countPixels(image, 0x00FF00, image.rect()), 0);

    // Unchecking Red changes the plot when it is next painted.
    click("plotRed");
    EXPECT_EQ(countPixels(plot(), 0xFF0000, image.rect()), 0);
    click("plotBlue");
    EXPECT_GT(countPixels(plot(), 0x0000FF, image.rect()), 0);
}

} // namespace
