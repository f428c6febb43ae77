#include "config/registry_location.h"
#include "launcher/hubrin_dlg.h"
#include "launcher/system_shell.h"
#include "uikit/message_presenter.h"
#include "uikit/screenshot_hook.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    MessageBoxPresenter messages;
    SystemShell shell(defaultProgramFolders());
    CHubrinDlg dialog(openDefaultStore(), shell, messages);
    saveScreenshotWhenRequested(dialog, ScreenshotArea::Window);
    dialog.exec();
    return 0;
}
