#include "uikit/status_field.h"

#include "gui/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusField, WholeTextIsRedAfterAnErrorAndBlueOtherwise)
{
    StatusField field(QStringLiteral("\r\n"));
    const auto colour = [&field] { return field.palette().color(QPalette::Text); };
    field.setStatus(QStringLiteral("Reading the tables"), false);
    EXPECT_EQ(colour(), QColor(Qt::blue));
    field.appendStatus(QStringLiteral("Unable to open file"), true);
    EXPECT_EQ(colour(), QColor(Qt::red));
    field.appendStatus(QStringLiteral("Retrying"), false);
    EXPECT_EQ(colour(), QColor(Qt::blue));
    EXPECT_TRUE(field.isReadOnly());
    // Lines are joined with the tool's separator and shown without carriage returns.
    EXPECT_EQ(field.text(), QStringLiteral("Reading the tables\r\nUnable to open file\r\nRetrying"));
    EXPECT_EQ(field.toPlainText(), QStringLiteral("Reading the tables\nUnable to open file\nRetrying"));
    field.setStatus(QStringLiteral("fresh"), false);
    EXPECT_EQ(field.text(), QStringLiteral("fresh"));
}

} // namespace
