#pragma once

// The measuring window: the operator chooses the run (linearity, primaries or
// verification), the meter, the screen the patches go on, the data file and the settle
// delay, and starts it. The run goes on a worker thread the window owns; the patches are
// shown full screen on the chosen screen, and progress, the last reading, the meter's
// calibration questions and the end come back to the window's thread as queued calls.
// A run that is cancelled or fails writes nothing; a completed one writes the data file
// and its HTML report beside it.

#include "config/calibration_settings.h"
#include "config/registry_store.h"
#include "config/step_table.h"
#include "measure/measurement_run.h"
#include "measure/spotread_meter.h"
#include "measure/ui/run_link.h"
#include "measure/ui/run_request.h"

#include <QDialog>

#include <filesystem>
#include <memory>
#include <thread>

class DataFileChooser;
class MessagePresenter;
class PatchWindow;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class StatusField;

class CandoraDlg : public QDialog {
    Q_OBJECT
public:
    struct Options {
        // Waits last their length times this (tests make them instant).
        double timeScale = 1.0;
        std::int64_t pollMilliseconds = 50;
        SpotreadSettings spotread;
    };

    CandoraDlg(std::unique_ptr<RegistryStore> store, DataFileChooser& files, MessagePresenter& messages,
               Options options, QWidget* parent = nullptr);
    // Stops a run that is still going and waits for its thread.
    ~CandoraDlg() override;

    // Reads the step list from the store.
    void initialise();

    // What in a command line's request this store and these screens cannot do; empty when nothing.
    QString requestProblem(const RunRequest& request) const;
    // Sets the controls as the request says and starts, without asking before replacing the
    // data file (the command named it). False when the run did not start; the status says why.
    bool startRequested(const RunRequest& request);

    bool runActive() const { return worker_.joinable(); }
    // After a completed run: the data file went where the run said and its report beside it.
    bool savedAsAsked() const { return savedAsAsked_; }
    QString statusText() const;
    PatchWindow& patchWindow() const { return *patchWindow_; }

public slots:
    // Escape and the window's close button: during a run, the same as Cancel.
    void reject() override;

signals:
    void runFinished(bool completed);

private:
    struct Session;

    void createControls();
    void start();
    bool confirmOutput(const std::filesystem::path& output);
    void togglePause();
    void requestCancel();
    void runSession(Session& session);
    void paintPatch(std::uint32_t colour, std::uint64_t serial);
    void showReport(const WindowRunObserver::Report& report);
    void askCalibration(std::uint64_t question, const QString& instruction);
    void finishRun(const RunResult& result);
    // True when the data file and its report were written where the run said.
    bool writeResults(const Session& session, const RunResult& result);
    void stopRun();
    void setRunning(bool running);
    void showPaused();

    std::unique_ptr<RegistryStore> store_;
    DataFileChooser& files_;
    MessagePresenter& messages_;
    Options options_;
    CalibrationSettings settings_;
    StepTable steps_;
    std::unique_ptr<Session> session_;
    std::thread worker_;
    bool paused_ = false;
    bool storeLoaded_ = false;
    bool askBeforeReplacing_ = true;
    bool savedAsAsked_ = false;
    QString patchText_;
    QString readingText_;
    std::unique_ptr<PatchWindow> patchWindow_;

    QRadioButton* linearity_ = nullptr;
    QRadioButton* primaries_ = nullptr;
    QRadioButton* verification_ = nullptr;
    QSpinBox* greySteps_ = nullptr;
    QComboBox* meter_ = nullptr;
    QComboBox* screen_ = nullptr;
    QLineEdit* output_ = nullptr;
    QPushButton* browse_ = nullptr;
    QSpinBox* settle_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* patch_ = nullptr;
    QLabel* reading_ = nullptr;
    StatusField* status_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
