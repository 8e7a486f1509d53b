#pragma once
// Drives a windowed program from outside, as a user would: starts it, finds its windows by
// process and caption, reads and types text, presses buttons, answers message boxes. Every wait
// has a time-out; when one runs out the child is killed, so a test never hangs.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ChildProcess {
public:
    explicit ChildProcess(DWORD timeoutMs = 20000);
    ~ChildProcess();  // kills a child that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // args are appended to the quoted exe path; cwd empty: the caller's current directory.
    bool Start(const std::string& exe, const std::string& args, const std::string& cwd);

    // Null after the time-out (the child is then killed and Error() says what was awaited).
    // Message boxes are never returned by WaitForWindow, only by WaitForMessageBox.
    HWND WaitForWindow(const std::string& caption);
    HWND WaitForMessageBox();
    bool WaitForWindowGone(HWND window);
    // The exit code, or false after the time-out.
    bool WaitForExit(DWORD& exitCode);
    bool Running() const;
    void Kill();

    // The child's visible top-level windows now, message boxes included.
    std::vector<HWND> VisibleWindows() const;

    static std::string Caption(HWND window) { return ReadText(window); }
    static bool IsMessageBox(HWND window);
    // WM_GETTEXT, which unlike GetWindowTextA reads controls of other processes.
    static std::string ReadText(HWND window);
    // The text of a dialog's control: the folder box of "Choose Folder" is FOLDER_BOX, a
    // message box's text MESSAGE_TEXT.
    static std::string ReadItem(HWND dialog, int id);
    // The texts of the window's static controls, in child order.
    static std::vector<std::string> StaticTexts(HWND window);
    static bool TypeItem(HWND dialog, int id, const std::string& text);
    // Posts the button's WM_COMMAND: a handler that opens a modal box would block a sender.
    static bool Press(HWND dialog, int id);

    // Selects a folder in "Browse for Folder" by its path, as a user clicking through the tree.
    // The path is written into the child's memory, where the browser reads it.
    bool SelectInBrowser(HWND browser, const std::string& path) const;

    static const int FOLDER_BOX = 1000;
    static const int BROWSE_BUTTON = 1001;
    static const int MESSAGE_TEXT = 0xFFFF;

    const std::string& Error() const { return error_; }

private:
    // The first visible top-level window of the child that matches; what names it in Error().
    HWND WaitFor(const std::function<bool(HWND)>& match, const std::string& what);
    // Polls until done() holds; false, with the child killed, after the time-out or when the
    // child ended first.
    bool Poll(const std::function<bool()>& done, const std::string& what);
    void Fail(const std::string& what);

    DWORD timeoutMs_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::string error_;
};
