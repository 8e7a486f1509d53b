#pragma once
// The small window that stays up while the worker thread does the setup, and owns that thread.

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
    void OnDestroy() override;
    void OnCommand(WORD id, WORD code, LPARAM control) override;

private:
    const SetupOptions& options_;
    LogFile& log_;
};
