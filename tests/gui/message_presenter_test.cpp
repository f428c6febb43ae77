// The real message boxes, answered through their buttons.

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

// The lines of a label's text as its word wrap breaks them.
QStringList shownLines(const QLabel& label)
{
    QTextLayout layout(label.text(), label.font());
    layout.setTextOption(QTextOption(Qt::AlignLeft));
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << label.text().mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

TEST(MessageBoxes, PathsAreNotBrokenAtTheirHyphensOrSlashesAndBoxesOfATopmostWindowStayAboveIt)
{
    QDialog window;
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window.show();
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            for (const QString& line : shownLines(*label))
                EXPECT_FALSE(line.endsWith(QLatin1Char('-')) || line.endsWith(QLatin1Char('/'))) << line.toStdString();
        }
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    MessageBoxPresenter().warn(
        &window, QStringLiteral("Hubrin"),
        QStringLiteral("Unable to open the help file: no \"Chromix_Processor.chm\" in "
                       "/opt/chromix-calibration-tools/share/help-files or /usr/local/share/chromix-demo-help."));
}

} // namespace
