#pragma once

// The primary calibration tool's one window: the measured x, y and Y of the three
// primaries, the display type, the calibration matrices, the status and the chromaticity
// chart with the measured triangle. Every decision is the dialog state's; the window shows
// that state and forwards the operator's presses to it.

#include "config/calibration_settings.h"
#include "config/registry_store.h"
#include "primary/trisola_dialog_state.h"

#include <QDialog>

#include <array>
#include <memory>

class CNumberEdit;
class ChromaticityChart;
class DataFileChooser;
class QKeyEvent;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class StatusField;

class TrisolaDialog : public QDialog {
    Q_OBJECT
public:
    // `store` must not be null; `files` answers the data file buttons and must outlive the
    // window.
    TrisolaDialog(std::unique_ptr<RegistryStore> store, DataFileChooser& files, QWidget* parent = nullptr);
    ~TrisolaDialog() override;

    // Loads the settings (saying so when they cannot be read; the window stays usable)
    // and selects the RGB LED display type.
    void initialise();

protected:
    // Enter presses Save, the default button, once an Apply has enabled it; until then
    // it presses Apply.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A primary's three fields.
    struct PrimaryFields {
        CNumberEdit* x = nullptr;
        CNumberEdit* y = nullptr;
        CNumberEdit* luminance = nullptr;
    };

    void createControls();
    void createPrimaryGroup(Channel channel, int left);
    void createDataFileButtons();
    void createResultFields();
    void placeChart();

    void clearPrimary(Channel channel);
    void applyCalibration();
    void saveCalibration();
    void saveData();
    void loadData();

    // The fields are the operator's: every operation starts from what they hold.
    void takeFieldTexts();
    void showFieldTexts();
    void showState();
    // A typed change or Clear: the report and Save describe readings that are gone.
    void fieldsEdited();

    std::unique_ptr<RegistryStore> store_;
    CalibrationSettings settings_;
    TrisolaDialogState state_;
    DataFileChooser& files_;

    std::array<PrimaryFields, 3> fields_{};
    QRadioButton* rgbLed_ = nullptr;
    QRadioButton* nonRgbLed_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    StatusField* status_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* apply_ = nullptr;
    ChromaticityChart* chart_ = nullptr;
    // True while the report and the enabled Save belong to the fields as they stand: after
    // an Apply that produced valid matrices, until the next edit.
    bool resultCurrent_ = false;
};
