// The measurement grid as the operator types into it, inside the real window.

#include "gui/ramvel/ramvel_window.h"

#include <QLineEdit>
#include <QSignalSpy>

namespace {

class MeasurementGridTyping : public RamvelWindow {
protected:
    void SetUp() override { open(kSixSteps); }

    // The entry field of the cell being edited, or null when no entry is open.
    QLineEdit* field() const { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
};

// Each case starts an entry on a fresh cell by typing, then types the rest.
struct TypingCase {
    const char* keys;
    const char* field;  // the entry field afterwards
    int refused;        // keys refused with a beep
};

TEST_F(MeasurementGridTyping, KeysBeyondTheLimitsAreRefusedWithABeep)
{
    const TypingCase cases[] = {
        {"12345678", "1234567", 1},  // 12,345,678 is over 10,000,000
        {"100000000", "10000000", 1}, // 10,000,000 itself is allowed
        {"0.12345", "0.1234", 1},    // a fifth decimal
        {"2.5.7", ".7", 0},          // a second point starts afresh
        {"3-e,x 4", "34", 5},        // no sign, exponent, grouping or blank
    };
    for (const TypingCase& c : cases) {
        QSignalSpy refused(&grid(), &MyCug::keyRefused);
        clickCell(1, 2);
        typeKeys(QString::fromLatin1(c.keys));
        ASSERT_NE(field(), nullptr) << c.keys;
        EXPECT_EQ(field()->text(), c.field) << c.keys;
        EXPECT_EQ(refused.count(), c.refused) << c.keys;
        QTest::keyClick(field(), Qt::Key_Escape);
    }
}

TEST_F(MeasurementGridTyping, ARefusedFirstKeyLeavesTheCellAsItWas)
{
    QSignalSpy refused(&grid(), &MyCug::keyRefused);
    clickCell(0, 1);
    typeKeys(QStringLiteral("-x"));
    EXPECT_EQ(refused.count(), 2);
    EXPECT_EQ(field(), nullptr) << "no entry was started";
    EXPECT_EQ(grid().cellText(0, 1), "0.000");
}

TEST_F(MeasurementGridTyping, AFullFieldRefusesDigitsWhereverTheCaretIsButTakesBackspace)
{
    typeIntoCell(2, 3, QStringLiteral("0.1234"));
    EXPECT_EQ(grid().cellText(2, 3), "0.1234");
    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, grid().visualRect(grid().model()->index(3, 2)).center());
    ASSERT_NE(field(), nullptr);
    QSignalSpy refused(&grid(), &MyCug::keyRefused);
    field()->setCursorPosition(0);
    QTest::keyClick(field(), Qt::Key_7);
    field()->end(false);
    QTest::keyClick(field(), Qt::Key_7);
    EXPECT_EQ(refused.count(), 2);
    QTest::keyClick(field(), Qt::Key_Backspace);
    QTest::keyClick(field(), Qt::Key_9);
    EXPECT_EQ(field()->text(), "0.1239");
}

TEST_F(MeasurementGridTyping, ASecondPointEmptiesTheCellEvenWhenTheEntryIsCancelled)
{
    typeIntoCell(0, 4, QStringLiteral("0.5"));
    EXPECT_EQ(grid().cellText(0, 4), "0.5000") << "an edited cell shows four decimals";
    QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, grid().visualRect(grid().model()->index(4, 0)).center());
    ASSERT_NE(field(), nullptr);
    field()->end(false);
    QTest::keyClick(field(), '.');
    EXPECT_EQ(field()->text(), ".");
    EXPECT_EQ(grid().cellText(0, 4), "");
    QTest::keyClick(field(), Qt::Key_Escape);
    EXPECT_EQ(grid().cellText(0, 4), "");
}

TEST_F(MeasurementGridTyping, EnterInAnEntryWritesTheCellWithoutApplying)
{
    typeIntoCell(1, 0, QStringLiteral("12"));
    EXPECT_EQ(grid().cellText(1, 0), "12.0000");
    EXPECT_EQ(text("averageGamma"), "Average: Unknown");
    EXPECT_FALSE(control<QLabel>("averageGamma")->isEnabled()) << "Apply did not run";
    // An entry left with nothing but a point marks the step as not measured.
    typeIntoCell(1, 1, QStringLiteral("."));
    EXPECT_EQ(grid().cellText(1, 1), "");
}

} // namespace
