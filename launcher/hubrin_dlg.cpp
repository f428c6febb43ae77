#include "launcher/hubrin_dlg.h"

#include "launcher/about_dlg.h"
#include "launcher/launcher_shell.h"
#include "launcher/system_shell.h"
#include "uikit/dialog_units.h"
#include "uikit/message_presenter.h"
#include "uikit/program_icons.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

namespace {

// The designed dialog, in dialog units, and the logo in pixels.
constexpr int kDesignedWidth = 240;
constexpr int kDesignedHeight = 150;
constexpr int kMargin = 7;
constexpr int kLogoPixels = 100;

const QString kTitle = QStringLiteral("Hubrin");

} // namespace

CHubrinDlg::CHubrinDlg(std::unique_ptr<RegistryStore> store, LauncherShell& shell, MessagePresenter& messages,
                       QWidget* parent)
    : QDialog(parent)
    , store_(std::move(store))
    , shell_(shell)
    , messages_(messages)
{
    setWindowTitle(QStringLiteral("Velvane Chromix \u2122 Application"));
    setWindowIcon(programIcon(ProgramKind::Hubrin));
    createControls();
    // The operator works in the other programs' windows; the launcher stays in view.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resetValidityFlags();
}

CHubrinDlg::~CHubrinDlg()
{
    for (auto& program : started_) {
        if (program)
            program->kill();
    }
}

void CHubrinDlg::createControls()
{
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(kDesignedWidth, kDesignedHeight)));

    placed(new QGroupBox(QStringLiteral("Chromix Calibration"), this), "calibrationGroup", units, 7, 7, 150, 62);
    primary_ = placed(new QRadioButton(QStringLiteral("Display Primary Calibration"), this), "primaryCalibration",
                      units, 15, 20, 135, 10);
    linearity_ = placed(new QRadioButton(QStringLiteral("Display Linearity Calibration"), this), "linearityCalibration",
                        units, 15, 33, 135, 10);
    widenToFitLabel(*primary_);
    widenToFitLabel(*linearity_);
    auto* startCalibration = placed(new QPushButton(QStringLiteral("Start Selected Calibration"), this),
                                    "startCalibration", units, 15, 48, 100, 14);

    placed(new QGroupBox(QStringLiteral("Chromix Download"), this), "downloadGroup", units, 7, 75, 150, 31);
    auto* startDownload =
        placed(new QPushButton(QStringLiteral("Start Download"), this), "startDownload", units, 15, 86, 100, 14);

    placed(new QGroupBox(QStringLiteral("Chromix Target Display"), this), "displayGroup", units, 7, 112, 150, 31);
    auto* startDisplay =
        placed(new QPushButton(QStringLiteral("Start Display"), this), "startDisplay", units, 15, 123, 100, 14);

    auto* about = placed(new QPushButton(QStringLiteral("About"), this), "about", units, 170, 86, 63, 14);
    auto* help = placed(new QPushButton(QStringLiteral("&Help"), this), "help", units, 170, 105, 63, 14);
    auto* quit = placed(new QPushButton(QStringLiteral("Quit"), this), "quit", units, 170, 123, 63, 14);
    quit->setDefault(true);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(productLogo(kLogoPixels));
    logo->setGeometry(units.toPixelsX(kDesignedWidth - kMargin) - kLogoPixels, units.toPixelsY(kMargin), kLogoPixels,
                      kLogoPixels);

    connect(startCalibration, &QPushButton::clicked, this, &CHubrinDlg::startSelectedCalibration);
    connect(startDownload, &QPushButton::clicked, this, [this] { startProgram(Download, QStringLiteral("Flashbey")); });
    connect(startDisplay, &QPushButton::clicked, this,
            [this] { startProgram(StepWedgeDisplay, QStringLiteral("Patchora")); });
    connect(about, &QPushButton::clicked, this, &CHubrinDlg::showAbout);
    connect(help, &QPushButton::clicked, this, &CHubrinDlg::openHelp);
    connect(quit, &QPushButton::clicked, this, &CHubrinDlg::close);
}

void CHubrinDlg::resetValidityFlags()
{
    if (!store_)
        return;
    settings_ = std::make_unique<CalibrationSettings>(*store_);
    if (!settings_->load())
        return;
    settings_->setMatrixCurrentValid(false);
    settings_->setLinearityValid(Channel::Blue, false);
    settings_->setLinearityValid(Channel::Green, false);
    settings_->setLinearityValid(Channel::Red, false);
}

void CHubrinDlg::startProgram(Record record, const QString& programName)
{
    std::unique_ptr<StartedProgram>& program = started_[record];
    // Each program runs at most once at a time; a second press while it runs is ignored.
    if (program && program->isRunning())
        return;
    QString error;
    program = shell_.startProgram(programName, error);
    startedNames_[record] = programName;
    if (!program)
        messages_.warn(this, kTitle, error);
}

void CHubrinDlg::startSelectedCalibration()
{
    if (linearity_->isChecked())
        startProgram(LinearityCalibration, QStringLiteral("Ramvel"));
    else if (primary_->isChecked())
        startProgram(PrimaryCalibration, QStringLiteral("Trisola"));
}

void CHubrinDlg::openHelp()
{
    QString error;
    if (shell_.openDocument(QStringLiteral("Chromix_Processor.chm"), error))
        return;
    // Without the Windows help file, the HTML manual installed with the programs.
    const QString manual = installedManualPath();
    if (!manual.isEmpty() && shell_.openDocument(manual, error))
        return;
    messages_.warn(this, kTitle, error);
}

QStringList CHubrinDlg::runningPrograms() const
{
    QStringList names;
    for (std::size_t record = 0; record < started_.size(); ++record) {
        if (started_[record] && started_[record]->isRunning())
            names << startedNames_[record];
    }
    return names;
}

void CHubrinDlg::reject()
{
    const QStringList running = runningPrograms();
    if (!running.isEmpty()
        && !messages_.ask(
            this, kTitle,
            QStringLiteral("Still running: %1.\nQuitting ends them, and what they have not saved is lost. Quit?")
                .arg(running.join(QStringLiteral(", ")))))
        return;
    QDialog::reject();
}

void CHubrinDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}
