// Command-line front of the driver: starts a program, works through the steps given in order,
// prints one line for each window it met and each thing it read, then the exit code.
//
//   e2e_driver --exe PATH [--cwd DIR] [--args TEXT] [--timeout MS] STEP...
//
// Steps: --window CAPTION   wait for that window (not a message box) and work on it from now on
//        --read ID          print the text of control ID of the current window
//        --type TEXT        put TEXT into the folder box of "Choose Folder"
//        --ok | --cancel | --browse
//                           press that button of "Choose Folder" (--ok and --cancel wait until
//                           the dialog has gone)
//        --browse-ok | --browse-cancel | --browse-to PATH
//                           answer "Browse for Folder" (--browse-to selects PATH, then OK)
//        --message          wait for a message box, print its caption and text, press its OK
//        --sleep MS
// Finally it waits for the program to end. Exit code 0 when every step succeeded, 1 when one
// failed or timed out (the program is then killed), 2 for a usage error.
#include "child_process.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const FOLDER_CAPTION = "Choose Folder";
const char* const BROWSE_CAPTION = "Browse for Folder";

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "e2e_driver: %s\n", problem.c_str());
    std::fprintf(stderr, "usage: e2e_driver --exe PATH [--cwd DIR] [--args TEXT] [--timeout MS] "
                         "STEP... (see the source for the steps)\n");
    return 2;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Child control texts worth printing for a window: the folder box, and static texts.
std::string Describe(HWND window)
{
    std::string line = "window " + Quoted(ChildProcess::Caption(window));
    if (HWND folder = GetDlgItem(window, 1000))
        line += " folder " + Quoted(ChildProcess::ReadText(folder));
    for (const std::string& text : ChildProcess::StaticTexts(window)) {
        if (!text.empty())
            line += " text " + Quoted(text);
    }
    return line;
}

class Run {
public:
    explicit Run(DWORD timeoutMs) : child(timeoutMs) {}

    int Fail(const std::string& what)
    {
        child.Kill();
        std::printf("failed: %s\n", what.c_str());
        return 1;
    }

    // The driver's own time-out message if there is one, else what failed.
    std::string Why(const std::string& what) const
    {
        return child.Error().empty() ? what : child.Error();
    }

    HWND Window(const std::string& caption)
    {
        if (current && IsWindow(current) && ChildProcess::Caption(current) == caption)
            return current;
        current = child.WaitForWindow(caption);
        if (current)
            std::printf("%s\n", Describe(current).c_str());
        return current;
    }

    ChildProcess child;
    HWND current = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    std::string exe, cwd, args;
    DWORD timeoutMs = 20000;
    std::vector<std::string> steps;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--exe" && hasValue)
            exe = argv[++i];
        else if (arg == "--cwd" && hasValue)
            cwd = argv[++i];
        else if (arg == "--args" && hasValue)
            args = argv[++i];
        else if (arg == "--timeout" && hasValue)
            timeoutMs = std::strtoul(argv[++i], nullptr, 10);
        else
            steps.push_back(arg);
    }
    if (exe.empty())
        return Usage("--exe is required");

    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Run run(timeoutMs);
    ChildProcess& child = run.child;
    if (!child.Start(exe, args, cwd))
        return run.Fail(child.Error());
    std::printf("started %s\n", Quoted(exe).c_str());

    for (size_t i = 0; i < steps.size(); ++i) {
        const std::string& step = steps[i];
        const bool hasValue = i + 1 < steps.size();
        if (step == "--window" && hasValue) {
            if (!run.Window(steps[++i]))
                return run.Fail(child.Error());
        } else if (step == "--read" && hasValue) {
            const int id = std::atoi(steps[++i].c_str());
            if (!run.current)
                return Usage("--read needs a current window");
            const std::string text = ChildProcess::ReadItem(run.current, id);
            std::printf("read %d %s\n", id, Quoted(text).c_str());
        } else if (step == "--type" && hasValue) {
            const std::string text = steps[++i];
            HWND dialog = run.Window(FOLDER_CAPTION);
            if (!dialog || !child.TypeFolder(dialog, text))
                return run.Fail(run.Why("cannot type into the folder box"));
            std::printf("typed %s\n", Quoted(text).c_str());
        } else if (step == "--ok" || step == "--cancel" || step == "--browse") {
            const int id = step == "--ok" ? IDOK : step == "--cancel" ? IDCANCEL : 1001;
            HWND dialog = run.Window(FOLDER_CAPTION);
            if (!dialog || !ChildProcess::Press(dialog, id))
                return run.Fail(run.Why("cannot press " + step));
            std::printf("pressed %d\n", id);
            if (id != 1001) {
                if (!child.WaitForWindowGone(dialog))
                    return run.Fail(child.Error());
                run.current = nullptr;
            }
        } else if (step == "--browse-ok" || step == "--browse-cancel" ||
                   (step == "--browse-to" && hasValue)) {
            HWND browser = child.WaitForWindow(BROWSE_CAPTION);
            if (!browser)
                return run.Fail(child.Error());
            std::printf("%s\n", Describe(browser).c_str());
            if (step == "--browse-to") {
                const std::string path = steps[++i];
                if (!child.SelectInBrowser(browser, path))
                    return run.Fail("cannot select " + path + " in the browser");
                std::printf("selected %s\n", Quoted(path).c_str());
            }
            const int id = step == "--browse-cancel" ? IDCANCEL : IDOK;
            if (!ChildProcess::Press(browser, id) || !child.WaitForWindowGone(browser))
                return run.Fail(run.Why("cannot answer the browser"));
            std::printf("pressed %d\n", id);
        } else if (step == "--message") {
            HWND box = child.WaitForMessageBox();
            if (!box)
                return run.Fail(child.Error());
            std::printf("message %s %s\n", Quoted(ChildProcess::Caption(box)).c_str(),
                        Quoted(child.ReadMessageBox(box)).c_str());
            if (!child.CloseMessageBox(box) || !child.WaitForWindowGone(box))
                return run.Fail(run.Why("cannot close the message box"));
        } else if (step == "--sleep" && hasValue) {
            Sleep(std::strtoul(steps[++i].c_str(), nullptr, 10));
        } else {
            return Usage("unknown or incomplete step " + step);
        }
    }

    DWORD exitCode = 0;
    if (!child.WaitForExit(exitCode))
        return run.Fail(child.Error());
    std::printf("exit %lu\n", exitCode);
    return 0;
}
