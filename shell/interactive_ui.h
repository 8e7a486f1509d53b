#pragma once
// The side of a run that a person watches: the install folder dialog, error boxes owned by the
// progress window, and the closing message that the progress window shows.

#include "setup_ui.h"

#include <windows.h>

struct SetupOptions;

class InteractiveUi : public SetupUi {
public:
    InteractiveUi(HWND progressWindow, LogFile& log) : SetupUi(log), progressWindow_(progressWindow) {}

    bool AskFolder(const std::string& proposal, std::string& folder) override;

protected:
    void ShowRefusal(const std::string& reason) override;
    // Posts the completion code to the progress window, whose main thread shows the message.
    void ShowEnd(const SetupOutcome& outcome) override;

private:
    HWND progressWindow_;
};

// The worker thread's body in a run that a person watches.
void RunInteractive(HWND progressWindow, const SetupOptions& options, LogFile& log);

