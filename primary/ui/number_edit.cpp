#include "primary/ui/number_edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>

namespace {

// The computation and the data file read numbers with a full stop, whatever the locale,
// so the field always writes one; the locale's separator key types it too.
constexpr QChar kDecimalPoint = u'.';

} // namespace

CNumberEdit::CNumberEdit(int textLimit, QWidget* parent) : QLineEdit(parent), textLimit_(textLimit)
{
    const QString separator = QLocale().decimalPoint();
    localeSeparator_ = separator.isEmpty() ? kDecimalPoint : separator.front();
    // Every way in goes through type(): no dropped text, no input-method compositions.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

QString CNumberEdit::textOutsideSelection() const
{
    QString outside = text();
    if (hasSelectedText())
        outside.remove(selectionStart(), selectedText().size());
    return outside;
}

void CNumberEdit::type(QChar character)
{
    const bool digit = character >= u'0' && character <= u'9';
    const bool separator = character == kDecimalPoint || character == localeSeparator_;
    if (!digit && !separator)
        return;
    const QString outside = textOutsideSelection();
    if (separator && outside.contains(kDecimalPoint))
        return;
    if (outside.size() + 1 > textLimit_)
        return;
    insert(separator ? QString(kDecimalPoint) : QString(character));
}

void CNumberEdit::pasteAcceptedCharacters(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString pasted = QGuiApplication::clipboard()->text(mode);
    for (QChar character : pasted)
        type(character);
}

void CNumberEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteAcceptedCharacters();
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed.front().isPrint()) {
        type(typed.front());
        return;
    }
    // Editing keys, and Return and Escape for the dialog's buttons.
    QLineEdit::keyPressEvent(event);
}

// The platform's menu would paste past the filter, so the field offers its own.
void CNumberEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu;
    const bool editable = !isReadOnly();
    menu.addAction(tr("Cu&t"), this, &QLineEdit::cut)->setEnabled(editable && hasSelectedText());
    menu.addAction(tr("&Copy"), this, &QLineEdit::copy)->setEnabled(hasSelectedText());
    QAction* paste = menu.addAction(tr("&Paste"), this, [this] { pasteAcceptedCharacters(); });
    paste->setObjectName(QStringLiteral("paste"));
    paste->setEnabled(editable && !QGuiApplication::clipboard()->text().isEmpty());
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &QLineEdit::selectAll)->setEnabled(!text().isEmpty());
    menu.exec(event->globalPos());
}

// Where the desktop has a selection clipboard, a middle click pastes it; the line edit's
// own paste would take letters and a second point.
void CNumberEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteAcceptedCharacters(QClipboard::Selection);
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
