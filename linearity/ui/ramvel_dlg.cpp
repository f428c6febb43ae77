#include "linearity/ui/ramvel_dlg.h"

#include "config/number_text.h"
#include "linearity/linearity_calibration.h"
#include "linearity/linearity_data_file.h"
#include "linearity/save_tables.h"
#include "linearity/ui/my_cug.h"
#include "linearity/ui/response_plot.h"
#include "linearity/ui/vertical_caption.h"
#include "uikit/data_file_chooser.h"
#include "uikit/dialog_units.h"
#include "uikit/message_presenter.h"
#include "uikit/program_icons.h"
#include "uikit/status_field.h"
#include "uikit/status_field_report.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <utility>

namespace {

// The designed dialog, in dialog units.
constexpr int kDesignedWidth = 500;
constexpr int kDesignedHeight = 278;
constexpr int kMargin = 7;
constexpr int kLogoUnits = 56;

QString toQString(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

RamvelDlg::RamvelDlg(std::unique_ptr<RegistryStore> store, DataFileChooser& files, MessagePresenter& messages,
                     QWidget* parent)
    : QDialog(parent)
    , store_(std::move(store))
    , files_(files)
    , messages_(messages)
    , settings_(std::make_unique<CalibrationSettings>(*store_))
{
    setWindowTitle(QStringLiteral("Chromix Display Linearity Calibration"));
    setWindowIcon(programIcon(ProgramKind::Ramvel));
    grid_ = new MyCug(this);
    status_ = new StatusField(QStringLiteral("\r\n"), this);
    statusReport_ = std::make_unique<StatusFieldReport>(*status_);
    calibration_ = std::make_unique<LinearityCalibration>(*settings_, *grid_, *statusReport_);
    createControls();
    connectControls();
}

RamvelDlg::~RamvelDlg() = default;

void RamvelDlg::createControls()
{
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(kDesignedWidth, kDesignedHeight)));

    // Group boxes first, so the controls inside them stay above them.
    placed(new QGroupBox(QStringLiteral("Measured Luminance"), this), "luminanceGroup", units, 7, 3, 236, 104);
    placed(new QGroupBox(QStringLiteral("Data Control"), this), "dataGroup", units, 7, 110, 236, 31);
    placed(new QGroupBox(QStringLiteral("Status"), this), "statusGroup", units, 7, 144, 236, 64);
    placed(new QGroupBox(QStringLiteral("Advanced Linearization"), this), "advancedGroup", units, 7, 211, 96, 28);
    placed(new QGroupBox(QStringLiteral("Verification Mode"), this), "verificationGroup", units, 108, 211, 135, 28);
    placed(new QGroupBox(QStringLiteral("Display Error Compensation"), this), "compensationGroup", units, 7, 242, 236,
           28);
    placed(new QGroupBox(QStringLiteral("Display Gamma Values"), this), "gammaGroup", units, 250, 144, 90, 64);
    placed(new QGroupBox(QStringLiteral("Primary Calibration Target Values"), this), "targetGroup", units, 345, 144,
           148, 38);
    placed(new QGroupBox(QStringLiteral("Plot Color Selection"), this), "plotColourGroup", units, 345, 185, 148, 23);

    placed(grid_, "grid", units, 15, 13, 220, 86)->raise();
    clearColumn_ = placed(new QPushButton(QStringLiteral("Clear Column"), this), "clearColumn", units, 14, 122, 52, 14);
    clearAll_ = placed(new QPushButton(QStringLiteral("Clear All"), this), "clearAll", units, 71, 122, 52, 14);
    saveData_ = placed(new QPushButton(QStringLiteral("Save"), this), "saveData", units, 128, 122, 52, 14);
    loadData_ = placed(new QPushButton(QStringLiteral("Load"), this), "loadData", units, 185, 122, 52, 14);
    placed(status_, "status", units, 14, 155, 222, 47)->raise();
    status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    noiseReduction_ =
        placed(new QCheckBox(QStringLiteral("Noise Reduction"), this), "noiseReduction", units, 14, 223, 84, 10);
    verificationMode_ = placed(new QCheckBox(QStringLiteral("On"), this), "verificationMode", units, 115, 223, 26, 10);
    placed(new QLabel(QStringLiteral("Step Count"), this), "stepCountLabel", units, 146, 224, 42, 8);
    stepCount_ = placed(new QComboBox(this), "stepCount", units, 190, 222, 46, 12);
    brightRegionCorrection_ = placed(new QCheckBox(QStringLiteral("Bright Region Correction"), this),
                                     "brightRegionCorrection", units, 14, 254, 110, 10);
    clipBrightRegion_ =
        placed(new QCheckBox(QStringLiteral("Clip Bright Region"), this), "clipBrightRegion", units, 130, 254, 100, 10);

    const char* gammaNames[] = {"averageGamma", "redGamma", "greenGamma", "blueGamma"};
    for (int i = 0; i < 4; ++i)
        gammaLabels_[static_cast<std::size_t>(i)] =
            placed(new QLabel(this), gammaNames[i], units, 257, 155 + 12 * i, 78, 10);
    targetLabels_[0] = placed(new QLabel(this), "stepCodeValue", units, 352, 155, 136, 10);
    targetLabels_[1] = placed(new QLabel(this), "stepNumber", units, 352, 167, 136, 10);
    plotBoxes_[0] = placed(new QCheckBox(QStringLiteral("Red"), this), "plotRed", units, 352, 195, 38, 10);
    plotBoxes_[1] = placed(new QCheckBox(QStringLiteral("Green"), this), "plotGreen", units, 396, 195, 44, 10);
    plotBoxes_[2] = placed(new QCheckBox(QStringLiteral("Blue"), this), "plotBlue", units, 446, 195, 40, 10);

    save_ = placed(new QPushButton(QStringLiteral("Save"), this), "save", units, 331, 256, 50, 14);
    apply_ = placed(new QPushButton(QStringLiteral("Apply"), this), "apply", units, 387, 256, 50, 14);
    cancel_ = placed(new QPushButton(QStringLiteral("Cancel"), this), "cancel", units, 443, 256, 50, 14);
    apply_->setDefault(true);

    for (QCheckBox* box : {noiseReduction_, verificationMode_, brightRegionCorrection_, clipBrightRegion_})
        widenToFitLabel(*box);
    for (QCheckBox* box : plotBoxes_)
        widenToFitLabel(*box);
    createPlotFrame(units);
}

void RamvelDlg::createPlotFrame(const DialogUnits& units)
{
    plot_ = placed(new ResponsePlot(*calibration_, this), "responsePlot", units, 272, 8, 150, 120);
    placed(new VerticalCaption(QStringLiteral("Measured Y Values"), this), "verticalCaption", units, 250, 8, 10, 120);
    placed(new QLabel(QStringLiteral("1"), this), "axisTop", units, 262, 8, 8, 8)
        ->setAlignment(Qt::AlignRight | Qt::AlignTop);
    placed(new QLabel(QStringLiteral("0"), this), "axisBottom", units, 262, 120, 8, 8)
        ->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    placed(new QLabel(QStringLiteral("Min"), this), "axisMin", units, 272, 130, 30, 8);
    placed(new QLabel(QStringLiteral("Code Values"), this), "horizontalCaption", units, 312, 130, 70, 8)
        ->setAlignment(Qt::AlignHCenter);
    placed(new QLabel(QStringLiteral("Max"), this), "axisMax", units, 392, 130, 30, 8)->setAlignment(Qt::AlignRight);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    const int side = units.toPixelsX(kLogoUnits);
    logo->setPixmap(productLogo(side));
    logo->setGeometry(units.toPixelsX(kDesignedWidth - kMargin) - side, units.toPixelsY(kMargin), side, side);
}

void RamvelDlg::connectControls()
{
    connect(apply_, &QPushButton::clicked, this, &RamvelDlg::onApply);
    connect(clearColumn_, &QPushButton::clicked, this, &RamvelDlg::onClearColumn);
    connect(clearAll_, &QPushButton::clicked, this, &RamvelDlg::onClearAll);
    connect(saveData_, &QPushButton::clicked, this, &RamvelDlg::onSaveDataFile);
    connect(loadData_, &QPushButton::clicked, this, &RamvelDlg::onLoadDataFile);
    connect(save_, &QPushButton::clicked, this, &RamvelDlg::onSaveTables);
    connect(cancel_, &QPushButton::clicked, this, &RamvelDlg::reject);
    connect(noiseReduction_, &QCheckBox::clicked, this,
            [this](bool checked) { calibration_->setNoiseReduction(checked); });
    connect(clipBrightRegion_, &QCheckBox::clicked, this,
            [this](bool checked) { calibration_->setClipBrightRegion(checked); });
    connect(brightRegionCorrection_, &QCheckBox::clicked, this, &RamvelDlg::onBrightRegionCorrection);
    connect(verificationMode_, &QCheckBox::clicked, this, &RamvelDlg::onVerificationMode);
    connect(stepCount_, &QComboBox::activated, this, &RamvelDlg::onStepCountChange);
    for (QCheckBox* box : plotBoxes_) {
        connect(box, &QCheckBox::clicked, this, [this] {
            updatePlotChannels();
            plot_->update();
        });
    }
    connect(grid_, &MyCug::readingEdited, this, &RamvelDlg::onReadingEdited);
}

void RamvelDlg::initialise()
{
    calibration_->start();
    for (QCheckBox* box : plotBoxes_)
        box->setChecked(true);
    fillStepCountList();
    showState();
}

void RamvelDlg::fillStepCountList()
{
    stepCount_->clear();
    for (int step = 1; step <= calibration_->stepCount(); ++step)
        stepCount_->addItem(toQString(formatInteger(step)));
}

void RamvelDlg::onApply()
{
    calibration_->apply();
    showStateAndPlot();
}

void RamvelDlg::onClearColumn()
{
    calibration_->clearColumn(grid_->currentColumn());
    showState();
}

void RamvelDlg::onClearAll()
{
    calibration_->clearAll();
    showState();
}

void RamvelDlg::onSaveTables()
{
    const TableSaveResult saved = saveTables(*calibration_);
    showState();
    if (saved.tablesWritten)
        accept();
}

void RamvelDlg::onSaveDataFile()
{
    statusReport_->clearStatus();
    if (const auto file = files_.fileToSave(this)) {
        saveDataFile(*calibration_, *file);
        showState();
    }
}

void RamvelDlg::onLoadDataFile()
{
    statusReport_->clearStatus();
    if (const auto file = files_.fileToLoad(this)) {
        if (!mayDiscardReadings())
            return;
        loadDataFile(*calibration_, *file);
        showStateAndPlot();
    }
}

void RamvelDlg::onBrightRegionCorrection(bool checked)
{
    calibration_->setBrightRegionCorrection(checked);
    showState();
}

void RamvelDlg::onVerificationMode(bool checked)
{
    // The switch builds a new grid; refused, the box goes back and nothing changes.
    if (!mayDiscardReadings()) {
        verificationMode_->setChecked(!checked);
        return;
    }
    calibration_->setVerificationMode(checked);
    showStateAndPlot();
}

void RamvelDlg::onStepCountChange(int index)
{
    calibration_->selectStepCount(index >= 0 ? std::optional<int>(index) : std::nullopt);
    calibration_->onStepCountChange();
    showStateAndPlot();
}

bool RamvelDlg::mayDiscardReadings()
{
    return !grid_->holdsReadings()
        || messages_.ask(this, windowTitle(), QStringLiteral("Discard the measured values?"));
}

void RamvelDlg::onReadingEdited()
{
    calibration_->readingsEdited();
    showState();
}

void RamvelDlg::showState()
{
    const LinearityCalibration& run = *calibration_;
    save_->setEnabled(run.saveEnabled());
    apply_->setEnabled(run.applyEnabled());
    for (std::size_t i = 0; i < gammaLabels_.size(); ++i) {
        gammaLabels_[i]->setText(toQString(run.gammaLabels()[i]));
        gammaLabels_[i]->setEnabled(run.gammaLabelsEnabled());
    }
    for (std::size_t i = 0; i < targetLabels_.size(); ++i)
        targetLabels_[i]->setText(toQString(run.targetLabels()[i]));

    noiseReduction_->setChecked(run.options().noiseReduction);
    brightRegionCorrection_->setChecked(run.options().brightRegionCorrection);
    brightRegionCorrection_->setEnabled(run.brightRegionCorrectionEnabled());
    clipBrightRegion_->setChecked(run.options().clipBrightRegion);
    clipBrightRegion_->setEnabled(run.clipBrightRegionEnabled());
    verificationMode_->setChecked(run.verificationMode());
    stepCount_->setEnabled(run.stepCountEnabled());
    stepCount_->setCurrentIndex(run.stepCountSelection().value_or(-1));
    for (Channel channel : kAllChannels)
        plotBoxes_[channelIndex(channel)]->setEnabled(run.plotChannelEnabled(channel));
    updatePlotChannels();
}

void RamvelDlg::showStateAndPlot()
{
    showState();
    plot_->update();
}

void RamvelDlg::updatePlotChannels()
{
    for (Channel channel : kAllChannels)
        plot_->setChannelShown(channel, plotBoxes_[channelIndex(channel)]->isChecked());
}
