#include "application.h"

#include "progress_dialog.h"

Application* Application::instance = nullptr;

bool SetupApplication::CreateMainDialog(const SetupOptions& options, LogFile& log)
{
    mainDialog = new ProgressDialog(options, log);
    if (!mainDialog->autoDelete) {
        delete mainDialog;
        mainDialog = nullptr;
        return false;
    }
    ShowWindow(mainDialog->handle, SW_SHOWNORMAL);
    UpdateWindow(mainDialog->handle);
    return true;
}

void SetupApplication::Run(const SetupOptions& options, LogFile& log)
{
    if (!CreateMainDialog(options, log))
        return;

    // The dialog deletes itself inside the dispatch that destroys its window; from then on the
    // loop holds neither the object nor the stale window handle.
    HWND dialogWindow = mainDialog->handle;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        if (!dialogWindow || !IsDialogMessageA(dialogWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (dialogWindow && !IsWindow(dialogWindow)) {
            dialogWindow = nullptr;
            mainDialog = nullptr;
        }
    }
}
