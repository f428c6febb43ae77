#include "stepwedge/ui/patchora_dlg.h"

#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "gui/settings_store_fixture.h"
#include "stepwedge/ui/target_area.h"
#include "support/temp_dir.h"
#include "uikit/dialog_units.h"

#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Room for the whole designed strip of controls, whatever the test font.
const QSize kRoomySize(1800, 1000);

class PatchoraWindow : public ::testing::Test {
protected:
    void open(const StoreContents& contents = {})
    {
        writeSettingsStore(dir / "registry.reg", contents);
        dialog = std::make_unique<PatchoraDlg>(std::make_unique<RegistryFileStore>(dir / "registry.reg"), messages);
        dialog->initialise();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    // Restored from maximised and made big enough that no control overlaps another.
    void makeRoomy()
    {
        dialog->showNormal();
        dialog->resize(kRoomySize);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->size(), kRoomySize, 2000);
    }

    template <typename Control> Control* control(const char* name) const { return findControl<Control>(*dialog, name); }

    void click(const char* name) { clickControl(*dialog, name); }

    void typeStep(const QString& text)
    {
        auto* field = control<QLineEdit>("stepField");
        QTest::mouseClick(field, Qt::LeftButton);
        field->clear();
        QTest::keyClicks(field, text);
    }

    QString stepField() const { return control<QLineEdit>("stepField")->text(); }

    QImage target() const { return control<TargetArea>("targetArea")->grab().toImage(); }
    QRgb centrePixel() const { return target().pixel(target().width() / 2, target().height() / 2) & 0xFFFFFF; }
    QRgb cornerPixel() const { return target().pixel(1, 1) & 0xFFFFFF; }

    // Presses each control in turn and checks the step number shown and, where given, the
    // colour painted in the middle of the target area.
    struct Press {
        const char* control;
        const char* stepField;
        std::optional<QRgb> centre = std::nullopt;
    };
    void press(std::initializer_list<Press> presses)
    {
        for (const Press& p : presses) {
            click(p.control);
            EXPECT_EQ(stepField(), p.stepField) << "after " << p.control;
            if (p.centre) {
                EXPECT_EQ(centrePixel(), *p.centre) << "after " << p.control;
            }
        }
    }

    TempDir dir;
    RecordingPresenter messages;
    std::unique_ptr<PatchoraDlg> dialog;
};

TEST_F(PatchoraWindow, StartsWithStepOneInRedOverThePrimaryScreenAndButtonsWalkTheList)
{
    open({.steps = "200~64~128~255"});
    EXPECT_TRUE(dialog->isMaximized());
    EXPECT_EQ(dialog->frameGeometry(), QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_EQ(stepField(), "1");
    EXPECT_TRUE(control<QRadioButton>("RED")->isChecked());
    EXPECT_EQ(cornerPixel(), 0xC80000u);

    makeRoomy();
    press({{"end", "4", 0xFF0000},
           {"next", "4"},
           {"previous", "3"},
           {"GRAYSCALE", "3", 0x808080},
           {"GREEN", "3", 0x008000},
           {"BLUE", "3"}});
    // Unticked full screen: a centred square on black.
    click("fullScreen");
    EXPECT_EQ(centrePixel(), 0x000080u);
    EXPECT_EQ(cornerPixel(), 0u);

    // Start is the default button, also while the step number field has the focus.
    typeStep(QStringLiteral("2"));
    QTest::keyClick(control<QLineEdit>("stepField"), Qt::Key_Return);
    EXPECT_EQ(stepField(), "1");
    click("exit");
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(PatchoraWindow, GoToBeyondTheListPaintsBlackAndAFieldWithoutANumberPrompts)
{
    open({.steps = "255~255~"});
    makeRoomy();
    typeStep(QStringLiteral("40"));
    press({{"goTo", "40", 0}, {"previous", "39"}, {"next", "2", 0xFF0000}});

    typeStep(QStringLiteral("-a"));
    EXPECT_EQ(stepField(), "") << "the field takes digits only";
    click("goTo");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Please enter an integer."));
    EXPECT_EQ(centrePixel(), 0xFF0000u);

    typeStep(QStringLiteral("99999999999"));
    EXPECT_EQ(stepField(), "9999999999") << "the field takes ten digits";
    click("goTo");
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(dialog->navigator().currentStep(), 2);
}

TEST_F(PatchoraWindow, AnEmptyStepListOrUnreadableSettingsShowBlack)
{
    open({.steps = "~~"});
    makeRoomy();
    press({{"end", "0", 0}, {"start", "1"}, {"next", "0"}, {"previous", "1", 0}});

    open({.withStepWedgeKey = false});
    EXPECT_FALSE(control<TargetArea>("targetArea")->patchColourWord().has_value());
    click("next");
    EXPECT_EQ(control<TargetArea>("targetArea")->patchColourWord(), 0u);
}

TEST_F(PatchoraWindow, ControlsKeepTheirDistanceFromTheirEdgesAfterAResize)
{
    open();
    makeRoomy();
    const DialogUnits units(dialog->font());
    const QSize grown = kRoomySize - units.toPixels(QSize(701, 369));
    const QRect area = units.toPixels(7, 7, 687, 308);
    EXPECT_EQ(control<QWidget>("targetArea")->geometry(), QRect(area.topLeft(), area.size() + grown));
    EXPECT_EQ(control<QWidget>("exit")->geometry(),
              units.toPixels(635, 338, 50, 14).translated(grown.width(), grown.height()));
    EXPECT_EQ(control<QWidget>("navigationGroup")->geometry(),
              units.toPixels(277, 325, 417, 37).translated(grown.width(), grown.height()));
    EXPECT_EQ(control<QWidget>("colourGroup")->geometry(),
              units.toPixels(7, 325, 197, 37).translated(0, grown.height()));

    // Narrower than designed (a small screen, a large scale factor): the navigation row
    // moves up into a row of its own instead of running over the groups.
    dialog->resize(units.toPixels(QSize(560, 369)));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->width(), units.toPixelsX(560), 2000);
    const QRect navigation = control<QWidget>("navigationGroup")->geometry();
    for (const char* name : {"colourGroup", "sizeGroup", "targetArea"})
        EXPECT_FALSE(navigation.intersects(control<QWidget>(name)->geometry())) << name;
    for (const char* name : {"start", "previous", "next", "end", "stepField", "goTo", "exit"})
        EXPECT_TRUE(navigation.contains(control<QWidget>(name)->geometry())) << name;
    EXPECT_EQ(dialog->width() - navigation.right(), units.toPixelsX(701) - units.toPixelsX(277 + 417) + 1);
}

} // namespace
