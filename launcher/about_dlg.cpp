#include "launcher/about_dlg.h"

#include "uikit/dialog_units.h"
#include "uikit/program_icons.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kIconPixels = 32;

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Hubrin"));
    const DialogUnits units(font());
    setFixedSize(units.toPixels(QSize(235, 55)));

    const QIcon icon = programIcon(ProgramKind::Hubrin);
    setWindowIcon(icon);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("icon"));
    picture->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
    picture->setGeometry(QRect(units.toPixels(11, 17, 0, 0).topLeft(), QSize(kIconPixels, kIconPixels)));

    auto* text = new QLabel(QStringLiteral("Chromix Display Calibration Version 2.01"), this);
    text->setObjectName(QStringLiteral("version"));
    text->setGeometry(units.toPixels(40, 10, 140, 16));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(units.toPixels(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}
