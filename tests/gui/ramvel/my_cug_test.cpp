// The measurement grid as the operator types into it, inside the real window.

#include "gui/ramvel/ramvel_window.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QWindow>

namespace {

class MeasurementGridTyping : public RamvelWindow {
protected:
    void SetUp() override { open(kSixSteps); }

    // The entry field of the cell being edited, or null when no entry is open.
    QLineEdit* field() const { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
};

TEST_F(MeasurementGridTyping, KeysBeyondTheLimitsAreRefusedWithABeep)
{
    struct {
        const char* keys;
        const char* field; // the entry field afterwards
        int refused; // keys refused with a beep
    } const cases[] = {
        {"12345678", "1234567", 1}, // 12,345,678 is over 10,000,000
        {"100000000", "10000000", 1}, // 10,000,000 itself is allowed
        {"0.12345", "0.1234", 1}, // a fifth decimal
        {"2.5.7", ".7", 0}, // a second point starts afresh
        {"3-e,x 4", "34", 5}, // no sign, exponent, grouping or blank
    };
    for (const auto& c : cases) {
        QSignalSpy refused(&grid(), &MyCug::keyRefused);
        clickCell(1, 2);
        typeKeys(c.keys);
        ASSERT_NE(field(), nullptr) << c.keys;
        EXPECT_EQ(field()->text(), c.field) << c.keys;
        EXPECT_EQ(refused.count(), c.refused) << c.keys;
        QTest::keyClick(field(), Qt::Key_Escape);
    }
}

TEST_F(MeasurementGridTyping, AnEntryIsWrittenWithFourDecimalsOnEnterWithoutApplying)
{
    typeIntoCell(1, 0, "12");
    EXPECT_EQ(grid().cellText(1, 0), "12.0000");
    EXPECT_FALSE(enabled("averageGamma")) << "Apply did not run";
    // A refused key still counts as typed into the cell.
    editCell(0, 1);
    ASSERT_NE(field(), nullptr);
    typeKeys("-");
    pressEnter();
    EXPECT_EQ(grid().cellText(0, 1), "0.0000");
    // A refused first key on a cell that is not being edited starts no entry.
    clickCell(0, 2);
    typeKeys("-x");
    EXPECT_EQ(field(), nullptr);
    EXPECT_EQ(grid().cellText(0, 2), "0.000");
    // An entry left with nothing but a point marks the step as not measured.
    typeIntoCell(1, 1, ".");
    EXPECT_EQ(grid().cellText(1, 1), "");
}

TEST_F(MeasurementGridTyping, ColumnsTypedAtFullSpeedAsNumberEnterFillRowByRowWithoutApplying)
{
    // Every key goes through the window as the keyboard's would, with no event handled in
    // between: Enter must have closed the entry before the next reading's first key.
    const std::vector<std::string> readings{"0", "0.0123", "15", "7.25", "80.5", "100"};
    QWindow* window = dialog->windowHandle();
    const auto enter = [window](const std::string& reading) {
        for (char key : reading)
            QTest::keyClick(window, key);
        QTest::keyClick(window, Qt::Key_Return);
    };
    clickCell(1, 5);
    enter("3");
    for (const std::string& reading : readings)
        enter(reading);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid().cellText(1, 5), "3.0000") << "the last row's Enter moves on to the next column";
    EXPECT_EQ(column(2), QStringList({"0.0000", "0.0123", "15.0000", "7.2500", "80.5000", "100.0000"}));
    EXPECT_EQ(grid().currentRow(), 5) << "the last cell stays current";
    EXPECT_EQ(status(), "") << "Apply was not pressed";
    EXPECT_FALSE(enabled("averageGamma"));
}

TEST_F(MeasurementGridTyping, AFullFieldRefusesDigitsWhereverTheCaretIsAndASecondPointStartsAfresh)
{
    typeIntoCell(2, 3, "0.1234");
    editCell(2, 3);
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
    // The point empties the field and the cell, which stays empty when the entry is cancelled.
    QTest::keyClick(field(), '.');
    EXPECT_EQ(field()->text(), ".");
    QTest::keyClick(field(), Qt::Key_Escape);
    EXPECT_EQ(grid().cellText(2, 3), "");
}

} // namespace
