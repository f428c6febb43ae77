// The run's reports as the window receives them: coalesced, with the same final picture.

#include "download/ui/run_mailbox.h"

#include "download/download_test_support.h"

#include <gtest/gtest.h>

namespace {

using Events = std::vector<std::string>;

TEST(RunMailbox, KeepsTheLatestOfEachReportAndTheLinesAddedAfterTheLastText)
{
    int wakes = 0;
    RunMailbox mailbox([&] { ++wakes; });
    for (int count = 1; count <= 100000; ++count)
        mailbox.setStatus("Read count is " + std::to_string(count), false);
    mailbox.setProgress(40);
    mailbox.setProgress(41);
    mailbox.setStatus("Flash Erase Fail for 3D Color Tables", false);
    mailbox.appendStatus("Flash download completed unsuccessfully for 3D Color Tables", true);
    mailbox.appendStatus("Flash download completed unsuccessfully", true);
    mailbox.setDownloadEnabled(false);
    mailbox.setDownloadEnabled(true);
    mailbox.beep(Beep::Exclamation);
    mailbox.beep(Beep::Default);
    EXPECT_EQ(wakes, 1) << "one wake until the window collects";

    RecordingObserver window;
    mailbox.deliverTo(window);
    EXPECT_EQ(window.events,
              (Events{"status: Flash Erase Fail for 3D Color Tables",
                      "append error: Flash download completed unsuccessfully for 3D Color Tables",
                      "append error: Flash download completed unsuccessfully", "progress 41", "download on",
                      "beep exclamation", "beep default"}));

    // A new text replaces the lines added before it; an empty mailbox delivers nothing.
    mailbox.appendStatus("old line", true);
    mailbox.setStatus("Done", false);
    mailbox.setCancelCaption("Done");
    EXPECT_EQ(wakes, 2);
    RecordingObserver next;
    mailbox.deliverTo(next);
    mailbox.deliverTo(next);
    EXPECT_EQ(next.events, (Events{"status: Done", "caption: Done"}));
}

} // namespace
