#include "stepwedge/ui/patchora_dlg.h"

#include "config/number_text.h"
#include "stepwedge/patch_colour.h"
#include "stepwedge/ui/target_area.h"
#include "uikit/dialog_units.h"
#include "uikit/message_presenter.h"
#include "uikit/program_icons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace {

// The designed dialog, in dialog units.
constexpr int kDesignedWidth = 701;
constexpr int kDesignedHeight = 369;

// Ten digits reach past the largest step number, so an oversized entry is refused with
// the prompt rather than cut off silently.
constexpr int kStepFieldDigits = 10;
// Space between the groups of the bottom row, in dialog units.
constexpr int kGroupGap = 5;

} // namespace

PatchoraDlg::PatchoraDlg(std::unique_ptr<RegistryStore> store, MessagePresenter& messages, QWidget* parent)
    : QDialog(parent)
    , store_(std::move(store))
    , messages_(messages)
{
    setWindowTitle(QStringLiteral("Chromix Target Display"));
    setWindowIcon(programIcon(ProgramKind::Patchora));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    createControls();
    if (store_)
        settings_ = std::make_unique<CalibrationSettings>(*store_);
}

PatchoraDlg::~PatchoraDlg() = default;

void PatchoraDlg::createControls()
{
    const DialogUnits units(font());
    resize(units.toPixels(QSize(kDesignedWidth, kDesignedHeight)));

    // Group boxes first, so the controls drawn inside them stay above them.
    colourGroup_ =
        placed(new QGroupBox(QStringLiteral("Color Selection"), this), "colourGroup", units, 7, 325, 197, 37);
    sizeGroup_ = placed(new QGroupBox(QStringLiteral("Target Size"), this), "sizeGroup", units, 209, 325, 62, 37);
    navigationGroup_ = placed(new QGroupBox(this), "navigationGroup", units, 277, 325, 417, 37);

    targetArea_ = placed(new TargetArea(this), "targetArea", units, 7, 7, 687, 308);
    red_ = placed(new QRadioButton(QStringLiteral("RED"), this), "RED", units, 14, 339, 29, 10);
    green_ = placed(new QRadioButton(QStringLiteral("GREEN"), this), "GREEN", units, 58, 339, 38, 10);
    blue_ = placed(new QRadioButton(QStringLiteral("BLUE"), this), "BLUE", units, 108, 339, 32, 10);
    grayscale_ = placed(new QRadioButton(QStringLiteral("GRAYSCALE"), this), "GRAYSCALE", units, 151, 339, 50, 10);
    fullScreen_ = placed(new QCheckBox(QStringLiteral("Full Screen"), this), "fullScreen", units, 213, 339, 51, 10);
    start_ = placed(new QPushButton(QStringLiteral("Start"), this), "start", units, 283, 338, 50, 14);
    previous_ = placed(new QPushButton(QStringLiteral("Previous"), this), "previous", units, 341, 338, 50, 14);
    next_ = placed(new QPushButton(QStringLiteral("Next"), this), "next", units, 400, 338, 50, 14);
    end_ = placed(new QPushButton(QStringLiteral("End"), this), "end", units, 458, 338, 50, 14);
    stepField_ = placed(new QLineEdit(this), "stepField", units, 533, 338, 40, 14);
    goTo_ = placed(new QPushButton(QStringLiteral("Go to"), this), "goTo", units, 577, 338, 50, 14);
    exit_ = placed(new QPushButton(QStringLiteral("Exit"), this), "exit", units, 635, 338, 50, 14);

    auto* colours = new QButtonGroup(this);
    for (QRadioButton* radio : {red_, green_, blue_, grayscale_}) {
        colours->addButton(radio);
        widenToFitLabel(*radio);
    }
    widenToFitLabel(*fullScreen_);

    stepField_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), stepField_));
    stepField_->setMaxLength(kStepFieldDigits);
    stepField_->setText(QString::fromStdString(formatInteger(navigator_.stepEntry())));
    start_->setDefault(true);

    connect(red_, &QRadioButton::clicked, this, [this] { selectColour(ColourSelection::Red); });
    connect(green_, &QRadioButton::clicked, this, [this] { selectColour(ColourSelection::Green); });
    connect(blue_, &QRadioButton::clicked, this, [this] { selectColour(ColourSelection::Blue); });
    connect(grayscale_, &QRadioButton::clicked, this, [this] { selectColour(ColourSelection::Grayscale); });
    connect(fullScreen_, &QCheckBox::clicked, this, &PatchoraDlg::setTargetSize);
    connect(start_, &QPushButton::clicked, this, [this] {
        navigator_.goStart();
        showCurrentStepAndEntry();
    });
    connect(previous_, &QPushButton::clicked, this, [this] {
        navigator_.goPrevious();
        showCurrentStepAndEntry();
    });
    connect(next_, &QPushButton::clicked, this, [this] {
        navigator_.goNext();
        showCurrentStepAndEntry();
    });
    connect(end_, &QPushButton::clicked, this, [this] {
        navigator_.goEnd();
        showCurrentStepAndEntry();
    });
    connect(goTo_, &QPushButton::clicked, this, &PatchoraDlg::goTo);
    connect(exit_, &QPushButton::clicked, this, &PatchoraDlg::close);
}

void PatchoraDlg::initialise()
{
    if (!settings_ || !settings_->load()) {
        show();
        return;
    }
    if (!settings_->stepList.empty()) {
        for (Channel channel : kAllChannels)
            parseStepList(steps_, channel, settings_->stepList);
    }
    navigator_.reset(steps_.stepCount());
    targetSize_ = TargetSize::FullScreen;
    fullScreen_->setChecked(true);
    red_->setChecked(true);
    paintStep(navigator_.currentStep(), navigator_.colourSelection());
    registerAnchors();
    anchorLayout_.capture(size());
    placeOnPrimaryScreen();
    initialised_ = true;
}

void PatchoraDlg::registerAnchors()
{
    anchorLayout_.anchor(targetArea_, anchors::All);
    for (QWidget* control :
         std::initializer_list<QWidget*>{exit_, goTo_, stepField_, end_, next_, previous_, start_, navigationGroup_})
        anchorLayout_.anchor(control, anchors::Right | anchors::Bottom);
    for (QWidget* control :
         std::initializer_list<QWidget*>{fullScreen_, sizeGroup_, grayscale_, blue_, green_, red_, colourGroup_})
        anchorLayout_.anchor(control, anchors::Left | anchors::Bottom);
}

void PatchoraDlg::placeOnPrimaryScreen()
{
    // Maximised over the primary screen: a window manager keeps its panels visible, and
    // without one the geometry alone covers the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    show();
}

void PatchoraDlg::keepNavigationClearOfGroups()
{
    const int gap = DialogUnits(font()).toPixelsX(kGroupGap);
    if (navigationGroup_->x() >= sizeGroup_->geometry().right() + 1 + gap)
        return;
    const int rise = navigationGroup_->height() + gap;
    for (QWidget* control :
         std::initializer_list<QWidget*>{navigationGroup_, start_, previous_, next_, end_, stepField_, goTo_, exit_})
        control->move(control->x(), control->y() - rise);
    QRect area = targetArea_->geometry();
    area.setHeight(std::max(0, area.height() - rise));
    targetArea_->setGeometry(area);
}

void PatchoraDlg::paintStep(std::int32_t step, ColourSelection selection)
{
    targetArea_->showPatch(patchColour(steps_, step, selection), targetSize_);
}

void PatchoraDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (anchorLayout_.isCaptured()) {
        anchorLayout_.apply(size());
        keepNavigationClearOfGroups();
        update();
    }
    if (initialised_)
        showCurrentStep();
}

void PatchoraDlg::selectColour(ColourSelection selection)
{
    navigator_.selectColour(selection);
    showCurrentStep();
}

void PatchoraDlg::setTargetSize(bool fullScreen)
{
    targetSize_ = fullScreen ? TargetSize::FullScreen : TargetSize::Centred;
    showCurrentStep();
}

void PatchoraDlg::showCurrentStep()
{
    paintStep(navigator_.currentStep(), navigator_.colourSelection());
}

void PatchoraDlg::showCurrentStepAndEntry()
{
    stepField_->setText(QString::fromStdString(formatInteger(navigator_.stepEntry())));
    showCurrentStep();
}

void PatchoraDlg::goTo()
{
    const std::optional<std::int32_t> typed = parseStepNumber(stepField_->text().toStdString());
    if (!typed) {
        messages_.warn(this, QStringLiteral("Patchora"), QStringLiteral("Please enter an integer."));
        stepField_->setFocus();
        stepField_->selectAll();
    }
    navigator_.goTo(typed);
    showCurrentStep();
}
