#include "uikit/screenshot_hook.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Long enough for the window manager (if any) to map the window and the first paint.
constexpr int kSettleMilliseconds = 1000;

QPixmap grabArea(QWidget& window, ScreenshotArea area)
{
    if (area == ScreenshotArea::Screen && window.screen()) {
        QPixmap screen = window.screen()->grabWindow(0);
        if (!screen.isNull())
            return screen;
    }
    return window.grab();
}

} // namespace

void saveScreenshotWhenRequested(QWidget& window, ScreenshotArea area)
{
    const QString file = qEnvironmentVariable("CHROMIX_SCREENSHOT");
    if (file.isEmpty())
        return;
    QTimer::singleShot(kSettleMilliseconds, &window, [&window, area, file] {
        const bool saved = grabArea(window, area).save(file, "PNG");
        if (!saved)
            std::fprintf(stderr, "Could not save the screenshot to %s\n", qPrintable(file));
        QCoreApplication::exit(saved ? 0 : 1);
    });
}
