#include "child_process.h"

#include <shlobj.h>

namespace {

const DWORD POLL_MS = 20;
const UINT SEND_TIMEOUT_MS = 5000;

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

}  // namespace

ChildProcess::ChildProcess(DWORD timeoutMs) : timeoutMs_(timeoutMs) {}

ChildProcess::~ChildProcess()
{
    Kill();
    if (process_)
        CloseHandle(process_);
}

bool ChildProcess::Start(const std::string& exe, const std::string& args, const std::string& cwd)
{
    std::string commandLine = "\"" + exe + "\"";
    if (!args.empty())
        commandLine += " " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.empty() ? nullptr : cwd.c_str(), &startup, &info)) {
        error_ = "cannot start " + exe + ": error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

namespace {

struct Listing {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK ListVisibleWindow(HWND window, LPARAM parameter)
{
    Listing& listing = *reinterpret_cast<Listing*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (listing.processId && owner == listing.processId && IsWindowVisible(window))
        listing.windows.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> ChildProcess::VisibleWindows() const
{
    // EnumWindows lists a snapshot. Walking with FindWindowEx from one window to the next meets a
    // window twice, or not at all, when the program raises it meanwhile (a message box that has
    // just appeared is raised as it is activated).
    Listing listing = {processId_, {}};
    EnumWindows(ListVisibleWindow, reinterpret_cast<LPARAM>(&listing));
    return listing.windows;
}

bool ChildProcess::Poll(const std::function<bool()>& done, const std::string& what)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs_; Sleep(POLL_MS)) {
        if (done())
            return true;
        if (!Running()) {
            Fail("the program ended while waiting for " + what);
            return false;
        }
    }
    Fail("time-out waiting for " + what);
    return false;
}

HWND ChildProcess::WaitFor(const std::function<bool(HWND)>& match, const std::string& what)
{
    HWND found = nullptr;
    Poll([&] {
        for (HWND window : VisibleWindows()) {
            if (match(window))
                return (found = window) != nullptr;
        }
        return false;
    }, what);
    return found;
}

HWND ChildProcess::WaitForWindow(const std::string& caption)
{
    return WaitFor(
        [&caption](HWND window) { return !IsMessageBox(window) && Caption(window) == caption; },
        "window \"" + caption + "\"");
}

HWND ChildProcess::WaitForMessageBox()
{
    return WaitFor(IsMessageBox, "a message box");
}

bool ChildProcess::WaitForWindowGone(HWND window)
{
    // Its caption is not read here: a window whose thread is busy would hold up the wait.
    return Poll([window] { return !IsWindow(window) || !IsWindowVisible(window); },
                "a window to close");
}

bool ChildProcess::WaitForExit(DWORD& exitCode)
{
    if (!process_) {
        error_ = "no program was started";
        return false;
    }
    if (WaitForSingleObject(process_, timeoutMs_) != WAIT_OBJECT_0) {
        Fail("time-out waiting for the program to end");
        return false;
    }
    GetExitCodeProcess(process_, &exitCode);
    return true;
}

bool ChildProcess::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill()
{
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
}

void ChildProcess::Fail(const std::string& what)
{
    if (error_.empty())
        error_ = what;
    Kill();
}

bool ChildProcess::IsMessageBox(HWND window)
{
    // A message box is a dialog whose text is the static control MESSAGE_TEXT (owned, or not when
    // no window of the program exists yet). The framework's dialogs give their group boxes that
    // id too, but a group box is a button.
    HWND text = GetDlgItem(window, MESSAGE_TEXT);
    return ClassName(window) == "#32770" && text && lstrcmpiA(ClassName(text).c_str(), "Static") == 0;
}

std::string ChildProcess::ReadText(HWND window)
{
    DWORD_PTR length = 0;
    if (!window ||
        !SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                             &length))
        return std::string();
    // The text may change between the two questions: a buffer it filled up is read again, larger.
    for (size_t size = length + 2;; size *= 2) {
        std::string text(size, '\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(&text[0]),
                                 SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &copied))
            return std::string();
        if (copied + 1 < size) {
            text.resize(copied);
            return text;
        }
    }
}

std::string ChildProcess::ReadItem(HWND dialog, int id)
{
    return ReadText(GetDlgItem(dialog, id));
}

std::vector<std::string> ChildProcess::StaticTexts(HWND window)
{
    std::vector<std::string> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassName(child).c_str(), "Static") == 0)
            texts.push_back(ReadText(child));
    }
    return texts;
}

bool ChildProcess::TypeItem(HWND dialog, int id, const std::string& text)
{
    HWND item = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    return item && SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                       SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result) && result;
}

bool ChildProcess::Press(HWND dialog, int id)
{
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != FALSE;
}

bool ChildProcess::SelectInBrowser(HWND browser, const std::string& path) const
{
    void* remote = VirtualAllocEx(process_, nullptr, path.size() + 1, MEM_COMMIT, PAGE_READWRITE);
    if (!remote)
        return false;
    DWORD_PTR result = 0;
    const bool done =
        WriteProcessMemory(process_, remote, path.c_str(), path.size() + 1, nullptr) &&
        SendMessageTimeoutA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
    VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
    return done;
}
