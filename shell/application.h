#pragma once
// The one application object and the main thread's message loop.

#include <windows.h>

class ProgressDialog;

class Application {
public:
    Application() { instance = this; }

    virtual void Run() = 0;

    static Application* instance;

protected:
    ~Application() { instance = nullptr; }
};

class SetupApplication : public Application {
public:
    void Run() override;
    bool CreateMainDialog();

    // Not owned: the dialog deletes itself with its window, and the loop forgets it then.
    ProgressDialog* mainDialog = nullptr;
};
