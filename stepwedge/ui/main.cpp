#include "config/registry_location.h"
#include "stepwedge/ui/patchora_dlg.h"
#include "uikit/message_presenter.h"
#include "uikit/screenshot_hook.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    MessageBoxPresenter messages;
    PatchoraDlg dialog(openDefaultStore(), messages);
    dialog.initialise();
    saveScreenshotWhenRequested(dialog, ScreenshotArea::Screen);
    dialog.exec();
    return 0;
}
