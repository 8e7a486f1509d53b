#pragma once
// The small window that stays up while the worker thread does the setup, and owns that thread.

#include "thread.h"
#include "window.h"

class ProgressDialog : public Dialog, public Thread {
public:
    // Creates the hidden window, then starts the worker thread.
    ProgressDialog();
    ~ProgressDialog() override;

    void Run() override;
    void OnDestroy() override;
    void OnCommand(WORD id, WORD code, LPARAM control) override;
};
