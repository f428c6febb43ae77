#pragma once

// Lets scripts/screenshots picture a program without any screen-capture tool: when the
// environment variable CHROMIX_SCREENSHOT names a file, the program saves a PNG of its
// window (or of the whole screen) there shortly after the window is shown, then ends.

class QWidget;

enum class ScreenshotArea { Window, Screen };

// Does nothing when CHROMIX_SCREENSHOT is not set.
void saveScreenshotWhenRequested(QWidget& window, ScreenshotArea area);
