#include "primary/ui/trisola_dialog.h"

#include "config/registry_file_store.h"
#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "primary/primary_test_support.h"
#include "primary/ui/chart_image.h"
#include "primary/ui/chromaticity_chart.h"
#include "uikit/data_file_chooser.h"
#include "primary/ui/number_edit.h"
#include "support/temp_dir.h"
#include "uikit/status_field.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
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

constexpr const char* kFieldNames[3][3] = {
    {"redX", "redY", "redLuminance"}, {"greenX", "greenY", "greenLuminance"}, {"blueX", "blueY", "blueLuminance"}};

// Field pixels of the BT.709 primaries, worked out by hand from the chart's scale.
const QPoint kBt709Corners[3] = {{323, 265}, {176, 154}, {111, 376}};

constexpr QRgb kBlack = 0x000000;

class TrisolaWindow : public ::testing::Test {
protected:
    TrisolaWindow() { std::filesystem::create_directory(dir / "Diagnostics"); }

    void open()
    {
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixFile.string(), "false"));
        dialog = std::make_unique<TrisolaDialog>(std::make_unique<RegistryFileStore>(dir / "registry.reg"), files);
        dialog->initialise();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename Control>
    Control* control(const char* name) const { return findControl<Control>(*dialog, name); }
    void click(const char* name) { clickControl(*dialog, name); }
    // On the indicator: a radio button answers clicks on its indicator and label only.
    void clickRadio(const char* name)
    {
        auto* radio = control<QRadioButton>(name);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(5, radio->height() / 2));
    }

    // Replaces a field's text the way an operator does: select all, then type.
    void type(const char* field, const QString& keys)
    {
        auto* edit = control<CNumberEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
    }
    void typeAll(const FieldTexts& texts)
    {
        for (int c = 0; c < 3; ++c) {
            type(kFieldNames[c][0], QString::fromStdString(texts[c].x));
            type(kFieldNames[c][1], QString::fromStdString(texts[c].y));
            type(kFieldNames[c][2], QString::fromStdString(texts[c].luminance));
        }
    }
    QStringList fieldTexts() const
    {
        QStringList texts;
        for (const auto& primary : kFieldNames) {
            for (const char* name : primary)
                texts << control<CNumberEdit>(name)->text();
        }
        return texts;
    }

    QString status() const { return control<StatusField>("status")->text(); }
    bool statusIsRed() const { return control<StatusField>("status")->showsError(); }
    QString report() const { return control<QPlainTextEdit>("report")->toPlainText(); }
    bool saveEnabled() const { return control<QPushButton>("save")->isEnabled(); }
    QImage chart() const { return control<ChromaticityChart>("chart")->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    bool chartIsPlain() const
    {
        return chart().copy(QRect(kChartImageOffset, chromaticityChartImage().size())) ==
               chromaticityChartImage().convertToFormat(QImage::Format_RGB32);
    }
    std::string storedCurrentValid() const
    {
        RegistryFileStore store(dir / "registry.reg");
        CalibrationSettings settings(store);
        settings.load();
        return settings.matrixCurrentValid;
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
    EXPECT_EQ(control<QRadioButton>("rgbLed")->text(), "Velvane Orlam or RGB LED");
    EXPECT_EQ(control<QRadioButton>("nonRgbLed")->text(), "Non-RGB LED");
    EXPECT_FALSE(saveEnabled());
    EXPECT_TRUE(control<QPushButton>("save")->isDefault());
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(chartIsPlain());

    // The chart's axes lie where the triangle's corners are computed from.
    const QImage plain = chart();
    EXPECT_EQ(plain.size(), QSize(416, 450));
    for (const QPoint& onAxis : {QPoint(47, 250), QPoint(47, 60), QPoint(150, 400), QPoint(390, 400)})
        EXPECT_EQ(plain.pixel(onAxis) & 0xFFFFFF, kBlack) << onAxis.x() << ", " << onAxis.y();

    // Every field and Clear button lies in its colour's group, every group in the outer one.
    const QRect outer = control<QGroupBox>("measuredGroup")->geometry();
    for (const char* colour : {"red", "green", "blue"}) {
        const auto* group = control<QGroupBox>((std::string(colour) + "Group").c_str());
        EXPECT_TRUE(outer.contains(group->geometry())) << colour;
        for (const char* part : {"X", "Y", "Luminance", "Clear"}) {
            const auto* inside = control<QWidget>((std::string(colour) + part).c_str());
            EXPECT_TRUE(group->geometry().contains(inside->geometry())) << colour << part;
        }
    }
    for (const char* dataButton : {"saveData", "loadData"})
        EXPECT_TRUE(outer.contains(control<QWidget>(dataButton)->geometry())) << dataButton;
}

TEST_F(TrisolaWindow, FieldsTakeDigitsAndOneDecimalPointUpToTheirLimit)
{
    open();
    QGuiApplication::clipboard()->setText(QStringLiteral("1a2.3.4 "));
    const struct {
        const char *field, *startText;
        int selectFrom, selectLength;
        QString keys; // "\b" for Backspace, empty for Ctrl+V
        const char* expected;
    } cases[] = {
        {"redX", "", 0, 0, "123456789", "12345678"},
        {"redLuminance", "", 0, 0, "1234567890123", "123456789012"},
        {"greenY", "", 0, 0, "0.6.4-e+ ,5", "0.645"},
        {"greenX", "0.64", 0, 2, ".", ".64"},        // the point in the selection is replaced
        {"greenX", "0.64", 2, 2, ".", "0.64"},       // the point outside the selection stays alone
        {"blueX", "12345678", 8, 0, "\b", "1234567"},
        {"blueY", "", 0, 0, QString(), "12.34"},     // pasted: only what could be typed
    };
    for (const auto& c : cases) {
        auto* field = control<CNumberEdit>(c.field);
        field->setText(QString::fromLatin1(c.startText));
        field->setFocus();
        field->setSelection(c.selectFrom, c.selectLength);
        if (c.keys.isEmpty())
            QTest::keySequence(field, QKeySequence::Paste);
        else if (c.keys == "\b")
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, c.keys);
        EXPECT_EQ(field->text(), c.expected) << c.field << " after " << c.keys.toStdString();
    }

    // Paste from the context menu filters the same way.
    auto* field = control<CNumberEdit>("greenLuminance");
    field->clear();
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        if (auto* paste = menu->findChild<QAction*>(QStringLiteral("paste")))
            paste->trigger();
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

TEST_F(TrisolaWindow, TheLocaleDecimalSeparatorTypesThePointTheComputationReads)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    open();
    QLocale::setDefault(QLocale::c());
    type("redX", QStringLiteral("0,64"));
    EXPECT_EQ(control<CNumberEdit>("redX")->text(), "0.64");
}

TEST_F(TrisolaWindow, ApplyShowsTheMatricesAndDrawsTheTriangleOnTheHdtvCircles)
{
    open();
    typeAll(bt709FieldTexts());
    clickRadio("nonRgbLed");
    const QImage before = chart();
    click("apply");
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(report().startsWith("D65 Download Matrix \n0.999934 ")) << report().toStdString();
    EXPECT_TRUE(report().endsWith("Native Download Matrix \n1.000000 0.000000 0.000000 \n"
                                  "0.000000 1.000000 0.000000 \n0.000000 0.000000 1.000000 \n"));
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
}

TEST_F(TrisolaWindow, FailedChecksShowRedMessagesAndDrawNoTriangleFromUndefinedMatrices)
{
    open();
    typeAll(bt709FieldTexts());
    click("apply");

    // Input checks: Save disabled, the last matrices stay, the triangle follows the new x and y.
    type("redLuminance", "0");
    type("greenLuminance", "0");
    type("blueLuminance", "0");
    type("redX", "0.5");
    click("apply");
    EXPECT_EQ(status(), "Invalid Luminance values");
    EXPECT_TRUE(statusIsRed());
    EXPECT_FALSE(saveEnabled());
    EXPECT_TRUE(report().startsWith("D65 Download Matrix"));
    EXPECT_EQ(chart().pixel(47 + 216, 265) & 0xFFFFFF, kBlack) << "red corner at x 0.5";

    // Matrix checks: Save enabled, no triangle.
    typeAll(bt709FieldTexts());
    type("blueX", "0");
    type("blueY", "0");
    click("apply");
    EXPECT_EQ(status(), "Check measured chromaticity values - calculated calibration matrix is invalid.");
    EXPECT_TRUE(statusIsRed());
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(chartIsPlain());
}

TEST_F(TrisolaWindow, SaveWritesTheFilesAndEndsTheWindowCancelAndEscapeWriteNothing)
{
    open();
    typeAll({{{"0.64", "0.33", "21.26"}, {"0.30", "0.60", "71.52"}, {"0.15", "0.06", "7.22"}}});
    click("apply");
    // Return in a field presses the default button, Save.
    QTest::mouseClick(control<CNumberEdit>("blueLuminance"), Qt::LeftButton);
    QTest::keyClick(control<CNumberEdit>("blueLuminance"), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_EQ(readFile(dir / "Diagnostics" / "measured_primaries.txt"),
              "Red values: x=0.64, y=0.33, Y=21.26\r\nGreen values: x=0.30, y=0.60, Y=71.52\r\n"
              "Blue values: x=0.15, y=0.06, Y=7.22\r\n");

    for (const bool escape : {false, true}) {
        std::filesystem::remove(matrixFile);
        open();
        typeAll(bt709FieldTexts());
        click("apply");
        if (escape)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            click("cancel");
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(std::filesystem::exists(matrixFile));
        EXPECT_EQ(storedCurrentValid(), "false");
    }
}

TEST_F(TrisolaWindow, UnreadableSettingsAreReportedAndSaveThenFailsWithTheWindowOpen)
{
    dialog = std::make_unique<TrisolaDialog>(std::make_unique<RegistryFileStore>(dir / "none.reg"), files);
    dialog->initialise();
    dialog->show();
    EXPECT_EQ(status(), "Unable to get needed registry values, please reinstall program.");
    EXPECT_TRUE(statusIsRed());
    typeAll(bt709FieldTexts());
    click("apply");
    EXPECT_EQ(status(), "");
    click("save");
    EXPECT_EQ(status(), "Unable to open the matrix file for writing");
    EXPECT_TRUE(statusIsRed());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(TrisolaWindow, DataFileSaveAndLoadBringTheMeasurementsBack)
{
    open();
    const std::filesystem::path data = dir / "primaries.txt";
    writeFile(data, "[NOTES]\r\nwho=operator\r\n");
    typeAll({{{"0.64", "0.33", "21.26"}, {"0.30", "0.60", "71.52"}, {"0.15", "0.06", "7.22"}}});
    clickRadio("nonRgbLed");
    files.answer = data;
    click("saveData");
    EXPECT_EQ(status(), "");
    EXPECT_EQ(readFile(data), "[NOTES]\r\nwho=operator\r\n[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33, 21.26\r\n"
                              "MEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\nMEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n"
                              "[PARAMETERS]\r\nVERSION=1.00\r\nDISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n");

    // Clear empties only its own colour; loading fills the fields and the display type,
    // and applies at once.
    click("greenClear");
    EXPECT_EQ(fieldTexts(), QStringList({"0.64", "0.33", "21.26", "0", "0", "0", "0.15", "0.06", "7.22"}));
    clickRadio("rgbLed");
    click("loadData");
    EXPECT_EQ(fieldTexts(), QStringList({"0.64", "0.33", "21.26", "0.30", "0.60", "71.52", "0.15", "0.06", "7.22"}));
    EXPECT_TRUE(control<QRadioButton>("nonRgbLed")->isChecked());
    EXPECT_TRUE(report().startsWith("D65 Download Matrix \n0.999934 "));
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(chart().pixel(kBt709Corners[0]) & 0xFFFFFF, kBlack);

    // A cancelled file dialog still clears the status, and nothing else happens.
    type("blueX", "0");
    type("blueY", "0");
    click("apply");
    ASSERT_TRUE(statusIsRed());
    files.answer.reset();
    click("loadData");
    EXPECT_EQ(status(), "");
    EXPECT_EQ(files.asked, 3);
}

TEST_F(TrisolaWindow, DataFilesWithErrorsLeaveFieldsAndDisplayTypeAsTheyWere)
{
    open();
    const struct {
        const char *red, *version, *message;
    } cases[] = {{"0.64, 0.33", "1.00", "The primary data file has format or data errors!"},
                 {"0.64, 0.33, 1", "1.01", "Invalid version number for the primary data file!"}};
    const std::filesystem::path data = dir / "bad.txt";
    files.answer = data;
    for (const auto& c : cases) {
        writeFile(data, std::string("[DATA]\r\nMEASURED_DATA_RED=") + c.red + "\r\nMEASURED_DATA_GREEN=1,2,3\r\n"
                            "MEASURED_DATA_BLUE=1,2,3\r\n[PARAMETERS]\r\nVERSION=" + c.version + "\r\nDISPLAY_TYPE=x\r\n");
        type("redX", "0.7");
        click("loadData");
        EXPECT_EQ(status(), c.message);
        EXPECT_TRUE(statusIsRed());
        EXPECT_EQ(fieldTexts(), QStringList({"0.7", "0", "0", "0", "0", "0", "0", "0", "0"})) << c.message;
        EXPECT_TRUE(control<QRadioButton>("rgbLed")->isChecked()) << c.message;
    }
}

} // namespace
