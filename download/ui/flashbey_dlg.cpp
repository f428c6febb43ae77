#include "download/ui/flashbey_dlg.h"

#include "download/download_run.h"
#include "uikit/dialog_units.h"
#include "uikit/message_presenter.h"
#include "uikit/program_icons.h"
#include "uikit/status_field.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace {

// The designed dialog, in dialog units, and its picture in pixels.
constexpr int kDesignedWidth = 461;
constexpr int kDesignedHeight = 193;
constexpr int kPicturePixels = 100;
constexpr int kTreeGroupRight = 243 + 156;
constexpr int kPictureGap = 2;
// The status line is inset in its group as far on the right as on the left.
constexpr int kStatusWidth = 422;

// A run reports after every value it reads; the window shows the latest report this often.
constexpr int kDeliveryMilliseconds = 50;

constexpr int kHasChildrenRole = Qt::UserRole;

const QString kRegistryMessage = QStringLiteral("Unable to get needed registry values, please reinstall program.");

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool hasChildren(const QTreeWidgetItem& item)
{
    return item.data(0, kHasChildrenRole).toBool();
}

void addNode(const DisplayTypeNode& node, QTreeWidgetItem& item)
{
    item.setText(0, qText(node.name));
    item.setData(0, kHasChildrenRole, node.hasChildren);
    item.setChildIndicatorPolicy(node.hasChildren ? QTreeWidgetItem::ShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicator);
    for (const DisplayTypeNode& child : node.children)
        addNode(child, *new QTreeWidgetItem(&item));
}

// Shows one Default / New pair as the selection has it; all four may be unchecked, which an
// exclusive group would not allow.
void showOptions(QRadioButton& defaultOption, QRadioButton& newOption, const CalibrationOptions& options)
{
    QButtonGroup* group = defaultOption.group();
    group->setExclusive(false);
    defaultOption.setChecked(options.defaultChecked);
    newOption.setChecked(options.newChecked);
    group->setExclusive(true);
    defaultOption.setEnabled(options.defaultEnabled);
    newOption.setEnabled(options.newEnabled);
}

} // namespace

// What the core reports, shown in the widgets; used on the window's thread only.
class CFlashbeyDlg::DialogObserver : public DownloadObserver {
public:
    explicit DialogObserver(CFlashbeyDlg& dialog) : dialog_(dialog) {}

    void setStatus(std::string_view text, bool error) override { dialog_.status_->setStatus(qText(text), error); }
    void appendStatus(std::string_view text, bool error) override { dialog_.status_->appendStatus(qText(text), error); }
    void setProgress(int percent) override { dialog_.progress_->setValue(percent); }
    // The window enables Download itself once the run's thread has ended: the run reports
    // it before the processor's reload, while a second run must not start yet.
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string& caption) override { dialog_.cancel_->setText(qText(caption)); }
    void beep(Beep kind) override { emit dialog_.beeped(kind == Beep::Exclamation); }

private:
    CFlashbeyDlg& dialog_;
};

CFlashbeyDlg::CFlashbeyDlg(std::unique_ptr<RegistryStore> store, std::unique_ptr<ChosenSpiAdapter> adapter,
                           MessagePresenter& messages, double pauseScale, QWidget* parent)
    : QDialog(parent)
    , store_(std::move(store))
    , adapter_(std::move(adapter))
    , messages_(messages)
    , settings_(*store_)
    , observer_(std::make_unique<DialogObserver>(*this))
    , flash_(adapter_->library(), adapter_->clock())
    , pacer_(pauseScale)
    , mailbox_([this] { QMetaObject::invokeMethod(this, &CFlashbeyDlg::scheduleDelivery, Qt::QueuedConnection); })
{
    setWindowTitle(QStringLiteral("Chromix Download"));
    deliveryTimer_.setSingleShot(true);
    deliveryTimer_.setInterval(kDeliveryMilliseconds);
    connect(&deliveryTimer_, &QTimer::timeout, this, &CFlashbeyDlg::deliverReports);
    connect(this, &CFlashbeyDlg::beeped, this, [] { QApplication::beep(); });
    createControls();
    initialise();
}

CFlashbeyDlg::~CFlashbeyDlg()
{
    stopRun();
}

void CFlashbeyDlg::createControls()
{
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(kDesignedWidth, kDesignedHeight)));

    // Group boxes first, so the controls drawn inside them stay above them.
    placed(new QGroupBox(QStringLiteral("Display Primary Calibration"), this), "primaryGroup", units, 16, 6, 103, 64);
    placed(new QGroupBox(QStringLiteral("Display Linearity Calibration"), this), "linearityGroup", units, 127, 6, 108,
           64);
    placed(new QGroupBox(QStringLiteral("Display Type and Chromix 3D Tables"), this), "displayTypeGroup", units, 243, 6,
           156, 64);
    placed(new QGroupBox(QStringLiteral("Download Selection"), this), "selectionGroup", units, 15, 73, 383, 23);
    placed(new QGroupBox(QStringLiteral("Status"), this), "statusGroup", units, 15, 99, 434, 37);

    primaryDefault_ =
        placed(new QRadioButton(QStringLiteral("Default"), this), "primaryDefault", units, 26, 20, 41, 10);
    primaryNew_ = placed(new QRadioButton(QStringLiteral("New"), this), "primaryNew", units, 26, 41, 31, 10);
    linearityDefault_ =
        placed(new QRadioButton(QStringLiteral("Default"), this), "linearityDefault", units, 139, 20, 41, 10);
    linearityNew_ = placed(new QRadioButton(QStringLiteral("New"), this), "linearityNew", units, 139, 41, 31, 10);
    for (auto [defaultOption, newOption] :
         {std::pair{primaryDefault_, primaryNew_}, std::pair{linearityDefault_, linearityNew_}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(defaultOption);
        group->addButton(newOption);
    }

    tree_ = placed(new QTreeWidget(this), "displayTypeTree", units, 246, 18, 150, 48);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setMouseTracking(true);
    tree_->viewport()->installEventFilter(this);

    // The picture sits in the top right corner, between the tree's group and the edge: it
    // keeps its size where the font leaves room and shrinks where it does not, so that it
    // is never cut.
    const int pictureLeft = units.toPixelsX(kTreeGroupRight + kPictureGap);
    const int pictureRight = units.toPixelsX(kDesignedWidth - kPictureGap);
    const int pictureSide = std::min(kPicturePixels, pictureRight - pictureLeft);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(productLogo(pictureSide));
    picture->setGeometry(pictureRight - pictureSide, units.toPixelsY(4), pictureSide, pictureSide);

    colorTables_ =
        placed(new QCheckBox(QStringLiteral("Chromix 3D Tables"), this), "colorTables", units, 131, 82, 80, 10);
    calibrationValues_ =
        placed(new QCheckBox(QStringLiteral("Calibration Values"), this), "calibrationValues", units, 232, 82, 80, 10);
    for (QWidget* control : std::initializer_list<QWidget*>{primaryDefault_, primaryNew_, linearityDefault_,
                                                            linearityNew_, colorTables_, calibrationValues_})
        widenToFitLabel(*control);

    status_ = placed(new StatusField(QStringLiteral("\n"), this), "status", units, 21, 109, kStatusWidth, 23);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    progress_ = placed(new QProgressBar(this), "progress", units, 15, 143, 434, 14);
    progress_->setTextVisible(false);

    download_ = placed(new QPushButton(QStringLiteral("Download"), this), "download", units, 189, 171, 50, 15);
    cancel_ = placed(new QPushButton(QStringLiteral("Cancel"), this), "cancel", units, 256, 171, 50, 15);
    download_->setDefault(true);

    connect(primaryDefault_, &QRadioButton::clicked, this, [this] {
        selection_->choosePrimaryNew(false);
        showSelection();
    });
    connect(primaryNew_, &QRadioButton::clicked, this, [this] {
        selection_->choosePrimaryNew(true);
        showSelection();
    });
    connect(linearityDefault_, &QRadioButton::clicked, this, [this] {
        selection_->chooseLinearityNew(false);
        showSelection();
    });
    connect(linearityNew_, &QRadioButton::clicked, this, [this] {
        selection_->chooseLinearityNew(true);
        showSelection();
    });
    connect(colorTables_, &QCheckBox::clicked, this, [this](bool checked) {
        selection_->setColorTables(checked);
        showSelection();
    });
    connect(calibrationValues_, &QCheckBox::clicked, this, [this](bool checked) {
        selection_->setCalibrationValues(checked);
        showSelection();
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { selectTreeNode(current); });
    connect(download_, &QPushButton::clicked, this, &CFlashbeyDlg::download);
    connect(cancel_, &QPushButton::clicked, this, &CFlashbeyDlg::reject);
}

void CFlashbeyDlg::initialise()
{
    setWindowIcon(programIcon(ProgramKind::Flashbey));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    const bool loaded = settings_.load();
    fillTree();
    if (!loaded)
        status_->setStatus(kRegistryMessage, false);
    // The selection starts with every option off and Download disabled, and takes whether
    // the linearity LUTs may be offered now, once.
    selection_ = std::make_unique<DownloadSelection>(settings_.record);
    showSelection();
    regions_ = makeFlashRegions();
}

void CFlashbeyDlg::fillTree()
{
    for (const DisplayTypeNode& root : settings_.catalogue.displayTypeTree.roots)
        addNode(root, *new QTreeWidgetItem(tree_));
    tree_->collapseAll();
}

void CFlashbeyDlg::selectTreeNode(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QTreeWidgetItem* parent = item->parent();
    selection_->selectNode(parent ? parent->text(0).toStdString() : std::string(), item->text(0).toStdString(),
                           hasChildren(*item));
    showSelection();
}

void CFlashbeyDlg::showSelection()
{
    showOptions(*primaryDefault_, *primaryNew_, selection_->primary());
    showOptions(*linearityDefault_, *linearityNew_, selection_->linearity());
    colorTables_->setChecked(selection_->colorTables());
    calibrationValues_->setChecked(selection_->calibrationValues());
    download_->setEnabled(selection_->downloadEnabled());
}

// Only the label names a node: the row's indentation, its expand button and the blank
// space after the label belong to none, so hovering there shows no tip.
QTreeWidgetItem* CFlashbeyDlg::nodeWithLabelAt(const QPoint& viewportPosition) const
{
    const QModelIndex index = tree_->indexAt(viewportPosition);
    if (!index.isValid())
        return nullptr;
    QStyleOptionViewItem option;
    option.initFrom(tree_);
    option.widget = tree_;
    const QRect row = tree_->visualRect(index);
    const int labelWidth = std::min(tree_->itemDelegate()->sizeHint(option, index).width(), row.width());
    const QRect label =
        QStyle::visualRect(tree_->layoutDirection(), row, QRect(row.topLeft(), QSize(labelWidth, row.height())));
    return label.contains(viewportPosition) ? tree_->itemAt(viewportPosition) : nullptr;
}

QString CFlashbeyDlg::infoTip(const QTreeWidgetItem& item) const
{
    std::string description;
    const QTreeWidgetItem* parent = item.parent();
    if (!parent)
        settings_.catalogue.readCatalogueDescription(description);
    else if (hasChildren(item))
        settings_.catalogue.readDisplayTypeDescription(item.text(0).toStdString(), description);
    else
        settings_.catalogue.readTableDescription(parent->text(0).toStdString(), item.text(0).toStdString(),
                                                 description);
    return qText(description);
}

bool CFlashbeyDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != tree_->viewport() || event->type() != QEvent::ToolTip)
        return QDialog::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QTreeWidgetItem* item = nodeWithLabelAt(help->pos());
    const QString tip = item ? infoTip(*item) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, tree_->viewport());
    return true;
}

void CFlashbeyDlg::download()
{
    // The device check must not touch the adapter while a run uses it.
    if (runActive() || !selection_->downloadEnabled())
        return;
    cancel_->setText(QStringLiteral("Cancel"));
    // Nothing of an earlier run's progress may look like this one's.
    progress_->setValue(0);
    if (!flash_.checkDevice(*observer_, pacer_)) {
        // Without an open adapter the check said "No device connection": add what to do.
        if (const std::string advice = adapter_->connectionAdvice(); !flash_.adapterOpen() && !advice.empty())
            observer_->appendStatus(advice, true);
        cancel_->setText(QStringLiteral("Done"));
        emit beeped(true);
        return;
    }
    if (!startDownload(regions_, state_, selection_->choice(), *observer_))
        return;
    startWorker();
}

void CFlashbeyDlg::startWorker()
{
    state_.stopRequested = false;
    pacer_.restart();
    selection_->setRunActive(true);
    showSelection();
    runReports_.startRun();
    worker_ = std::thread([this] {
        runDownload(regions_, state_, settings_, flash_, runReports_, pacer_);
        QMetaObject::invokeMethod(this, &CFlashbeyDlg::finishRun, Qt::QueuedConnection);
    });
}

void CFlashbeyDlg::scheduleDelivery()
{
    if (!deliveryTimer_.isActive())
        deliveryTimer_.start();
}

void CFlashbeyDlg::deliverReports()
{
    mailbox_.deliverTo(*observer_);
}

void CFlashbeyDlg::finishRun()
{
    if (!worker_.joinable())
        return;
    worker_.join();
    deliveryTimer_.stop();
    deliverReports();
    selection_->setRunActive(false);
    showSelection();
}

void CFlashbeyDlg::stopRun()
{
    if (!worker_.joinable())
        return;
    state_.stopRequested = true;
    pacer_.stop();
    finishRun();
}

void CFlashbeyDlg::reject()
{
    if (runActive()
        && !messages_.ask(this, windowTitle(),
                          QStringLiteral("A download is running. Stopping now leaves the processor's flash incomplete; "
                                         "download again before using it. Stop?")))
        return;
    stopRun();
    QDialog::reject();
}
