#include "primary/ui/trisola_dialog.h"

#include "primary/ui/chart_image.h"
#include "primary/ui/chromaticity_chart.h"
#include "primary/ui/number_edit.h"
#include "uikit/data_file_chooser.h"
#include "uikit/dialog_units.h"
#include "uikit/program_icons.h"
#include "uikit/status_field.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <utility>

namespace {

// The designed dialog, in dialog units: the controls fill the left column, the chart and
// the logo the right one.
constexpr int kMargin = 7;
constexpr int kLeftColumnHeight = 334;
constexpr int kRightColumnLeft = 252;
constexpr int kLogoPixels = 100;
constexpr int kChartFrameLine = 1;

// What the operator may type into the fields.
constexpr int kChromaticityLimit = 8;
constexpr int kLuminanceLimit = 12;

// One primary's group: its left edge moves, the rest is the same for all three.
constexpr int kPrimaryGroupTop = 19;
constexpr int kPrimaryGroupWidth = 72;
constexpr int kPrimaryGroupHeight = 78;
constexpr int kPrimaryGroupStep = 76;
// The fields inside a group: wide enough for a Y field's 12 characters.
constexpr int kFieldLeft = 13;
constexpr int kFieldWidth = 56;

// The report and status texts end their lines with CR LF; the editor wants line feeds.
QString shownText(const std::string& text)
{
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QByteArray controlName(Channel channel, const char* part)
{
    return QByteArray(channelName(channel).data(), static_cast<int>(channelName(channel).size())).toLower() + part;
}

} // namespace

TrisolaDialog::TrisolaDialog(std::unique_ptr<RegistryStore> store, DataFileChooser& files, QWidget* parent)
    : QDialog(parent)
    , store_(std::move(store))
    , settings_(*store_)
    , state_(settings_)
    , files_(files)
{
    setWindowTitle(QStringLiteral("Chromix Display Primary Calibration"));
    createControls();
    save_->setEnabled(false);
    setWindowIcon(programIcon(ProgramKind::Trisola));
}

TrisolaDialog::~TrisolaDialog() = default;

void TrisolaDialog::createControls()
{
    const DialogUnits units(font());

    placed(new QGroupBox(QStringLiteral("Measured Chromaticity Values and Measured Luminance"), this), "measuredGroup",
           units, kMargin, kMargin, 238, 112);
    for (Channel channel : kAllChannels)
        createPrimaryGroup(channel, 14 + static_cast<int>(channelIndex(channel)) * kPrimaryGroupStep);
    createDataFileButtons();

    placed(new QGroupBox(QStringLiteral("Display Type"), this), "displayTypeGroup", units, kMargin, 125, 238, 38);
    rgbLed_ =
        placed(new QRadioButton(QStringLiteral("Velvane Orlam or RGB LED"), this), "rgbLed", units, 15, 137, 150, 10);
    nonRgbLed_ = placed(new QRadioButton(QStringLiteral("Non-RGB LED"), this), "nonRgbLed", units, 15, 149, 150, 10);
    widenToFitLabel(*rgbLed_);
    widenToFitLabel(*nonRgbLed_);
    // Takes effect at the next Apply; nothing shown changes now.
    connect(rgbLed_, &QRadioButton::clicked, this, [this](bool checked) {
        if (checked)
            state_.setDisplayType(DisplayType::RgbLed);
    });
    connect(nonRgbLed_, &QRadioButton::clicked, this, [this](bool checked) {
        if (checked)
            state_.setDisplayType(DisplayType::NonRgbLed);
    });

    createResultFields();

    save_ = placed(new QPushButton(QStringLiteral("Save"), this), "save", units, kMargin, 313, 50, 14);
    apply_ = placed(new QPushButton(QStringLiteral("Apply"), this), "apply", units, 63, 313, 50, 14);
    auto* cancel = placed(new QPushButton(QStringLiteral("Cancel"), this), "cancel", units, 119, 313, 50, 14);
    save_->setDefault(true);
    connect(save_, &QPushButton::clicked, this, &TrisolaDialog::saveCalibration);
    connect(apply_, &QPushButton::clicked, this, &TrisolaDialog::applyCalibration);
    connect(cancel, &QPushButton::clicked, this, &TrisolaDialog::reject);

    placeChart();
}

void TrisolaDialog::createPrimaryGroup(Channel channel, int left)
{
    const DialogUnits units(font());
    placed(new QGroupBox(
               QString::fromLatin1(channelName(channel).data(), static_cast<int>(channelName(channel).size())), this),
           controlName(channel, "Group").constData(), units, left, kPrimaryGroupTop, kPrimaryGroupWidth,
           kPrimaryGroupHeight);

    PrimaryFields& fields = fields_[channelIndex(channel)];
    const struct {
        const char* label;
        const char* name;
        int limit;
        CNumberEdit** field;
    } rows[] = {{"x", "X", kChromaticityLimit, &fields.x},
                {"y", "Y", kChromaticityLimit, &fields.y},
                {"Y", "Luminance", kLuminanceLimit, &fields.luminance}};
    int top = kPrimaryGroupTop + 12;
    for (const auto& row : rows) {
        placed(new QLabel(QString::fromLatin1(row.label), this),
               controlName(channel, row.name).append("Label").constData(), units, left + 5, top + 2, 7, 8);
        *row.field = placed(new CNumberEdit(row.limit, this), controlName(channel, row.name).constData(), units,
                            left + kFieldLeft, top, kFieldWidth, 12);
        connect(*row.field, &QLineEdit::textEdited, this, &TrisolaDialog::fieldsEdited);
        top += 15;
    }
    auto* clear = placed(new QPushButton(QStringLiteral("Clear"), this), controlName(channel, "Clear").constData(),
                         units, left + kFieldLeft, top + 1, kFieldWidth, 14);
    connect(clear, &QPushButton::clicked, this, [this, channel] { clearPrimary(channel); });
}

void TrisolaDialog::createDataFileButtons()
{
    const DialogUnits units(font());
    auto* saveData = placed(new QPushButton(QStringLiteral("Save"), this), "saveData", units, 14, 101, 50, 14);
    auto* loadData = placed(new QPushButton(QStringLiteral("Load"), this), "loadData", units, 70, 101, 50, 14);
    connect(saveData, &QPushButton::clicked, this, &TrisolaDialog::saveData);
    connect(loadData, &QPushButton::clicked, this, &TrisolaDialog::loadData);
}

void TrisolaDialog::createResultFields()
{
    const DialogUnits units(font());
    placed(new QGroupBox(QStringLiteral("Calibration Matrices"), this), "matricesGroup", units, kMargin, 169, 238, 90);
    report_ = placed(new QPlainTextEdit(this), "report", units, 14, 181, 224, 72);
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    placed(new QGroupBox(QStringLiteral("Status"), this), "statusGroup", units, kMargin, 265, 238, 40);
    status_ = placed(new StatusField(QStringLiteral("\r\n"), this), "status", units, 14, 277, 224, 22);
}

// The chart keeps its pixel size whatever the font, since the triangle's corners are its
// pixels; the dialog grows around it.
void TrisolaDialog::placeChart()
{
    const DialogUnits units(font());
    const int left = units.toPixelsX(kRightColumnLeft);
    const int top = units.toPixelsY(kMargin) + kLogoPixels + units.toPixelsY(4);
    const QSize frameSize = kChartFieldSize + QSize(2 * kChartFrameLine, 2 * kChartFrameLine);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("chartFrame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(kChartFrameLine);
    frame->setGeometry(QRect(QPoint(left, top), frameSize));
    chart_ = new ChromaticityChart(this);
    chart_->setObjectName(QStringLiteral("chart"));
    chart_->move(left + kChartFrameLine, top + kChartFrameLine);

    const QSize dialogSize(
        left + frameSize.width() + units.toPixelsX(kMargin),
        std::max(units.toPixelsY(kLeftColumnHeight), top + frameSize.height() + units.toPixelsY(kMargin)));
    setFixedSize(dialogSize);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(productLogo(kLogoPixels));
    logo->setGeometry(dialogSize.width() - units.toPixelsX(kMargin) - kLogoPixels, units.toPixelsY(kMargin),
                      kLogoPixels, kLogoPixels);
}

void TrisolaDialog::initialise()
{
    state_.initialise();
    state_.setDisplayType(DisplayType::RgbLed);
    showState();
}

void TrisolaDialog::takeFieldTexts()
{
    FieldTexts texts;
    for (std::size_t c = 0; c < fields_.size(); ++c) {
        texts[c].x = fields_[c].x->text().toStdString();
        texts[c].y = fields_[c].y->text().toStdString();
        texts[c].luminance = fields_[c].luminance->text().toStdString();
    }
    state_.setFieldTexts(texts);
}

void TrisolaDialog::showFieldTexts()
{
    const FieldTexts& texts = state_.fieldTexts();
    for (std::size_t c = 0; c < fields_.size(); ++c) {
        const std::array<std::pair<CNumberEdit*, const std::string*>, 3> pairs{
            {{fields_[c].x, &texts[c].x}, {fields_[c].y, &texts[c].y}, {fields_[c].luminance, &texts[c].luminance}}};
        for (const auto& [field, text] : pairs) {
            const QString shown = QString::fromStdString(*text);
            // Unchanged fields keep their cursor and selection.
            if (field->text() != shown)
                field->setText(shown);
        }
    }
}

void TrisolaDialog::showState()
{
    showFieldTexts();
    (state_.displayType() == DisplayType::RgbLed ? rgbLed_ : nonRgbLed_)->setChecked(true);
    status_->setStatus(shownText(state_.status().text()), state_.status().isError());
    const QString report = resultCurrent_ ? shownText(state_.reportText()) : QString();
    if (report_->toPlainText() != report)
        report_->setPlainText(report);
    save_->setEnabled(state_.saveEnabled() && resultCurrent_);
    chart_->setTriangle(state_.triangle());
}

void TrisolaDialog::clearPrimary(Channel channel)
{
    takeFieldTexts();
    state_.clearPrimary(channel);
    showFieldTexts();
    fieldsEdited();
}

void TrisolaDialog::fieldsEdited()
{
    if (!resultCurrent_)
        return;
    resultCurrent_ = false;
    takeFieldTexts(); // so that showing the state leaves the field being typed in alone
    showState();
}

void TrisolaDialog::applyCalibration()
{
    takeFieldTexts();
    // A failed Apply leaves no matrices to save: those of an earlier Apply belong to
    // other readings.
    resultCurrent_ = state_.apply();
    showState();
}

void TrisolaDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = (event->key() == Qt::Key_Return && event->modifiers() == Qt::NoModifier)
        || (event->key() == Qt::Key_Enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier);
    if (enter && !save_->isEnabled()) {
        apply_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TrisolaDialog::saveCalibration()
{
    takeFieldTexts();
    if (state_.save()) {
        accept();
        return;
    }
    showState();
}

void TrisolaDialog::saveData()
{
    takeFieldTexts();
    state_.clearStatus();
    showState();
    if (const auto file = files_.fileToSave(this))
        state_.saveData(*file);
    showState();
}

void TrisolaDialog::loadData()
{
    takeFieldTexts();
    state_.clearStatus();
    showState();
    if (const auto file = files_.fileToLoad(this)) {
        // Loading fills the fields and applies; a file that cannot be read changes nothing.
        if (state_.loadData(*file))
            resultCurrent_ = state_.matricesValid() && !state_.status().isError();
    }
    showState();
}
