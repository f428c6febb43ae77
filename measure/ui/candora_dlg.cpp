#include "measure/ui/candora_dlg.h"

#include "config/number_text.h"
#include "measure/measured_data_files.h"
#include "measure/simulated_display.h"
#include "measure/ui/patch_window.h"
#include "measure/ui/report_file.h"
#include "uikit/data_file_chooser.h"
#include "uikit/message_presenter.h"
#include "uikit/program_icons.h"
#include "uikit/status_field.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const QString kRegistryMessage = QStringLiteral("Unable to get needed registry values, please reinstall program.");
const QString kNothing = QStringLiteral("-");

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

// Through UTF-16, as the file dialogs give paths, so that any file name survives on every platform.
QString pathText(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

QString readingText(const MeterReading& r)
{
    return QStringLiteral("Y %1 cd/m\u00b2, x %2, y %3")
        .arg(qText(formatFixed(r.Y, 0, 4)), qText(formatFixed(r.x, 0, 4)), qText(formatFixed(r.y, 0, 4)));
}

const char* kindName(MeasurementKind kind)
{
    switch (kind) {
    case MeasurementKind::Linearity:
        return "Linearity";
    case MeasurementKind::Primaries:
        return "Primary";
    case MeasurementKind::Verification:
        break;
    }
    return "Verification";
}

} // namespace

// One run: what it measures and where it writes, and its link to the worker.
struct CandoraDlg::Session {
    MeasurementKind kind = MeasurementKind::Linearity;
    std::vector<Patch> patches;
    bool argyll = false;
    std::int64_t settleMilliseconds = 0;
    std::filesystem::path output;
    int screen = -1;
    RunLink link;
};

CandoraDlg::CandoraDlg(std::unique_ptr<RegistryStore> store, DataFileChooser& files, MessagePresenter& messages,
                       Options options, QWidget* parent)
    : QDialog(parent)
    , store_(std::move(store))
    , files_(files)
    , messages_(messages)
    , options_(std::move(options))
    , settings_(*store_)
    , patchWindow_(std::make_unique<PatchWindow>())
{
    setWindowTitle(QStringLiteral("Chromix Measurement"));
    setWindowIcon(programIcon(ProgramKind::Candora));
    createControls();
    connect(patchWindow_.get(), &PatchWindow::cancelRequested, this, &CandoraDlg::requestCancel);
    connect(patchWindow_.get(), &PatchWindow::pauseToggled, this, &CandoraDlg::togglePause);
}

CandoraDlg::~CandoraDlg()
{
    stopRun();
}

void CandoraDlg::createControls()
{
    auto* runGroup = new QGroupBox(QStringLiteral("Measurement"), this);
    linearity_ = new QRadioButton(QStringLiteral("Linearity: every step in red, green and blue"), runGroup);
    primaries_ = new QRadioButton(QStringLiteral("Primaries: full red, green and blue"), runGroup);
    verification_ = new QRadioButton(QStringLiteral("Verification: the first grey steps"), runGroup);
    greySteps_ = new QSpinBox(runGroup);
    linearity_->setChecked(true);
    greySteps_->setEnabled(false);
    auto* verificationRow = new QHBoxLayout;
    verificationRow->addWidget(verification_);
    verificationRow->addWidget(greySteps_);
    verificationRow->addStretch();
    auto* runLayout = new QVBoxLayout(runGroup);
    runLayout->addWidget(linearity_);
    runLayout->addWidget(primaries_);
    runLayout->addLayout(verificationRow);

    meter_ = new QComboBox(this);
    meter_->addItem(QStringLiteral("Simulated display and meter"), QStringLiteral("sim"));
    meter_->addItem(QStringLiteral("ArgyllCMS spotread (a real meter)"), QStringLiteral("argyll"));
    screen_ = new QComboBox(this);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        screen_->addItem(QStringLiteral("%1 (%2 x %3 at %4, %5)")
                             .arg(screen->name())
                             .arg(g.width())
                             .arg(g.height())
                             .arg(g.x())
                             .arg(g.y()));
    }
    screen_->setCurrentIndex(
        std::max<int>(0, static_cast<int>(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen()))));
    output_ = new QLineEdit(this);
    output_->setPlaceholderText(QStringLiteral("the data file to write"));
    browse_ = new QPushButton(QStringLiteral("Browse..."), this);
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(output_, 1);
    outputRow->addWidget(browse_);
    settle_ = new QSpinBox(this);
    settle_->setRange(0, 60000);
    settle_->setSingleStep(100);
    settle_->setValue(1000);
    settle_->setSuffix(QStringLiteral(" ms"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Meter:"), meter_);
    form->addRow(QStringLiteral("Screen for the patches:"), screen_);
    form->addRow(QStringLiteral("Data file:"), outputRow);
    form->addRow(QStringLiteral("Settle delay per patch:"), settle_);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    patch_ = new QLabel(QStringLiteral("Patch: ") + kNothing, this);
    reading_ = new QLabel(QStringLiteral("Last reading: ") + kNothing, this);
    status_ = new StatusField(QStringLiteral("\n"), this);
    status_->setFixedHeight(status_->fontMetrics().height() * 4);

    start_ = new QPushButton(QStringLiteral("Start"), this);
    pause_ = new QPushButton(QStringLiteral("Pause"), this);
    cancel_ = new QPushButton(QStringLiteral("Close"), this);
    pause_->setEnabled(false);
    // Enter in a field must not start a run of many minutes.
    for (QPushButton* button : {start_, pause_, cancel_, browse_})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(pause_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(runGroup);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(patch_);
    layout->addWidget(reading_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 80);

    const std::pair<QWidget*, const char*> names[] = {
        {linearity_, "linearity"}, {primaries_, "primaries"}, {verification_, "verification"},
        {greySteps_, "greySteps"}, {meter_, "meter"},         {screen_, "screen"},
        {output_, "output"},       {browse_, "browse"},       {settle_, "settle"},
        {progress_, "progress"},   {patch_, "patch"},         {reading_, "reading"},
        {status_, "status"},       {start_, "start"},         {pause_, "pause"},
        {cancel_, "cancel"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));

    connect(verification_, &QRadioButton::toggled, greySteps_, &QSpinBox::setEnabled);
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (const auto file = files_.fileToSave(this))
            output_->setText(pathText(*file));
    });
    connect(start_, &QPushButton::clicked, this, &CandoraDlg::start);
    connect(pause_, &QPushButton::clicked, this, &CandoraDlg::togglePause);
    connect(cancel_, &QPushButton::clicked, this, &CandoraDlg::reject);
}

void CandoraDlg::initialise()
{
    storeLoaded_ = settings_.load();
    if (!storeLoaded_)
        status_->setStatus(kRegistryMessage, true);
    for (Channel channel : kAllChannels)
        parseStepList(steps_, channel, settings_.stepList);
    const int count = steps_.stepCount();
    greySteps_->setRange(1, std::max(count, 1));
    greySteps_->setValue(std::clamp(kDefaultVerificationSteps, 1, std::max(count, 1)));
}

bool CandoraDlg::confirmOutput(const std::filesystem::path& output)
{
    std::error_code error;
    const std::filesystem::path folder = output.parent_path().empty() ? "." : output.parent_path();
    if (!std::filesystem::is_directory(folder, error)) {
        status_->setStatus(QStringLiteral("The folder of the data file does not exist: %1").arg(pathText(folder)),
                           true);
        return false;
    }
    if (std::filesystem::is_directory(output, error)) {
        status_->setStatus(QStringLiteral("The data file is a folder: %1").arg(pathText(output)), true);
        return false;
    }
    if (!askBeforeReplacing_ || !std::filesystem::exists(output, error))
        return true;
    return messages_.ask(this, windowTitle(),
                         QStringLiteral("%1 exists. Replace it with this measurement's data when the run is done?")
                             .arg(pathText(output)));
}

QString CandoraDlg::requestProblem(const RunRequest& request) const
{
    if (request.steps && (*request.steps < greySteps_->minimum() || *request.steps > greySteps_->maximum()))
        return QStringLiteral("--steps takes a step count of 1 to %1, the steps of the step list")
            .arg(greySteps_->maximum());
    if (request.screen && *request.screen > screen_->count())
        return QStringLiteral("--screen takes 1 to %1, the screens there are").arg(screen_->count());
    if (request.settleMilliseconds
        && (*request.settleMilliseconds < settle_->minimum() || *request.settleMilliseconds > settle_->maximum()))
        return QStringLiteral("--settle-ms takes %1 to %2").arg(settle_->minimum()).arg(settle_->maximum());
    return {};
}

bool CandoraDlg::startRequested(const RunRequest& request)
{
    if (!storeLoaded_ && request.kind != MeasurementKind::Primaries) {
        status_->setStatus(kRegistryMessage, true);
        return false;
    }
    linearity_->setChecked(request.kind == MeasurementKind::Linearity);
    primaries_->setChecked(request.kind == MeasurementKind::Primaries);
    verification_->setChecked(request.kind == MeasurementKind::Verification);
    if (request.steps)
        greySteps_->setValue(*request.steps);
    meter_->setCurrentIndex(meter_->findData(request.argyll ? QStringLiteral("argyll") : QStringLiteral("sim")));
    if (request.screen)
        screen_->setCurrentIndex(*request.screen - 1);
    if (request.settleMilliseconds)
        settle_->setValue(*request.settleMilliseconds);
    output_->setText(request.output);
    askBeforeReplacing_ = false;
    start();
    askBeforeReplacing_ = true;
    return runActive();
}

QString CandoraDlg::statusText() const
{
    return status_->text();
}

void CandoraDlg::start()
{
    if (runActive())
        return;
    const QString file = output_->text().trimmed();
    if (file.isEmpty()) {
        status_->setStatus(QStringLiteral("Choose the data file the measurements are written to."), true);
        return;
    }
    auto session = std::make_unique<Session>();
    session->kind = primaries_->isChecked() ? MeasurementKind::Primaries
        : verification_->isChecked()        ? MeasurementKind::Verification
                                            : MeasurementKind::Linearity;
    if (session->kind != MeasurementKind::Primaries && steps_.stepCount() < 1) {
        status_->setStatus(QStringLiteral("The store's step list holds no steps; only the primaries can be measured."),
                           true);
        return;
    }
    session->output = std::filesystem::path(file.toStdU16String());
    if (!confirmOutput(session->output))
        return;
    session->patches = plannedPatches(session->kind, steps_, greySteps_->value());
    session->argyll = meter_->currentData().toString() == QStringLiteral("argyll");
    session->settleMilliseconds = settle_->value();

    // Nothing of an earlier run may look like this one's.
    progress_->setRange(0, static_cast<int>(session->patches.size()));
    progress_->setValue(0);
    patchText_ = QStringLiteral("Patch: ") + kNothing;
    readingText_ = QStringLiteral("Last reading: ") + kNothing;
    paused_ = false;
    showPaused();
    status_->setStatus(session->argyll ? QStringLiteral("Starting the colour meter (spotread)...")
                                       : QStringLiteral("Measuring the simulated display..."),
                       false);
    setRunning(true);
    // The patch window comes with the first patch: until then (the meter may take a
    // minute to get ready, or ask for its calibration) the operator keeps this window.
    session->screen = screen_->currentIndex();
    session_ = std::move(session);
    worker_ = std::thread([this, session = session_.get()] { runSession(*session); });
}

// On the worker thread: touches the window only through queued calls.
void CandoraDlg::runSession(Session& session)
{
    WindowPacer pacer(session.link, options_.timeScale);
    SimulatedDisplay simulated(SimulatedDisplayModel{}, pacer);
    WindowPatchDisplay display(
        session.link,
        [this](std::uint32_t colour, std::uint64_t serial) {
            QMetaObject::invokeMethod(
                this, [this, colour, serial] { paintPatch(colour, serial); }, Qt::QueuedConnection);
        },
        session.argyll ? nullptr : &simulated);
    WindowRunObserver observer(
        session.link,
        [this](const WindowRunObserver::Report& report) {
            QMetaObject::invokeMethod(
                this, [this, report] { showReport(report); }, Qt::QueuedConnection);
        },
        options_.pollMilliseconds);
    std::unique_ptr<ColourMeter> meter;
    if (session.argyll) {
        RunLink& link = session.link;
        SpotreadSettings spotread = options_.spotread;
        spotread.cancelled = [&link] { return link.cancelled(); };
        meter = std::make_unique<SpotreadMeter>(
            createChildProcess(), spotread, [this, &link](const std::string& instruction) {
                const std::uint64_t question = link.nextSerial();
                QMetaObject::invokeMethod(
                    this, [this, question, text = qText(instruction)] { askCalibration(question, text); },
                    Qt::QueuedConnection);
                return link.waitForAnswer(question);
            });
    } else {
        meter = std::make_unique<SimulatedMeter>(simulated);
    }

    RunResult result;
    if (const Result<> opened = meter->open(); opened) {
        RunSettings settings;
        settings.settleMilliseconds = session.settleMilliseconds;
        settings.pollMilliseconds = options_.pollMilliseconds;
        result = runMeasurement(session.patches, display, *meter, pacer, observer, settings);
        meter->close();
    } else {
        result.message = opened.failure().message;
    }
    // A meter that was waiting when the operator cancelled reports a failure; it was not one.
    if (result.outcome == RunOutcome::Failed && session.link.cancelled()) {
        result.outcome = RunOutcome::Cancelled;
        result.message = kRunCancelled;
    }
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)] { finishRun(result); }, Qt::QueuedConnection);
}

void CandoraDlg::paintPatch(std::uint32_t colour, std::uint64_t serial)
{
    if (session_ && !patchWindow_->isVisible()) {
        const QList<QScreen*> screens = QGuiApplication::screens();
        const int index = session_->screen;
        patchWindow_->showOn(index >= 0 && index < screens.size() ? screens[index] : nullptr);
    }
    patchWindow_->showPatch(colour);
    if (session_)
        session_->link.patchPainted(serial);
}

void CandoraDlg::showReport(const WindowRunObserver::Report& report)
{
    const QString position =
        QStringLiteral("%1 of %2").arg(report.done + (report.hasReading ? 0 : 1)).arg(report.total);
    if (report.hasReading) {
        progress_->setValue(report.done);
        readingText_ = QStringLiteral("Last reading: %1: %2").arg(qText(report.patch), readingText(report.reading));
    } else {
        patchText_ = QStringLiteral("Patch: %1, %2").arg(qText(report.patch), position);
        if (status_->text().startsWith(QStringLiteral("Starting")))
            status_->setStatus(QStringLiteral("Measuring..."), false);
    }
    showPaused();
}

void CandoraDlg::showPaused()
{
    const QString state =
        paused_ ? QStringLiteral("Paused: Space resumes, Esc cancels") : QStringLiteral("Space pauses, Esc cancels");
    patch_->setText(patchText_ + (paused_ && runActive() ? QStringLiteral(" (paused)") : QString()));
    reading_->setText(readingText_);
    patchWindow_->setCaption(patchText_ + QStringLiteral("   ") + readingText_ + QStringLiteral("   ") + state);
    pause_->setText(paused_ ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void CandoraDlg::askCalibration(std::uint64_t question, const QString& instruction)
{
    QWidget* parent = patchWindow_->isVisible() ? static_cast<QWidget*>(patchWindow_.get()) : this;
    const bool done =
        messages_.ask(parent, QStringLiteral("Colour meter calibration"),
                      instruction.trimmed() + QStringLiteral("\n\nYes once it is done; No stops the measurement."));
    if (session_)
        session_->link.answer(question, done);
}

void CandoraDlg::togglePause()
{
    if (!runActive())
        return;
    paused_ = !paused_;
    session_->link.setPaused(paused_);
    showPaused();
}

void CandoraDlg::requestCancel()
{
    if (!runActive())
        return;
    // The run holds while the operator decides.
    session_->link.setPaused(true);
    QWidget* parent = patchWindow_->isVisible() ? static_cast<QWidget*>(patchWindow_.get()) : this;
    if (!messages_.ask(parent, windowTitle(),
                       QStringLiteral("Cancel the measurement? Its readings are discarded and no file is written."))) {
        if (session_)
            session_->link.setPaused(paused_);
        return;
    }
    if (session_)
        session_->link.cancel();
    status_->setStatus(QStringLiteral("Cancelling..."), false);
}

void CandoraDlg::finishRun(const RunResult& result)
{
    if (!worker_.joinable())
        return;
    worker_.join();
    const std::unique_ptr<Session> session = std::move(session_);
    patchWindow_->hide();
    savedAsAsked_ = false;
    paused_ = false;
    setRunning(false);
    showPaused();
    switch (result.outcome) {
    case RunOutcome::Completed:
        savedAsAsked_ = writeResults(*session, result);
        break;
    case RunOutcome::Cancelled:
        status_->setStatus(qText(result.message), true);
        break;
    case RunOutcome::Failed:
        status_->setStatus(qText(result.message), true);
        status_->appendStatus(QStringLiteral("No file was written."), true);
        break;
    }
    emit runFinished(result.outcome == RunOutcome::Completed);
}

bool CandoraDlg::writeResults(const Session& session, const RunResult& result)
{
    const std::string text = measurementDataText(session.kind, session.patches, result.readings, steps_.stepCount());
    std::filesystem::path output = session.output;
    // The readings took the operator minutes: a file that cannot be written is not the end of them.
    for (Result<> written = writeDataFile(output, text); !written; written = writeDataFile(output, text)) {
        const QString message =
            QStringLiteral("Unable to write %1: %2").arg(pathText(output), qText(written.failure().reason));
        status_->setStatus(message, true);
        std::optional<std::filesystem::path> other;
        if (messages_.ask(this, windowTitle(), message + QStringLiteral("\n\nSave the readings in another file?")))
            other = files_.fileToSave(this);
        if (!other) {
            status_->appendStatus(QStringLiteral("The readings were not saved."), true);
            return false;
        }
        output = *other;
    }
    output_->setText(pathText(output));
    status_->setStatus(QStringLiteral("%1 data file written: %2").arg(kindName(session.kind), pathText(output)), false);
    std::vector<int> codes;
    for (int step = 1; step <= steps_.stepCount(); ++step)
        codes.push_back(steps_.codeValue(Channel::Red).valueOr(step, 0));
    const std::filesystem::path report = reportPathFor(output);
    const Result<> written = writeMeasurementReport(session.kind, output, codes, *store_, report);
    if (!written) {
        status_->appendStatus(QStringLiteral("The report was not written: %1").arg(qText(written.failure().lines())),
                              true);
        return false;
    }
    status_->appendStatus(QStringLiteral("Report written: %1").arg(pathText(report)), false);
    return output == session.output;
}

void CandoraDlg::setRunning(bool running)
{
    for (QWidget* option : std::initializer_list<QWidget*>{linearity_, primaries_, verification_, meter_, screen_,
                                                           output_, browse_, settle_, start_})
        option->setEnabled(!running);
    greySteps_->setEnabled(!running && verification_->isChecked());
    pause_->setEnabled(running);
    cancel_->setText(running ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

void CandoraDlg::stopRun()
{
    if (!worker_.joinable())
        return;
    session_->link.stop();
    worker_.join();
    session_.reset();
    patchWindow_->hide();
}

void CandoraDlg::reject()
{
    if (runActive()) {
        requestCancel();
        return;
    }
    QDialog::reject();
}
