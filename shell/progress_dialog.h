#pragma once
// The small window that stays up while the worker thread does the setup, and owns that thread.

#include "interactive_ui.h"
#include "thread.h"
#include "window.h"

class LogFile;
struct SetupOptions;

class ProgressDialog : public Dialog, public Thread {
public:
    // Creates the hidden window, then starts the worker thread, which runs the setup that
    // options ask for and logs to log; both outlive the dialog.
    ProgressDialog(const SetupOptions& options, LogFile& log);
    ~ProgressDialog() override;

    void Run() override;
    // Adds below the template's text the step, the bar and the Cancel button.
    bool OnInitDialog(HWND focus, LPARAM parameter) override;
    // The worker's steps and progress.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnCommand(WORD id, WORD code, LPARAM control) override;

private:
    // Places the step, the bar and the button in dialog units, in the dialog's font: when the
    // window is made, and again when it has moved to a screen of another DPI.
    void PlaceAddedControls();
    // Cancel pressed (or the close box, or Escape) while the step allows it: asks, while the
    // copy waits, and on Yes tells the worker, which stops there.
    void AskToCancel();

    const SetupOptions& options_;
    LogFile& log_;
    CancelSwitch cancelSwitch_;
    HWND step_ = nullptr;
    HWND bar_ = nullptr;
    HWND cancel_ = nullptr;
};
