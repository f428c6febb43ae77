#include "launcher/about_dlg.h"

#include "uikit/dialog_units.h"
#include "uikit/program_icons.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kIconPixels = 32;
// Space between the text, OK and the box's edge, in dialog units.
constexpr int kGap = 7;

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Hubrin"));
    const DialogUnits units(font());

    const QIcon icon = programIcon(ProgramKind::Hubrin);
    setWindowIcon(icon);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("icon"));
    picture->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
    picture->setGeometry(QRect(units.toPixels(11, 17, 0, 0).topLeft(), QSize(kIconPixels, kIconPixels)));

    auto* text = new QLabel(QStringLiteral("Chromix Display Calibration Version 2.01"), this);
    text->setObjectName(QStringLiteral("version"));
    QRect textArea = units.toPixels(40, 10, 140, 16);
    textArea.setWidth(std::max(textArea.width(), text->sizeHint().width()));
    text->setGeometry(textArea);

    // OK keeps clear of the text, and the box grows with it where the font needs more room.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    QRect okArea = units.toPixels(178, 7, 50, 14);
    okArea.moveLeft(std::max(okArea.left(), textArea.right() + 1 + units.toPixelsX(kGap)));
    ok->setGeometry(okArea);
    setFixedSize(std::max(units.toPixelsX(235), okArea.right() + 1 + units.toPixelsX(kGap)), units.toPixelsY(55));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}
