#pragma once

// The launcher's window: starts the other programs, each at most once at a time, opens
// the help file, and ends the programs it started when it goes.

#include "config/calibration_settings.h"
#include "config/registry_store.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>

class LauncherShell;
class MessagePresenter;
class QRadioButton;
class StartedProgram;

class CHubrinDlg : public QDialog {
    Q_OBJECT
public:
    // Marks the current calibration results as not valid when the settings can be read.
    // A null store is treated like one that cannot be read.
    CHubrinDlg(std::unique_ptr<RegistryStore> store, LauncherShell& shell, MessagePresenter& messages,
               QWidget* parent = nullptr);
    // Ends every program started from here that still runs.
    ~CHubrinDlg() override;

    void showAbout();

public slots:
    // Quit, Escape and the close box: while started programs still run, the operator is
    // asked first, since ending them loses what they have not saved.
    void reject() override;

private:
    // The started-program records, in the order they are ended.
    enum Record { Download, PrimaryCalibration, StepWedgeDisplay, LinearityCalibration, RecordCount };

    void createControls();
    void resetValidityFlags();
    void startProgram(Record record, const QString& programName);
    void startSelectedCalibration();
    void openHelp();
    QStringList runningPrograms() const;

    std::unique_ptr<RegistryStore> store_;
    LauncherShell& shell_;
    MessagePresenter& messages_;
    std::unique_ptr<CalibrationSettings> settings_;
    std::array<std::unique_ptr<StartedProgram>, RecordCount> started_;
    std::array<QString, RecordCount> startedNames_;

    QRadioButton* primary_ = nullptr;
    QRadioButton* linearity_ = nullptr;
};
