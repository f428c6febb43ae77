#pragma once

// The download tool's window: the display-type tree, the Default / New choices of the
// calibration data, the two region check boxes, the status line and progress bar, and the
// Download button that checks the adapter and starts a run on a worker thread the window
// owns. Closing the window while a run is going stops the run and waits for it.

#include "config/registry_store.h"
#include "download/adapters/adapter_choice.h"
#include "download/cspi_flash.h"
#include "download/download_selection.h"
#include "download/download_settings.h"
#include "download/flash_region.h"
#include "download/run_state.h"
#include "download/ui/reading_progress.h"
#include "download/ui/run_mailbox.h"
#include "download/ui/stoppable_pacer.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <memory>
#include <thread>

class MessagePresenter;
class QCheckBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class StatusField;

class CFlashbeyDlg : public QDialog {
    Q_OBJECT
public:
    // `store` must not be null; `messages` asks before a running download is stopped.
    // Pauses of a run last their designed length times `pauseScale` (tests shorten them).
    CFlashbeyDlg(std::unique_ptr<RegistryStore> store, std::unique_ptr<ChosenSpiAdapter> adapter,
                 MessagePresenter& messages, double pauseScale = 1.0, QWidget* parent = nullptr);
    // Stops a run that is still going and waits for it; then closes the adapter.
    ~CFlashbeyDlg() override;

    bool runActive() const { return worker_.joinable(); }

public slots:
    // Cancel, Escape and the window's close button: a running download is stopped first,
    // when the operator agrees.
    void reject() override;

signals:
    // A run or a device check ended; `exclamation` for a failure.
    void beeped(bool exclamation);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class DialogObserver;

    void createControls();
    void initialise();
    void fillTree();
    void selectTreeNode(QTreeWidgetItem* item);
    void showSelection();
    QTreeWidgetItem* nodeWithLabelAt(const QPoint& viewportPosition) const;
    // The catalogue's description of the catalogue, display type or table set a node stands for.
    QString infoTip(const QTreeWidgetItem& item) const;
    void download();
    void startWorker();
    void scheduleDelivery();
    void deliverReports();
    void finishRun();
    void stopRun();

    std::unique_ptr<RegistryStore> store_;
    std::unique_ptr<ChosenSpiAdapter> adapter_;
    MessagePresenter& messages_;
    DownloadSettings settings_;
    std::unique_ptr<DownloadSelection> selection_;
    std::unique_ptr<DialogObserver> observer_;
    CSPI_Flash flash_;
    std::array<FlashRegion, 3> regions_;
    RunState state_;
    StoppablePacer pacer_;
    RunMailbox mailbox_;
    ReadingProgress runReports_{mailbox_, regions_};
    QTimer deliveryTimer_;
    std::thread worker_;

    QRadioButton* primaryDefault_ = nullptr;
    QRadioButton* primaryNew_ = nullptr;
    QRadioButton* linearityDefault_ = nullptr;
    QRadioButton* linearityNew_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QCheckBox* colorTables_ = nullptr;
    QCheckBox* calibrationValues_ = nullptr;
    StatusField* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* download_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
