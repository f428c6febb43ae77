// The download window on a small installation (one 64-cubed table set) with the
// simulated processor, driven with clicks as an operator would.

#include "download/ui/flashbey_dlg.h"

#include "cli/demo_content.h"
#include "config/registry_file_store.h"
#include "download/command_installation.h"
#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "support/temp_dir.h"
#include "uikit/dialog_units.h"
#include "uikit/status_field.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

const QStringList kCinema{"Display Type", "Velvane Orlam LED Projector", "Cinema"};
const QStringList kProjector{"Display Type", "Velvane Orlam LED Projector"};
const QStringList kBareDisplay{"Display Type", "Bare Display"};
const QStringList kRoot{"Display Type"};

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
        set(kCatalogue + "\\Velvane Aster LCD Monitor\\Standard", "description", "Standard tables");
        set(kCatalogue + "\\Bare Display", "description", "A display type without table sets");
        fs::copy_file(dir / "registry.reg", dir / "pristine.reg");
    }

    // Undoes what a test changed in the store since SetUp.
    void restoreStore() { fs::copy_file(dir / "pristine.reg", dir / "registry.reg", fs::copy_options::overwrite_existing); }

    void set(const std::string& key, const std::string& name, const std::string& value)
    {
        RegistryFileStore(dir / "registry.reg").createKey(key)->setString(name, value);
    }

    void setFlags(const char* matrix, const char* red, const char* green, const char* blue)
    {
        set("Matrix", "Current Valid", matrix);
        set("Second1D\\Current", "ValidRed", red);
        set("Second1D\\Current", "ValidGreen", green);
        set("Second1D\\Current", "ValidBlue", blue);
    }

    // `adapter` names the adapter as the store would ("" for this test's simulated processor).
    void open(const std::string& adapter = "", double pauseScale = 0)
    {
        dialog = std::make_unique<CFlashbeyDlg>(std::make_unique<RegistryFileStore>(dir / "registry.reg"),
                                                makeSpiAdapter(adapter.empty() ? "sim:" + (dir / "flash.bin").string() : adapter),
                                                pauseScale);
        beeps = std::make_unique<QSignalSpy>(dialog.get(), &CFlashbeyDlg::beeped);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename Control>
    Control* control(const char* name) const { return findControl<Control>(*dialog, name); }
    void click(const char* name) { clickControl(*dialog, name); }
    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabled(); }
    bool checked(const char* name) const { return control<QAbstractButton>(name)->isChecked(); }
    QTreeWidget* tree() const { return control<QTreeWidget>("displayTypeTree"); }

    QTreeWidgetItem* node(const QStringList& path) const
    {
        QTreeWidgetItem* item = tree()->topLevelItem(0);
        for (const QString& name : path.mid(1)) {
            QTreeWidgetItem* parent = item;
            item = nullptr;
            for (int i = 0; parent && i < parent->childCount(); ++i) {
                if (parent->child(i)->text(0) == name)
                    item = parent->child(i);
            }
        }
        EXPECT_NE(item, nullptr) << path.join("\\").toStdString();
        return item;
    }

    void select(const QStringList& path)
    {
        tree()->expandAll();
        QTreeWidgetItem* item = node(path);
        tree()->scrollToItem(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(item).center());
        ASSERT_EQ(tree()->currentItem(), item);
    }

    void downloadAndWait()
    {
        click("download");
        EXPECT_FALSE(enabled("download")) << "no second run while one is going";
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->runActive(), kRunTimeoutMs);
    }

    QString statusText() const { return control<StatusField>("status")->text(); }
    bool statusIsError() const { return control<StatusField>("status")->showsError(); }
    QString cancelCaption() const { return control<QPushButton>("cancel")->text(); }
    // Each beep so far: true for the exclamation.
    std::vector<bool> beepKinds() const
    {
        std::vector<bool> kinds;
        for (const QList<QVariant>& beep : *beeps)
            kinds.push_back(beep.at(0).toBool());
        return kinds;
    }

    std::string flash() const { return readFile(dir / "flash.bin"); }
    static bool erased(const std::string& bytes, std::size_t from, std::size_t count)
    {
        return std::all_of(bytes.begin() + from, bytes.begin() + from + count, [](char c) { return c == '\xff'; });
    }
    fs::path diagnostics() const { return dir / "Diagnostics" / "download_parameters.txt"; }

    const CommandInstallation& installation = CommandInstallation::get();
    TempDir dir;
    std::unique_ptr<CFlashbeyDlg> dialog;
    std::unique_ptr<QSignalSpy> beeps;
};

TEST_F(DownloadWindow, StartsWithTheDesignedControlsAndNothingOffered)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Chromix Download"));
    const DialogUnits units(dialog->font());
    EXPECT_EQ(dialog->size(), units.toPixels(QSize(461, 193)));
    const std::pair<const char*, QRect> designed[] = {
        {"displayTypeTree", units.toPixels(246, 18, 150, 48)}, {"status", units.toPixels(21, 109, 419, 23)},
        {"progress", units.toPixels(15, 143, 434, 14)},        {"download", units.toPixels(189, 171, 50, 15)},
        {"cancel", units.toPixels(256, 171, 50, 15)},          {"selectionGroup", units.toPixels(15, 73, 383, 23)},
    };
    for (const auto& [name, rect] : designed)
        EXPECT_EQ(control<QWidget>(name)->geometry(), rect) << name;
    const std::pair<const char*, const char*> captions[] = {
        {"download", "Download"}, {"cancel", "Cancel"}, {"colorTables", "Chromix 3D Tables"},
        {"calibrationValues", "Calibration Values"}, {"primaryNew", "New"}, {"linearityDefault", "Default"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(control<QAbstractButton>(name)->text(), QString::fromLatin1(caption));
    EXPECT_TRUE(control<QPushButton>("download")->isDefault());
    for (const char* option : {"primaryDefault", "primaryNew", "linearityDefault", "linearityNew"})
        EXPECT_FALSE(enabled(option) || checked(option)) << option;
    EXPECT_TRUE(checked("colorTables"));
    EXPECT_FALSE(checked("calibrationValues"));
    EXPECT_FALSE(enabled("download"));
    EXPECT_EQ(control<QProgressBar>("progress")->value(), 0);
    EXPECT_EQ(control<QProgressBar>("progress")->maximum(), 100);
    EXPECT_EQ(statusText(), QString());

    // One root, collapsed; the configured display type leads its siblings.
    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree()->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Display Type"));
    EXPECT_FALSE(root->isExpanded());
    QStringList displayTypes;
    for (int i = 0; i < root->childCount(); ++i)
        displayTypes << root->child(i)->text(0);
    EXPECT_EQ(displayTypes, QStringList({"Velvane Orlam LED Projector", "Bare Display", "Velvane Aster LCD Monitor"}));
}

TEST_F(DownloadWindow, AStoreThatCannotBeReadIsReportedInBlueAndOffersNothing)
{
    writeFile(dir / "registry.reg", "not a registry file");
    open();
    EXPECT_EQ(statusText(), QStringLiteral("Unable to get needed registry values, please reinstall program."));
    EXPECT_FALSE(statusIsError());
    EXPECT_EQ(control<StatusField>("status")->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(enabled("download"));
}

TEST_F(DownloadWindow, ChoicesAreOfferedByTheSelectedNodeAndTheValidityFlags)
{
    const struct {
        const char* matrix;
        const char* red;
        const char* green;
        const char* blue;
        bool primaryNew;
        bool linearityNew;
    } cases[] = {
        {"true", "true", "true", "true", true, true},
        {"false", "TRUE", "true", "true", false, true},
        {"true", "true", "true", "false", true, false},
        {"true", "true", "", "true", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.matrix) + " " + c.red + " " + c.green + " " + c.blue);
        setFlags(c.matrix, c.red, c.green, c.blue);
        open();
        select(kCinema);
        EXPECT_TRUE(enabled("download"));
        EXPECT_TRUE(enabled("primaryDefault") && checked("primaryDefault") && !checked("primaryNew"));
        EXPECT_TRUE(enabled("linearityDefault") && checked("linearityDefault") && !checked("linearityNew"));
        EXPECT_EQ(enabled("primaryNew"), c.primaryNew);
        EXPECT_EQ(enabled("linearityNew"), c.linearityNew);
        click("primaryNew");
        EXPECT_EQ(checked("primaryNew"), c.primaryNew) << "a disabled New cannot be chosen";
        EXPECT_NE(checked("primaryDefault"), c.primaryNew);
    }

    // Nodes with children offer nothing, whatever the check boxes say.
    click("calibrationValues");
    for (const QStringList& path : {kProjector, kRoot}) {
        select(path);
        EXPECT_FALSE(enabled("download")) << path.join("\\").toStdString();
        for (const char* option : {"primaryDefault", "primaryNew", "linearityDefault", "linearityNew"})
            EXPECT_FALSE(enabled(option)) << option;
    }

    // The check boxes: Download needs a table set and at least one of them.
    select(kCinema);
    click("colorTables");
    EXPECT_TRUE(enabled("download"));
    click("calibrationValues");
    EXPECT_FALSE(enabled("download"));
    click("calibrationValues");
    EXPECT_TRUE(enabled("download"));
}

TEST_F(DownloadWindow, InfoTipsDescribeTheNodeWhoseLabelIsUnderTheCursor)
{
    open();
    tree()->expandAll();
    // The cases without a tip come first: a tip shown earlier takes a moment to fade.
    const struct {
        QStringList path;
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
        SCOPED_TRACE(c.path.join("\\").toStdString() + (c.onLabel ? " label" : " right of the label"));
        const QRect row = tree()->visualItemRect(node(c.path));
        const QPoint position(c.onLabel ? row.left() + 3 : row.right() - 3, row.center().y());
        QHelpEvent event(QEvent::ToolTip, position, tree()->viewport()->mapToGlobal(position));
        QApplication::sendEvent(tree()->viewport(), &event);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), c.tip);
    }
}

TEST_F(DownloadWindow, NoAdapterShowsNoDeviceConnectionInRedAndDone)
{
    open("no adapter");
    select(kCinema);
    click("download");
    EXPECT_EQ(statusText(), QStringLiteral("No device connection"));
    EXPECT_TRUE(statusIsError());
    EXPECT_EQ(cancelCaption(), QStringLiteral("Done"));
    EXPECT_EQ(beepKinds(), std::vector<bool>{true});
    EXPECT_FALSE(dialog->runActive());
    EXPECT_TRUE(enabled("download")) << "the operator may attach the adapter and try again";
    EXPECT_TRUE(erased(flash(), 0, 0x800000));
}

TEST_F(DownloadWindow, ARunWritesTheChosenRegionsFromTheChosenFilesAndEndsWithDone)
{
    // The calibration tools' newest results: a matrix of halves and identity LUTs.
    writeFile(dir / "current_matrix.txt", "0.5 0.5 0.5\r\n0.5 0.5 0.5\r\n0.5 0.5 0.5\r\n0.5 0.5 0.5\r\n0.5 0.5 0.5\r\n0.5 0.5 0.5\r\n");
    writeFile(dir / "current_second.txt", lutFileText(8192, 1.0));
    set("Matrix", "Current", (dir / "current_matrix.txt").string());
    for (const char* channel : {"Red", "Green", "Blue"})
        set("Second1D\\Current", channel, (dir / "current_second.txt").string());
    setFlags("true", "true", "true", "true");

    const std::string first = (installation / "first.txt").string();
    const std::string table = (installation / "table.txt").string();
    const std::string osd = (installation / "osd.bin").string();
    std::string calibrationLines = "Matrix filename=" + (dir / "current_matrix.txt").string() + "\r\n";
    for (int channel = 0; channel < 3; ++channel)
        calibrationLines += "First 1D LUT filename=" + first + "\r\n";
    for (int channel = 0; channel < 3; ++channel)
        calibrationLines += "Second 1D LUT filename=" + (dir / "current_second.txt").string() + "\r\n";
    std::string tableLines;
    for (int k = 0; k < 6; ++k)
        tableLines += "Chromix 3D Color Table filename=" + table + "\r\n";
    for (int i = 0; i < 14; ++i)
        tableLines += "OSD Image filename=" + osd + "\r\n";

    const struct {
        bool colorTables;
        std::string diagnostics;
    } cases[] = {{false, calibrationLines}, {true, tableLines}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colorTables ? "3D tables" : "calibration values");
        open();
        select(kCinema);
        if (!c.colorTables) {
            click("colorTables");
            click("calibrationValues");
            click("primaryNew");
            click("linearityNew");
        }
        downloadAndWait();
        EXPECT_EQ(statusText(), QStringLiteral("Flash download completed successfully"));
        EXPECT_FALSE(statusIsError());
        EXPECT_EQ(cancelCaption(), QStringLiteral("Done"));
        EXPECT_EQ(control<QProgressBar>("progress")->value(), 100);
        EXPECT_EQ(beepKinds(), std::vector<bool>{false});
        EXPECT_TRUE(enabled("download"));
        EXPECT_EQ(readFile(diagnostics()), c.diagnostics);

        const std::string bytes = flash();
        if (c.colorTables) {
            // Each table row ends in 16 filler bytes; the OSD region starts with the first image.
            EXPECT_EQ(bytes.substr(0xF0, 16), std::string(16, '\x5a'));
            EXPECT_EQ(bytes.substr(0x700000, 20000), readFile(osd));
        } else {
            // The first coefficient of the new matrix: 0.5 is 16384 units of 2/65535.
            EXPECT_EQ(bytes.substr(0x601800, 4), std::string("\x00\x00\x40\x00", 4));
            EXPECT_TRUE(erased(bytes, 0, 0x600000) && erased(bytes, 0x700000, 0x100000));
        }
    }
}

TEST_F(DownloadWindow, AFailedRunShowsWhyInRedAndLeavesTheFlashAlone)
{
    const std::string missing = (dir / "missing_matrix.txt").string();
    writeFile(dir / "long_second.txt", lutFileText(8193, 1.0));
    const struct {
        const char* name;
        std::function<void()> damage;
        QStringList tableSet;
        bool calibrationValues;
        QString status;
    } cases[] = {
        {"missing matrix", [&] { set("Matrix", "Default", missing); }, kCinema, true,
         QString::fromStdString("Unable to open file " + missing)},
        {"display type without table sets", [] {}, kBareDisplay, false, QStringLiteral("Unable to open file")},
        {"second LUT one value too long", [&] { set("Second1D\\Default", "Blue", (dir / "long_second.txt").string()); },
         kCinema, true,
         QStringLiteral("Files have too much or too little data for a successfully download!  Please check files.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restoreStore();
        c.damage();
        open();
        select(c.tableSet);
        if (c.calibrationValues) {
            click("colorTables");
            click("calibrationValues");
        }
        downloadAndWait();
        EXPECT_EQ(statusText(), c.status);
        EXPECT_TRUE(statusIsError());
        EXPECT_EQ(cancelCaption(), QStringLiteral("Cancel"));
        EXPECT_EQ(beepKinds(), std::vector<bool>{true});
        EXPECT_TRUE(enabled("download"));
        EXPECT_TRUE(erased(flash(), 0, 0x800000));
        EXPECT_FALSE(fs::exists(diagnostics()));
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

    QElapsedTimer closing;
    closing.start();
    click("cancel");
    EXPECT_LT(closing.elapsed(), 1000);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->runActive());
    EXPECT_TRUE(erased(flash(), 0, 0x800000));
    EXPECT_FALSE(fs::exists(diagnostics()));
}

} // namespace
