#include "config/registry_location.h"
#include "measure/ui/candora_dlg.h"
#include "uikit/data_file_chooser.h"
#include "uikit/message_presenter.h"
#include "uikit/screenshot_hook.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    FileDialogChooser files;
    MessageBoxPresenter messages;
    CandoraDlg dialog(openDefaultStore(), files, messages, CandoraDlg::Options{});
    dialog.initialise();
    dialog.show();
    saveScreenshotWhenRequested(dialog, ScreenshotArea::Window);
    dialog.exec();
    return 0;
}
