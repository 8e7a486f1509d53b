#pragma once
// The side of a run that a person watches: the install folder dialog, error boxes owned by the
// progress window, and the closing message that the progress window shows.

#include "cancel_switch.h"
#include "setup_ui.h"

#include <windows.h>


struct SetupOptions;

// What the worker posts to the progress window besides the completion code; it never touches
// the window's controls itself.
// wParam: 1 when the person may cancel during the step; lParam: its text, which lives as long
// as the program.
const UINT WM_SETUP_STEP = WM_APP + 1;
// wParam: how far the run is, in thousandths.
const UINT WM_SETUP_PROGRESS = WM_APP + 2;

class InteractiveUi : public SetupUi {
public:
    InteractiveUi(HWND progressWindow, CancelSwitch& cancel, LogFile& log)
        : SetupUi(log), progressWindow_(progressWindow), cancel_(cancel)
    {
    }

    bool AskFolder(const std::string& proposal, std::string& folder) override;
    void ShowProgress(unsigned thousandths) override;
    bool Cancelled() override;
    bool EndCancellable() override;

protected:
    void ShowStep(const char* text, bool cancellable) override;
    void ShowRefusal(const std::string& reason) override;
    // Posts the completion code to the progress window, whose main thread shows the message.
    void ShowEnd(const SetupOutcome& outcome) override;

private:
    // Posts the position that the limit held back last, if any.
    void ShowHeldBack();

    HWND progressWindow_;
    CancelSwitch& cancel_;
    bool shown_ = false;  // the bar has moved once, at lastShown_ (GetTickCount)
    DWORD lastShown_ = 0;
    unsigned heldBack_ = 0;  // a position not shown yet; 0 when none is
};

// The worker thread's body in a run that a person watches.
void RunInteractive(HWND progressWindow, CancelSwitch& cancel, const SetupOptions& options,
                    LogFile& log);

