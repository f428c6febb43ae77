#include "config/registry_location.h"
#include "download/adapters/adapter_choice.h"
#include "download/ui/flashbey_dlg.h"
#include "uikit/message_presenter.h"
#include "uikit/screenshot_hook.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    std::unique_ptr<RegistryStore> store = openDefaultStore();
    std::unique_ptr<ChosenSpiAdapter> adapter = chooseSpiAdapter(store.get());
    MessageBoxPresenter messages;
    CFlashbeyDlg dialog(std::move(store), std::move(adapter), messages);
    dialog.show();
    saveScreenshotWhenRequested(dialog, ScreenshotArea::Window);
    dialog.exec();
    return 0;
}
