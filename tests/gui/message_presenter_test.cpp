// The message boxes the windows show, answered through their buttons.

#include "uikit/message_presenter.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The lines the box's text is shown in, wrapped as its label wraps them.
QStringList shownLines(const QLabel& label)
{
    QTextLayout layout(label.text(), label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << label.text().mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

// Runs `inspect` on the box once it is open, then presses `button` on it.
void whenBoxOpens(std::function<void(QMessageBox&)> inspect, QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [inspect, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(*box);
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
}

TEST(MessageBoxes, PathsAreNotBrokenAtTheirHyphensOrSlashesAndBoxesOfATopmostWindowStayAboveIt)
{
    QDialog window;
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window.show();
    MessageBoxPresenter messages;
    const QString text = QStringLiteral("Unable to open the help file: no \"Chromix_Processor.chm\" in "
                                        "/opt/chromix-calibration-tools/share/help-files or /usr/local/share/chromix-demo-help.");
    whenBoxOpens(
        [](QMessageBox& box) {
            EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            const QStringList lines = shownLines(*label);
            for (const QString& line : lines)
                EXPECT_FALSE(line.endsWith(QLatin1Char('-')) || line.endsWith(QLatin1Char('/'))) << line.toStdString();
        },
        QMessageBox::Ok);
    messages.warn(&window, QStringLiteral("Hubrin"), text);

    // A question's default is No; Yes answers true.
    whenBoxOpens([](QMessageBox& box) { EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No)); }, QMessageBox::Yes);
    EXPECT_TRUE(messages.ask(&window, QStringLiteral("Hubrin"), QStringLiteral("Quit?")));
}

} // namespace
