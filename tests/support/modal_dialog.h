// Driving a modal dialog in a window test.
#pragma once

#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

// Runs `trigger`, which shows `dialog` modally; `inDialog` runs once it is up and must close it.
// Should it not, the dialog is cancelled so that the test cannot hang.
inline void runModalDialog(QDialog* dialog, const std::function<void()>& trigger,
                           const std::function<void()>& inDialog, const std::string& what = "the dialog")
{
    ASSERT_NE(dialog, nullptr) << what;
    bool ran = false;
    QTimer::singleShot(0, dialog, [&] {
        ran = true;
        inDialog();
    });
    QTimer guard;
    guard.setInterval(200);
    QObject::connect(&guard, &QTimer::timeout, dialog, [&] {
        if (ran && dialog->isVisible())
            dialog->reject();
    });
    guard.start();
    trigger();
    EXPECT_TRUE(ran) << what << ": the dialog was not shown";
    EXPECT_FALSE(dialog->isVisible()) << what;
}
