#include "uikit/status_field.h"

#include "gui/qt_printers.h"

#include <gtest/gtest.h>

namespace {

QColor shownTextColour(const StatusField& field)
{
    return field.palette().color(QPalette::Text);
}

TEST(StatusField, WholeTextIsRedAfterAnErrorAndBlueOtherwise)
{
    StatusField field(QStringLiteral("\r\n"));
    field.setStatus(QStringLiteral("Reading the tables"), false);
    EXPECT_EQ(shownTextColour(field), QColor(Qt::blue));
    field.appendStatus(QStringLiteral("Unable to open file"), true);
    EXPECT_EQ(shownTextColour(field), QColor(Qt::red));
    EXPECT_TRUE(field.showsError());
    field.appendStatus(QStringLiteral("Retrying"), false);
    EXPECT_EQ(shownTextColour(field), QColor(Qt::blue));
}

TEST(StatusField, AppendJoinsLinesWithTheToolsSeparator)
{
    StatusField crlf(QStringLiteral("\r\n"));
    crlf.appendStatus(QStringLiteral("one"), false);
    crlf.appendStatus(QStringLiteral("two"), false);
    EXPECT_EQ(crlf.text(), QStringLiteral("one\r\ntwo"));
    // The operator sees two lines, without a stray carriage return.
    EXPECT_EQ(crlf.toPlainText(), QStringLiteral("one\ntwo"));

    StatusField lf(QStringLiteral("\n"));
    lf.setStatus(QStringLiteral("first"), false);
    lf.appendStatus(QStringLiteral("second"), true);
    EXPECT_EQ(lf.text(), QStringLiteral("first\nsecond"));
    lf.setStatus(QStringLiteral("fresh"), false);
    EXPECT_EQ(lf.text(), QStringLiteral("fresh"));
    EXPECT_TRUE(lf.isReadOnly());
}

} // namespace
