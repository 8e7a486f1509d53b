#pragma once
// The one application object and the main thread's message loop.

#include <windows.h>

class LogFile;
class ProgressDialog;
struct SetupOptions;

class Application {
public:
    Application() { instance = this; }

    // Runs the setup that options ask for, with a person watching, until its window is gone.
    virtual void Run(const SetupOptions& options, LogFile& log) = 0;

    static Application* instance;

protected:
    ~Application() { instance = nullptr; }
};

class SetupApplication : public Application {
public:
    void Run(const SetupOptions& options, LogFile& log) override;
    bool CreateMainDialog(const SetupOptions& options, LogFile& log);

    // Not owned: the dialog deletes itself with its window, and the loop forgets it then.
    ProgressDialog* mainDialog = nullptr;
};
