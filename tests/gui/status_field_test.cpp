#include "uikit/status_field.h"

#include "gui/qt_printers.h"

#include <gtest/gtest.h>

namespace {

QColor textColour(const StatusField& field) { return field.palette().color(QPalette::Text); }

TEST(StatusField, WholeTextIsRedAfterAnErrorAndBlueOtherwise)
{
    StatusField field(QStringLiteral("\r\n"));
    field.setStatus(QStringLiteral("Reading the tables"), false);
    EXPECT_EQ(textColour(field), QColor(Qt::blue));
    field.appendStatus(QStringLiteral("Unable to open file"), true);
    EXPECT_EQ(textColour(field), QColor(Qt::red));
    field.appendStatus(QStringLiteral("Retrying"), false);
    EXPECT_EQ(textColour(field), QColor(Qt::blue));
    EXPECT_TRUE(field.isReadOnly());
}

TEST(StatusField, LinesAreJoinedWithTheToolsSeparatorAndShownWithoutCarriageReturns)
{
    StatusField crlf(QStringLiteral("\r\n"));
    crlf.appendStatus(QStringLiteral("one"), false);
    crlf.appendStatus(QStringLiteral("two"), false);
    EXPECT_EQ(crlf.text(), QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(crlf.toPlainText(), QStringLiteral("one\ntwo"));

    StatusField lf(QStringLiteral("\n"));
    lf.appendStatus(QStringLiteral("first"), false);
    lf.appendStatus(QStringLiteral("second"), true);
    EXPECT_EQ(lf.text(), QStringLiteral("first\nsecond"));
    lf.setStatus(QStringLiteral("fresh"), false);
    EXPECT_EQ(lf.text(), QStringLiteral("fresh"));
}

} // namespace
