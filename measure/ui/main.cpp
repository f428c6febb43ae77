#include "config/registry_location.h"
#include "measure/ui/candora_dlg.h"
#include "measure/ui/run_request.h"
#include "uikit/data_file_chooser.h"
#include "uikit/message_presenter.h"
#include "uikit/screenshot_hook.h"

#include <QApplication>

#include <iostream>

namespace {

// Exit statuses of a run asked for on the command line (chromix measure reads them).
constexpr int kSaved = 0;
constexpr int kNotSaved = 1;
constexpr int kWrongArguments = 2;
constexpr int kSavedInPart = 3;

void printStatus(std::ostream& stream, const CandoraDlg& dialog)
{
    stream << dialog.statusText().toStdString() << "\n" << std::flush;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Qt has taken its own options (-platform ...) out of the arguments by now.
    const Result<std::optional<RunRequest>> request = parseRunRequest(QApplication::arguments().mid(1));
    if (!request) {
        std::cerr << "Candora: " << request.failure().message << "\n" << kRunRequestUsage << "\n";
        return kWrongArguments;
    }
    FileDialogChooser files;
    MessageBoxPresenter messages;
    CandoraDlg dialog(openDefaultStore(), files, messages, CandoraDlg::Options{});
    dialog.initialise();
    if (!*request) {
        dialog.show();
        saveScreenshotWhenRequested(dialog, ScreenshotArea::Window);
        dialog.exec();
        return 0;
    }

    if (const QString problem = dialog.requestProblem(**request); !problem.isEmpty()) {
        std::cerr << "Candora: " << problem.toStdString() << "\n" << kRunRequestUsage << "\n";
        return kWrongArguments;
    }
    // The window closes at the end of the run; its exit status says what was written.
    QObject::connect(&dialog, &CandoraDlg::runFinished, &dialog, [&dialog](bool completed) {
        dialog.done(!completed ? kNotSaved : dialog.savedAsAsked() ? kSaved : kSavedInPart);
    });
    dialog.show();
    if (!dialog.startRequested(**request)) {
        std::cerr << "Candora: " << dialog.statusText().toStdString() << "\n";
        return kNotSaved;
    }
    int status = dialog.exec();
    // Closed some other way than by the run's end: nothing may look saved then.
    if (status == kSaved && !dialog.savedAsAsked())
        status = kNotSaved;
    printStatus(status == kSaved ? std::cout : std::cerr, dialog);
    return status;
}
