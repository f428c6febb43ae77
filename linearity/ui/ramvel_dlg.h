#pragma once

// The linearity tool's one window: the measurement grid, the data file and option
// controls, the status field, the response plot and the gamma and target labels. All
// decisions are the linearity core's; the window forwards the operator's actions to it
// and shows its state.

#include "config/calibration_settings.h"
#include "config/registry_store.h"

#include <QDialog>

#include <array>
#include <memory>

class DataFileChooser;
class DialogUnits;
class LinearityCalibration;
class MessagePresenter;
class MyCug;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class ResponsePlot;
class StatusField;
class StatusFieldReport;

class RamvelDlg : public QDialog {
    Q_OBJECT
public:
    // `store` must not be null; `files` answers the Data Control Save and Load buttons and
    // `messages` the question before typed readings are discarded.
    RamvelDlg(std::unique_ptr<RegistryStore> store, DataFileChooser& files, MessagePresenter& messages,
              QWidget* parent = nullptr);
    ~RamvelDlg() override;

    // Start-up: reads the settings and the step list and sets up the grid and controls.
    // A store that cannot be read is reported in the status field; the window stays usable.
    void initialise();

    const LinearityCalibration& calibration() const { return *calibration_; }

private:
    void createControls();
    void createPlotFrame(const DialogUnits& units);
    void connectControls();

    void onApply();
    void onClearColumn();
    void onClearAll();
    void onSaveTables();
    void onSaveDataFile();
    void onLoadDataFile();
    void onBrightRegionCorrection(bool checked);
    void onVerificationMode(bool checked);
    void onStepCountChange(int index);
    void fillStepCountList();
    // Asks before readings in the grid are replaced; true when there are none or the
    // operator agrees.
    bool mayDiscardReadings();
    void onReadingEdited();
    // Shows the core's state in the controls; the plot is repainted only when asked.
    void showState();
    void showStateAndPlot();
    void updatePlotChannels();

    std::unique_ptr<RegistryStore> store_;
    DataFileChooser& files_;
    MessagePresenter& messages_;
    std::unique_ptr<CalibrationSettings> settings_;
    std::unique_ptr<StatusFieldReport> statusReport_;
    std::unique_ptr<LinearityCalibration> calibration_;

    MyCug* grid_ = nullptr;
    StatusField* status_ = nullptr;
    ResponsePlot* plot_ = nullptr;
    QPushButton* clearColumn_ = nullptr;
    QPushButton* clearAll_ = nullptr;
    QPushButton* saveData_ = nullptr;
    QPushButton* loadData_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::array<QLabel*, 4> gammaLabels_{};
    std::array<QLabel*, 2> targetLabels_{};
    std::array<QCheckBox*, 3> plotBoxes_{};
    QCheckBox* noiseReduction_ = nullptr;
    QCheckBox* brightRegionCorrection_ = nullptr;
    QCheckBox* clipBrightRegion_ = nullptr;
    QCheckBox* verificationMode_ = nullptr;
    QComboBox* stepCount_ = nullptr;
};
