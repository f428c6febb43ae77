#pragma once

// Finding and pressing a dialog's controls by their object names, as the window tests do.

#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// A missing control fails the test and gives null.
template <typename Control> Control* findControl(const QWidget& dialog, const char* name)
{
    auto* found = dialog.findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline void clickControl(const QWidget& dialog, const char* name)
{
    if (auto* control = findControl<QWidget>(dialog, name))
        QTest::mouseClick(control, Qt::LeftButton);
}
