#pragma once

// The target display's one window: the patch of the current step over most of the screen,
// with the colour, target-size and step controls along the bottom.

#include "config/calibration_settings.h"
#include "config/registry_store.h"
#include "config/step_table.h"
#include "stepwedge/colour_selection.h"
#include "stepwedge/patch_geometry.h"
#include "stepwedge/step_navigator.h"
#include "stepwedge/ui/anchor_layout.h"

#include <QDialog>

#include <cstdint>
#include <memory>

class MessagePresenter;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TargetArea;

class PatchoraDlg : public QDialog {
    Q_OBJECT
public:
    // A null store is treated like one that cannot be read.
    PatchoraDlg(std::unique_ptr<RegistryStore> store, MessagePresenter& messages, QWidget* parent = nullptr);
    ~PatchoraDlg() override;

    // Reads the settings and the step list, paints step 1 in red and shows the window over
    // the primary screen. Without readable settings the window is shown at its designed
    // size with nothing painted, and every step it is asked for is black.
    void initialise();

    void paintStep(std::int32_t step, ColourSelection selection);

    bool isInitialised() const { return initialised_; }
    const StepNavigator& navigator() const { return navigator_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void registerAnchors();
    void placeOnPrimaryScreen();
    // On a screen narrower than the designed window the navigation row would run over the
    // colour and size groups: it then moves up into a row of its own above them, and the
    // target area gives up that height.
    void keepNavigationClearOfGroups();

    void selectColour(ColourSelection selection);
    void setTargetSize(bool fullScreen);
    void showCurrentStep(); // paints; the field keeps what it holds
    void showCurrentStepAndEntry(); // paints and writes the step into the field
    void goTo();

    std::unique_ptr<RegistryStore> store_;
    MessagePresenter& messages_;
    std::unique_ptr<CalibrationSettings> settings_;
    StepTable steps_;
    StepNavigator navigator_;
    TargetSize targetSize_ = TargetSize::FullScreen;
    bool initialised_ = false;
    AnchorLayout anchorLayout_;

    TargetArea* targetArea_ = nullptr;
    QGroupBox* colourGroup_ = nullptr;
    QRadioButton* red_ = nullptr;
    QRadioButton* green_ = nullptr;
    QRadioButton* blue_ = nullptr;
    QRadioButton* grayscale_ = nullptr;
    QGroupBox* sizeGroup_ = nullptr;
    QCheckBox* fullScreen_ = nullptr;
    QGroupBox* navigationGroup_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* end_ = nullptr;
    QLineEdit* stepField_ = nullptr;
    QPushButton* goTo_ = nullptr;
    QPushButton* exit_ = nullptr;
};
