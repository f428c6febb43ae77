#include "config/registry_location.h"
#include "primary/ui/trisola_dialog.h"
#include "uikit/data_file_chooser.h"
#include "uikit/screenshot_hook.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    FileDialogChooser files;
    TrisolaDialog dialog(openDefaultStore(), files);
    dialog.initialise();
    dialog.show();
    saveScreenshotWhenRequested(dialog, ScreenshotArea::Window);
    dialog.exec();
    return 0;
}
