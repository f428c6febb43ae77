#include "primary/ui/trisola_dialog.h"

#include "config/registry_file_store.h"
#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "primary/primary_test_support.h"
#include "primary/ui/chart_image.h"
#include "primary/ui/chromaticity_chart.h"
#include "primary/ui/number_edit.h"
#include "support/temp_dir.h"
#include "uikit/data_file_chooser.h"
#include "uikit/status_field.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

// Answers the data file buttons' file dialogs with a chosen file, or cancels them.
struct AnsweringChooser final : DataFileChooser {
    std::optional<std::filesystem::path> fileToSave(QWidget*) override { return ++asked, answer; }
    std::optional<std::filesystem::path> fileToLoad(QWidget*) override { return ++asked, answer; }
    std::optional<std::filesystem::path> answer;
    int asked = 0;
};

// Red, green, blue; x, y and Y of each.
constexpr const char* kFieldNames[9] = {"redX",           "redY",  "redLuminance", "greenX",       "greenY",
                                        "greenLuminance", "blueX", "blueY",        "blueLuminance"};

// The BT.709 primaries, with luminances of a D65 white in two scales.
const QStringList kBt709{"0.64", "0.33", "0.2126", "0.30", "0.60", "0.7152", "0.15", "0.06", "0.0722"};
const QStringList kMeasured{"0.64", "0.33", "21.26", "0.30", "0.60", "71.52", "0.15", "0.06", "7.22"};

// Field pixels of the BT.709 primaries, worked out by hand from the chart's scale.
const QPoint kBt709Corners[3] = {{323, 265}, {176, 154}, {111, 376}};

constexpr QRgb kBlack = 0x000000;

class TrisolaWindow : public ::testing::Test {
protected:
    TrisolaWindow() { std::filesystem::create_directory(dir / "Diagnostics"); }

    void open(const char* storeFile = "registry.reg")
    {
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixFile.string(), "false"));
        dialog = std::make_unique<TrisolaDialog>(std::make_unique<RegistryFileStore>(dir / storeFile), files);
        dialog->initialise();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename Control> Control* control(const char* name) const { return findControl<Control>(*dialog, name); }
    void click(const char* name) { clickControl(*dialog, name); }
    // On the indicator: a radio button answers clicks on its indicator and label only.
    void clickRadio(const char* name)
    {
        QTest::mouseClick(control<QRadioButton>(name), Qt::LeftButton, {}, QPoint(5, 5));
    }

    // Replaces a field's text the way an operator does: select all, then type.
    void type(const char* field, const QString& keys)
    {
        control<CNumberEdit>(field)->selectAll();
        QTest::keyClicks(control<CNumberEdit>(field), keys);
    }
    void typeAll(const QStringList& texts)
    {
        for (int i = 0; i < 9; ++i)
            type(kFieldNames[i], texts[i]);
    }
    QStringList fieldTexts() const
    {
        QStringList texts;
        for (const char* name : kFieldNames)
            texts << control<CNumberEdit>(name)->text();
        return texts;
    }

    QString status() const { return control<StatusField>("status")->text(); }
    bool statusIsRed() const { return control<StatusField>("status")->showsError(); }
    QString report() const { return control<QPlainTextEdit>("report")->toPlainText(); }
    bool saveEnabled() const { return control<QPushButton>("save")->isEnabled(); }
    QImage chart() const
    {
        return control<ChromaticityChart>("chart")->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    TempDir dir;
    const std::filesystem::path matrixFile = dir / "matrix.txt";
    AnsweringChooser files;
    std::unique_ptr<TrisolaDialog> dialog;
};

TEST_F(TrisolaWindow, StartsWithZerosRgbLedSaveDisabledAndThePlainChart)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), "Chromix Display Primary Calibration");
    EXPECT_EQ(fieldTexts(), QStringList(9, "0"));
    EXPECT_TRUE(control<QRadioButton>("rgbLed")->isChecked());
    EXPECT_FALSE(saveEnabled());
    EXPECT_TRUE(control<QPushButton>("save")->isDefault());
    EXPECT_EQ(status(), "");
    EXPECT_EQ(chart().copy(QRect(kChartImageOffset, QSize(kChartImageWidth, kChartImageHeight))),
              chromaticityChartImage().convertToFormat(QImage::Format_RGB32));

    const std::pair<const char*, const char*> labels[] = {
        {"measuredGroup", "Measured Chromaticity Values and Measured Luminance"},
        {"redGroup", "Red"},
        {"greenGroup", "Green"},
        {"blueGroup", "Blue"},
        {"blueXLabel", "x"},
        {"blueYLabel", "y"},
        {"blueLuminanceLabel", "Y"},
        {"blueClear", "Clear"},
        {"saveData", "Save"},
        {"loadData", "Load"},
        {"displayTypeGroup", "Display Type"},
        {"rgbLed", "Velvane Orlam or RGB LED"},
        {"nonRgbLed", "Non-RGB LED"},
        {"matricesGroup", "Calibration Matrices"},
        {"statusGroup", "Status"},
        {"save", "Save"},
        {"apply", "Apply"},
        {"cancel", "Cancel"}};
    for (const auto& [name, label] : labels) {
        const QVariant title = control<QWidget>(name)->property("title");
        EXPECT_EQ((title.isValid() ? title : control<QWidget>(name)->property("text")).toString(), label) << name;
    }

    // The chart's axes lie where the triangle's corners are computed from.
    const QImage plain = chart();
    EXPECT_EQ(plain.size(), QSize(416, 450));
    for (const QPoint& onAxis : {QPoint(47, 250), QPoint(47, 60), QPoint(150, 400), QPoint(390, 400)})
        EXPECT_EQ(plain.pixel(onAxis) & 0xFFFFFF, kBlack) << onAxis.x() << ", " << onAxis.y();
}

// In a German locale, so that its separator key types the point the computation reads.
TEST_F(TrisolaWindow, FieldsTakeDigitsAndOneDecimalPointUpToTheirLimit)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    open();
    QLocale::setDefault(QLocale::c());
    QGuiApplication::clipboard()->setText(QStringLiteral("1a2.3.4 "));
    const struct {
        const char *field, *startText;
        int selectFrom, selectLength;
        QString keys; // "\b" is Backspace; empty for Ctrl+V
        const char* expected;
    } cases[] = {
        {"redX", "", 0, 0, "123456789", "12345678"},
        {"redLuminance", "", 0, 0, "1234567890123", "123456789012"},
        {"greenY", "", 0, 0, "0.6.4-e+ ,5", "0.645"},
        {"redY", "", 0, 0, "0,64", "0.64"},
        {"greenX", "0.64", 0, 2, ".", ".64"}, // the point in the selection is replaced
        {"greenX", "0.64", 2, 2, ".", "0.64"}, // the point outside the selection stays alone
        {"blueX", "12345678", 8, 0, "\b", "1234567"},
        {"blueY", "", 0, 0, QString(), "12.34"}, // pasted: only what could be typed
    };
    for (const auto& c : cases) {
        auto* field = control<CNumberEdit>(c.field);
        field->setText(QString::fromLatin1(c.startText));
        field->setFocus();
        field->setSelection(c.selectFrom, c.selectLength);
        if (c.keys.isEmpty())
            QTest::keySequence(field, QKeySequence::Paste);
        else
            QTest::keyClicks(field, c.keys);
        EXPECT_EQ(field->text(), c.expected) << c.field << " after " << c.keys.toStdString();
    }

    // Paste from the context menu filters the same way.
    auto* field = control<CNumberEdit>("greenLuminance");
    field->clear();
    QTimer::singleShot(0, [] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        menu->findChild<QAction*>(QStringLiteral("paste"))->trigger();
        menu->close();
    });
    QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &menuRequest);
    EXPECT_EQ(field->text(), "12.34");

    // So does a middle click where the desktop has a selection clipboard (X11).
    if (QGuiApplication::clipboard()->supportsSelection()) {
        QGuiApplication::clipboard()->setText(QStringLiteral("7a.5.1"), QClipboard::Selection);
        field->clear();
        QTest::mouseClick(field, Qt::MiddleButton);
        EXPECT_EQ(field->text(), "7.51");
    }
}

TEST_F(TrisolaWindow, ApplyShowsTheMatricesAndTheTriangleOnTheHdtvCirclesFailedChecksShowRedMessages)
{
    open();
    typeAll(kBt709);
    clickRadio("nonRgbLed");
    const QImage before = chart();
    click("apply");
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(report().startsWith("D65 Download Matrix \n0.999934 ")) << report().toStdString();
    const QImage after = chart();
    for (const QPoint& corner : kBt709Corners) {
        EXPECT_NE(before.pixel(corner) & 0xFFFFFF, kBlack) << corner.x();
        EXPECT_EQ(after.pixel(corner) & 0xFFFFFF, kBlack) << corner.x();
        // The chart's HDTV circle (radius 5) is centred on the corner.
        for (const QPoint& ring : {QPoint(5, 0), QPoint(-5, 0), QPoint(0, 5), QPoint(0, -5)})
            EXPECT_GE(qGray(after.pixel(corner + ring)), 0xD0) << corner.x() << " + " << ring.x() << ", " << ring.y();
    }

    // A new display type changes nothing until the next Apply.
    const QString bt709Report = report();
    clickRadio("rgbLed");
    EXPECT_EQ(report(), bt709Report);
    EXPECT_EQ(chart(), after);
    click("apply");
    EXPECT_TRUE(report().contains("1.347225 -0.389109 0.012867 \n")) << report().toStdString();

    // An edit takes the report and Save away until the next Apply; so does Clear.
    type("redX", "0.65");
    EXPECT_EQ(report(), "");
    EXPECT_FALSE(saveEnabled());
    type("redX", "0.64");
    click("apply");
    ASSERT_TRUE(saveEnabled());
    click("blueClear");
    EXPECT_EQ(report(), "");
    EXPECT_FALSE(saveEnabled());

    // Input checks: no report, Save disabled, the triangle follows the new x and y.
    for (const char* luminance : {"redLuminance", "greenLuminance", "blueLuminance"})
        type(luminance, "0");
    type("redX", "0.5");
    click("apply");
    EXPECT_EQ(status(), "Invalid Luminance values");
    EXPECT_TRUE(statusIsRed());
    EXPECT_FALSE(saveEnabled());
    EXPECT_EQ(report(), "");
    EXPECT_EQ(chart().pixel(47 + 216, 265) & 0xFFFFFF, kBlack) << "red corner at x 0.5";

    // Matrix checks: no report, Save disabled, no triangle.
    typeAll(kBt709);
    click("apply");
    ASSERT_TRUE(saveEnabled());
    type("blueX", "0");
    type("blueY", "0");
    click("apply");
    EXPECT_EQ(status(), "Check measured chromaticity values - calculated calibration matrix is invalid.");
    EXPECT_FALSE(saveEnabled()) << "Save would write the matrices of the readings before";
    EXPECT_EQ(report(), "");
    EXPECT_EQ(chart(), before);
}

TEST_F(TrisolaWindow, YFieldsShowTwelveCharactersAndEnterAppliesUntilSaveIsEnabled)
{
    open();
    auto* field = control<CNumberEdit>("greenLuminance");
    type("greenLuminance", "123456789012");
    ASSERT_EQ(field->text(), "123456789012");
    // Scrolled, the caret's travel from the end to the start would be shorter than the text.
    field->end(false);
    field->repaint();
    const int endX = field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    field->home(false);
    field->repaint();
    EXPECT_GE(endX - field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
              field->fontMetrics().horizontalAdvance(field->text()) - 1);

    typeAll(kMeasured);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(report().startsWith("D65 Download Matrix")) << "Enter pressed Apply";
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(saveEnabled());
    QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << "then Save";
}

TEST_F(TrisolaWindow, SaveWritesTheFilesAndEndsTheWindowCancelEscapeAndCloseWriteNothing)
{
    open();
    typeAll(kMeasured);
    click("apply");
    // Return in a field presses the default button, Save.
    control<CNumberEdit>("blueLuminance")->setFocus();
    QTest::keyClick(control<CNumberEdit>("blueLuminance"), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
    RegistryFileStore store(dir / "registry.reg");
    CalibrationSettings settings(store);
    ASSERT_TRUE(settings.load());
    EXPECT_EQ(settings.matrixCurrentValid, "true");
    EXPECT_EQ(readFile(dir / "Diagnostics" / "measured_primaries.txt"),
              "Red values: x=0.64, y=0.33, Y=21.26\r\nGreen values: x=0.30, y=0.60, Y=71.52\r\n"
              "Blue values: x=0.15, y=0.06, Y=7.22\r\n");

    for (const char* way : {"cancel", "escape", "close"}) {
        std::filesystem::remove(matrixFile);
        open();
        typeAll(kBt709);
        click("apply");
        if (way == std::string("escape"))
            QTest::keyClick(control<CNumberEdit>("blueLuminance"), Qt::Key_Escape);
        else if (way == std::string("close"))
            dialog->close();
        else
            click("cancel");
        EXPECT_EQ(dialog->result(), QDialog::Rejected) << way;
        EXPECT_FALSE(std::filesystem::exists(matrixFile)) << way;
    }
}

TEST_F(TrisolaWindow, UnreadableSettingsAreReportedAndSaveThenFailsWithTheWindowOpen)
{
    open("none.reg");
    EXPECT_EQ(status(), "Unable to get needed registry values, please reinstall program.");
    EXPECT_TRUE(statusIsRed());
    typeAll(kBt709);
    click("apply");
    EXPECT_EQ(status(), "");
    click("save");
    EXPECT_EQ(status(), "Unable to open the matrix file for writing");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(TrisolaWindow, DataFileSaveAndLoadBringTheMeasurementsBackAndBadFilesChangeNothing)
{
    open();
    const std::filesystem::path data = dir / "primaries.txt";
    typeAll(kMeasured);
    clickRadio("nonRgbLed");
    files.answer = data;
    click("saveData");
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(readFile(data).starts_with("[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33, 21.26\r\n")) << readFile(data);

    // Clear empties only its own colour; loading fills the fields and the display type,
    // and applies at once.
    click("greenClear");
    EXPECT_EQ(fieldTexts(), QStringList({"0.64", "0.33", "21.26", "0", "0", "0", "0.15", "0.06", "7.22"}));
    clickRadio("rgbLed");
    click("loadData");
    EXPECT_EQ(fieldTexts(), kMeasured);
    EXPECT_TRUE(control<QRadioButton>("nonRgbLed")->isChecked());
    EXPECT_TRUE(report().startsWith("D65 Download Matrix \n0.999934 "));
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(chart().pixel(kBt709Corners[0]) & 0xFFFFFF, kBlack);

    // A file with errors is reported and leaves the fields and the display type as they were.
    writeFile(data,
              "[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33\r\nMEASURED_DATA_GREEN=1,2,3\r\nMEASURED_DATA_BLUE=1,2,3\r\n"
              "[PARAMETERS]\r\nVERSION=1.00\r\nDISPLAY_TYPE=RGB_LED_DISPLAY\r\n");
    type("redX", "0.7");
    click("loadData");
    EXPECT_EQ(status(), "The primary data file has format or data errors!");
    EXPECT_TRUE(statusIsRed());
    EXPECT_EQ(fieldTexts(), QStringList({"0.7", "0.33", "21.26", "0.30", "0.60", "71.52", "0.15", "0.06", "7.22"}));
    EXPECT_TRUE(control<QRadioButton>("nonRgbLed")->isChecked());

    // A cancelled file dialog still clears the status, and nothing else happens.
    files.answer.reset();
    click("loadData");
    EXPECT_EQ(status(), "");
    EXPECT_EQ(fieldTexts()[0], "0.7");
    EXPECT_EQ(files.asked, 4);
}

} // namespace
