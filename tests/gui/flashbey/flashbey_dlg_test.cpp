// The download window on a small installation (one 64-cubed table set) with the
// simulated processor, driven with clicks as an operator would.

#include "download/ui/flashbey_dlg.h"

#include "config/registry_file_store.h"
#include "download/command_installation.h"
#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "support/temp_dir.h"
#include "uikit/status_field.h"

#include <QElapsedTimer>
#include <QHelpEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Node names, each once in the tree: the root, a display type with one table set, that
// table set, and a display type without table sets.
const QString kRoot = QStringLiteral("Display Type");
const QString kProjector = QStringLiteral("Velvane Orlam LED Projector");
const QString kCinema = QStringLiteral("Cinema");
const QString kBareDisplay = QStringLiteral("Bare Display");

constexpr int kRunTimeoutMs = 60000;

const std::string kCatalogue = "ColorTable\\Display Type";

class DownloadWindow : public ::testing::Test {
protected:
    // Each test has its own copy of the store, its own diagnostics folder and an erased
    // flash; the input files are the shared installation's.
    void SetUp() override
    {
        fs::copy_file(installation / "registry.reg", dir / "registry.reg");
        fs::create_directories(dir / "Diagnostics");
        writeFile(dir / "flash.bin", std::string(0x800000, '\xff'));
        set("", "install directory", dir.path().string());
        set(kCatalogue, "description", "Display types of the processor");
        set(kCatalogue + "\\Velvane Orlam LED Projector", "description", "Three-chip LED projector");
        set(kCatalogue + "\\Velvane Orlam LED Projector\\Cinema", "description", "Tables for cinema content");
        set(kCatalogue + "\\Bare Display", "description", "A display type without table sets");
    }

    void set(const std::string& key, const std::string& name, const std::string& value)
    {
        RegistryFileStore(dir / "registry.reg").createKey(key)->setString(name, value);
    }

    // Red and green LUTs valid; the matrix and blue as given.
    void setFlags(const char* matrix, const char* blue)
    {
        set("Matrix", "Current Valid", matrix);
        for (const char* flag : {"ValidRed", "ValidGreen"})
            set("Second1D\\Current", flag, "true");
        set("Second1D\\Current", "ValidBlue", blue);
    }

    // `adapter` names the adapter as the store would ("" for this test's simulated processor).
    void open(const std::string& adapter = "", double pauseScale = 0)
    {
        dialog = std::make_unique<CFlashbeyDlg>(
            std::make_unique<RegistryFileStore>(dir / "registry.reg"),
            makeSpiAdapter(adapter.empty() ? "sim:" + (dir / "flash.bin").string() : adapter), messages, pauseScale);
        beeps = std::make_unique<QSignalSpy>(dialog.get(), &CFlashbeyDlg::beeped);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename Control> Control* control(const char* name) const { return findControl<Control>(*dialog, name); }
    void click(const char* name) { clickControl(*dialog, name); }
    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabled(); }
    bool checked(const char* name) const { return control<QAbstractButton>(name)->isChecked(); }
    QTreeWidget* tree() const { return control<QTreeWidget>("displayTypeTree"); }

    QTreeWidgetItem* node(const QString& name) const
    {
        QTreeWidgetItem* item = tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        EXPECT_NE(item, nullptr) << name.toStdString();
        return item;
    }

    void select(const QString& name)
    {
        tree()->expandAll();
        QTreeWidgetItem* item = node(name);
        tree()->scrollToItem(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(item).center());
        ASSERT_EQ(tree()->currentItem(), item);
    }

    void downloadAndWait()
    {
        click("download");
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->runActive(), kRunTimeoutMs);
    }

    QString statusText() const { return control<StatusField>("status")->text(); }
    // What the operator sees when a check or a run has ended: the status line in its colour,
    // the Cancel caption, each beep, and whether Download can be pressed again.
    std::string ending() const
    {
        std::string seen =
            (control<StatusField>("status")->showsError() ? "red: " : "blue: ") + statusText().toStdString();
        seen += " | " + control<QPushButton>("cancel")->text().toStdString();
        for (const QList<QVariant>& beep : *beeps)
            seen += beep.at(0).toBool() ? " | exclamation" : " | default beep";
        return seen + (enabled("download") ? " | Download enabled" : " | Download disabled");
    }

    std::string flash() const { return readFile(dir / "flash.bin"); }

    const CommandInstallation& installation = CommandInstallation::get();
    TempDir dir;
    RecordingPresenter messages;
    std::unique_ptr<CFlashbeyDlg> dialog;
    std::unique_ptr<QSignalSpy> beeps;
};

TEST_F(DownloadWindow, StartsWithTheDesignedControlsAndNothingOffered)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Chromix Download"));
    // The picture is whole, beside the tree's group; the status line is inset in its group
    // alike on both sides.
    const QRect picture = control<QWidget>("picture")->geometry();
    EXPECT_TRUE(dialog->rect().contains(picture)) << picture.right() << " past " << dialog->width();
    EXPECT_GT(picture.left(), control<QWidget>("displayTypeGroup")->geometry().right());
    const QRect statusGroup = control<QWidget>("statusGroup")->geometry();
    const QRect status = control<QWidget>("status")->geometry();
    EXPECT_LE(std::abs((statusGroup.right() - status.right()) - (status.left() - statusGroup.left())), 1);
    const std::pair<const char*, const char*> captions[] = {
        {"download", "Download"},
        {"cancel", "Cancel"},
        {"colorTables", "Chromix 3D Tables"},
        {"calibrationValues", "Calibration Values"},
        {"primaryNew", "New"},
        {"linearityDefault", "Default"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(control<QAbstractButton>(name)->text(), QString::fromLatin1(caption));
    EXPECT_TRUE(control<QPushButton>("download")->isDefault());
    for (const char* option : {"primaryDefault", "primaryNew", "linearityDefault", "linearityNew"})
        EXPECT_FALSE(enabled(option) || checked(option)) << option;
    EXPECT_EQ(std::pair(checked("colorTables"), checked("calibrationValues")), std::pair(true, false));
    EXPECT_FALSE(enabled("download"));
    const QProgressBar* progress = control<QProgressBar>("progress");
    EXPECT_EQ(std::pair(progress->value(), progress->maximum()), std::pair(0, 100));
    EXPECT_EQ(statusText(), QString());

    // One root, collapsed; the configured display type leads "Bare Display", which sorts before it.
    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree()->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Display Type"));
    EXPECT_FALSE(root->isExpanded());
    EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Velvane Orlam LED Projector"));
}

TEST_F(DownloadWindow, AStoreThatCannotBeReadIsReportedInBlueAndOffersNothing)
{
    writeFile(dir / "registry.reg", "not a registry file");
    open();
    EXPECT_EQ(statusText(), QStringLiteral("Unable to get needed registry values, please reinstall program."));
    EXPECT_EQ(control<StatusField>("status")->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
}

TEST_F(DownloadWindow, ChoicesAreOfferedByTheSelectedNodeAndTheValidityFlags)
{
    const struct {
        const char* matrix;
        const char* blue;
        bool primaryNew;
        bool linearityNew;
    } cases[] = {{"true", "true", true, true}, {"false", "true", false, true}, {"true", "false", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("matrix ") + c.matrix + ", blue " + c.blue);
        setFlags(c.matrix, c.blue);
        open();
        select(kCinema);
        EXPECT_TRUE(enabled("download"));
        for (const char* option : {"primaryDefault", "linearityDefault"})
            EXPECT_TRUE(enabled(option) && checked(option)) << option;
        EXPECT_EQ(enabled("primaryNew"), c.primaryNew);
        EXPECT_EQ(enabled("linearityNew"), c.linearityNew);
        click("primaryNew");
        EXPECT_EQ(std::pair(checked("primaryNew"), checked("primaryDefault")), std::pair(c.primaryNew, !c.primaryNew))
            << "a disabled New cannot be chosen";
    }

    // Nodes with children offer nothing, whatever the check boxes say.
    click("calibrationValues");
    for (const QString& name : {kProjector, kRoot}) {
        select(name);
        EXPECT_FALSE(enabled("download")) << name.toStdString();
        for (const char* option : {"primaryDefault", "primaryNew", "linearityDefault", "linearityNew"})
            EXPECT_FALSE(enabled(option)) << option;
    }
}

TEST_F(DownloadWindow, InfoTipsDescribeTheNodeWhoseLabelIsUnderTheCursor)
{
    open();
    tree()->expandAll();
    // The cases without a tip come first: a tip shown earlier takes a moment to fade.
    const struct {
        QString name;
        bool onLabel;
        QString tip;
    } cases[] = {
        {kCinema, false, ""},
        // Looked up as a table set of "Display Type", which the catalogue does not hold.
        {kBareDisplay, true, ""},
        {kRoot, true, "Display types of the processor"},
        {kProjector, true, "Three-chip LED projector"},
        {kCinema, true, "Tables for cinema content"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString() + (c.onLabel ? " label" : " right of the label"));
        const QRect row = tree()->visualItemRect(node(c.name));
        const QPoint position(c.onLabel ? row.left() + 3 : row.right() - 3, row.center().y());
        QHelpEvent event(QEvent::ToolTip, position, tree()->viewport()->mapToGlobal(position));
        QApplication::sendEvent(tree()->viewport(), &event);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), c.tip);
    }
}

TEST_F(DownloadWindow, ARunWritesTheChosenRegionsFromTheChosenFilesAndEndsWithDone)
{
    // The calibration tools' newest results, which only New reads.
    const std::string matrix = (dir / "current_matrix.txt").string();
    const std::string second = (dir / "current_second.txt").string();
    fs::copy_file(installation / "default_matrix.txt", matrix);
    fs::copy_file(installation / "second.txt", second);
    set("Matrix", "Current", matrix);
    std::string calibrationFiles = "Matrix filename=" + matrix + "\r\n";
    for (const char* channel : {"Red", "Green", "Blue"}) {
        set("Second1D\\Current", channel, second);
        calibrationFiles += "First 1D LUT filename=" + (installation / "first.txt").string() + "\r\n";
    }
    for (int channel = 0; channel < 3; ++channel)
        calibrationFiles += "Second 1D LUT filename=" + second + "\r\n";
    setFlags("true", "true");

    for (const bool colorTables : {true, false}) {
        SCOPED_TRACE(colorTables ? "3D tables" : "calibration values, New of both");
        open();
        select(kCinema);
        if (!colorTables) {
            for (const char* name : {"colorTables", "calibrationValues", "primaryNew", "linearityNew"})
                click(name);
        }
        downloadAndWait();
        EXPECT_EQ(ending(), "blue: Flash download completed successfully | Done | default beep | Download enabled");
        EXPECT_EQ(control<QProgressBar>("progress")->value(), 100);
        const std::string filesRead = readFile(dir / "Diagnostics" / "download_parameters.txt");
        if (colorTables) {
            EXPECT_TRUE(filesRead.starts_with("Chromix 3D Color Table filename=")) << filesRead;
            EXPECT_EQ(flash().substr(0x700000, 20000), readFile(installation / "osd.bin"));
        } else {
            EXPECT_EQ(filesRead, calibrationFiles);
        }
    }
}

TEST_F(DownloadWindow, ProgressStartsAtZeroFollowsTheFilesReadAndStaysWhereARunFailed)
{
    // A complete run ends at 100 (checked above); this one fails at the matrix file, after
    // the three first LUT files.
    set("Matrix", "Default", (dir / "missing_matrix.txt").string());
    open();
    select(kCinema);
    click("colorTables");
    click("calibrationValues");
    auto* progress = control<QProgressBar>("progress");
    progress->setValue(100); // as a run before would have left it
    QSignalSpy shown(progress, &QProgressBar::valueChanged);
    downloadAndWait();
    ASSERT_TRUE(statusText().startsWith("Unable to open file")) << statusText().toStdString();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first().at(0).toInt(), 0);
    EXPECT_GT(progress->value(), 0) << "the first LUT files were read";
    EXPECT_LT(progress->value(), 100);
}

TEST_F(DownloadWindow, AFailedDeviceCheckOrRunShowsWhyInRed)
{
    const std::string missing = (dir / "missing_matrix.txt").string();
    set("Matrix", "Default", missing);
    const std::string noFolder = (dir / "no folder" / "flash.bin").string();
    const struct {
        std::string adapter;
        QString tableSet;
        bool calibrationValues;
        std::string ending;
    } cases[] = {
        // The operator may attach the adapter and press Download again.
        {"no adapter", kCinema, false,
         "red: No device connection\nThe adapter setting \"no adapter\" names no adapter: use ftdi, ftdi:SERIAL (either "
         "may end in @KHZ) or sim:IMAGE. | Done | exclamation | Download enabled"},
        // Refused at the check, naming the path, not by a failed write half a minute later.
        {"sim:" + noFolder, kCinema, false,
         "red: No device connection\nThe folder of the flash image " + noFolder
             + " does not exist | Done | exclamation | "
               "Download enabled"},
        // Looked up as table set "Bare Display" of "Display Type": the catalogue names no files.
        {"", kBareDisplay, false, "red: Unable to open file | Cancel | exclamation | Download enabled"},
        {"", kCinema, true, "red: Unable to open file " + missing + " | Cancel | exclamation | Download enabled"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ending);
        open(c.adapter);
        select(c.tableSet);
        if (c.calibrationValues) {
            click("colorTables");
            click("calibrationValues");
        }
        downloadAndWait();
        EXPECT_EQ(ending(), c.ending);
    }
}

TEST_F(DownloadWindow, ClosingDuringARunStopsItAtOnceWithoutTouchingTheFlash)
{
    open("", 1.0); // the real pauses: two seconds around every reading message
    select(kCinema);
    click("download");
    ASSERT_TRUE(dialog->runActive());
    // The choices stay usable, but no second run starts.
    click("calibrationValues");
    select(kProjector);
    select(kCinema);
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(enabled("download"));
    EXPECT_TRUE(dialog->runActive());

    // Asked first; No goes on with the run.
    messages.answer = false;
    click("cancel");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    dialog->close();
    EXPECT_TRUE(dialog->isVisible() && dialog->runActive());
    ASSERT_EQ(messages.questions.size(), 3u);
    EXPECT_EQ(messages.questions[2].text,
              "A download is running. Stopping now leaves the processor's flash incomplete; "
              "download again before using it. Stop?");

    messages.answer = true;
    QElapsedTimer closing;
    closing.start();
    click("cancel");
    EXPECT_LT(closing.elapsed(), 1000);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->runActive());
    EXPECT_TRUE(flash() == std::string(0x800000, '\xff')) << "the flash is still erased";
}

} // namespace
