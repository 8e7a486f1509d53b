// Command-line front of the driver: starts a program, works through the steps given in order,
// prints one line for each window it met and each thing it read, then the exit code.
//
//   e2e_driver --exe PATH [--cwd DIR] [--args TEXT] [--timeout MS] STEP...
//
// Steps: --window CAPTION   wait for that window (not a message box) and work on it from now on
//        --read ID          print the text of control ID of the current window ("" if none)
//        --type TEXT        put TEXT into the folder box of "Choose Folder"
//        --ok | --cancel | --browse
//                           press that button of "Choose Folder" (--ok and --cancel wait until
//                           the dialog has gone)
//        --browse-ok | --browse-cancel | --browse-to PATH
//                           answer "Browse for Folder" (--browse-to selects PATH, then OK)
//        --message          wait for a message box, print its caption and text, press its OK
//        --cancel-run       press Cancel in the progress window "Setup" once it is enabled
//        --answer yes|no    the same for a question, pressing Yes or No
//        --sleep MS
// Finally it waits for the program to end. Exit code 0 when every step succeeded, 1 when one
// failed or timed out (the program is then killed), 2 for a usage error.
#include "child_process.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The caption, the folder box if there is one, and the static texts that are not empty.
std::string Describe(HWND window)
{
    std::string line = "window " + Quoted(ChildProcess::Caption(window));
    if (GetDlgItem(window, ChildProcess::FOLDER_BOX))
        line += " folder " + Quoted(ChildProcess::ReadItem(window, ChildProcess::FOLDER_BOX));
    for (const std::string& text : ChildProcess::StaticTexts(window)) {
        if (!text.empty())
            line += " text " + Quoted(text);
    }
    return line;
}

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
    const auto usage = [](const std::string& problem) {
        std::fprintf(stderr, "e2e_driver: %s\nusage: e2e_driver --exe PATH [--cwd DIR] "
                             "[--args TEXT] [--timeout MS] STEP... (steps: see the source)\n",
                     problem.c_str());
        return 2;
    };
    if (exe.empty())
        return usage("--exe is required");

    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ChildProcess child(timeoutMs);
    // The driver's own time-out message if there is one, else what failed.
    const auto fail = [&child](const std::string& what) {
        child.Kill();
        std::printf("failed: %s\n", (child.Error().empty() ? what : child.Error()).c_str());
        return 1;
    };
    if (!child.Start(exe, args, cwd))
        return fail("");
    std::printf("started %s\n", Quoted(exe).c_str());

    HWND current = nullptr;
    // The window with that caption: the current one while it is, else the next to show.
    const auto window = [&](const std::string& caption) {
        if (!current || !IsWindow(current) || ChildProcess::Caption(current) != caption) {
            current = child.WaitForWindow(caption);
            if (current)
                std::printf("%s\n", Describe(current).c_str());
        }
        return current;
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        const std::string& step = steps[i];
        const bool hasValue = i + 1 < steps.size();
        if (step == "--window" && hasValue) {
            if (!window(steps[++i]))
                return fail("");
        } else if (step == "--read" && hasValue) {
            const int id = std::atoi(steps[++i].c_str());
            std::printf("read %d %s\n", id, Quoted(ChildProcess::ReadItem(current, id)).c_str());
        } else if (step == "--type" && hasValue) {
            const std::string text = steps[++i];
            HWND dialog = window("Choose Folder");
            if (!dialog || !ChildProcess::TypeItem(dialog, ChildProcess::FOLDER_BOX, text))
                return fail("cannot type into the folder box");
            std::printf("typed %s\n", Quoted(text).c_str());
        } else if (step == "--ok" || step == "--cancel" || step == "--browse") {
            const int id = step == "--ok" ? IDOK
                         : step == "--cancel" ? IDCANCEL : ChildProcess::BROWSE_BUTTON;
            HWND dialog = window("Choose Folder");
            if (!dialog || !ChildProcess::Press(dialog, id))
                return fail("cannot press " + step);
            std::printf("pressed %d\n", id);
            if (id != ChildProcess::BROWSE_BUTTON) {
                if (!child.WaitForWindowGone(dialog))
                    return fail("");
                current = nullptr;
            }
        } else if (step == "--browse-ok" || step == "--browse-cancel" ||
                   (step == "--browse-to" && hasValue)) {
            HWND browser = child.WaitForWindow("Browse for Folder");
            if (!browser)
                return fail("");
            std::printf("%s\n", Describe(browser).c_str());
            if (step == "--browse-to") {
                const std::string path = steps[++i];
                if (!child.SelectInBrowser(browser, path))
                    return fail("cannot select " + path + " in the browser");
                std::printf("selected %s\n", Quoted(path).c_str());
            }
            const int id = step == "--browse-cancel" ? IDCANCEL : IDOK;
            if (!ChildProcess::Press(browser, id) || !child.WaitForWindowGone(browser))
                return fail("cannot answer the browser");
            std::printf("pressed %d\n", id);
        } else if (step == "--message" || (step == "--answer" && hasValue)) {
            const int button = step == "--message" ? IDOK : steps[++i] == "yes" ? IDYES : IDNO;
            HWND box = child.WaitForMessageBox();
            if (!box)
                return fail("");
            std::printf("message %s %s\n", Quoted(ChildProcess::Caption(box)).c_str(),
                        Quoted(ChildProcess::ReadItem(box, ChildProcess::MESSAGE_TEXT)).c_str());
            if (!ChildProcess::Press(box, button) || !child.WaitForWindowGone(box))
                return fail("cannot close the message box");
        } else if (step == "--cancel-run") {
            HWND progress = window("Setup");
            HWND cancel = progress ? GetDlgItem(progress, IDCANCEL) : nullptr;
            for (DWORD waited = 0; cancel && !IsWindowEnabled(cancel) && waited < timeoutMs; waited += 10)
                Sleep(10);
            if (!cancel || !IsWindowEnabled(cancel) || !ChildProcess::Press(progress, IDCANCEL))
                return fail("cannot press Cancel in the progress window");
            std::printf("pressed %d\n", IDCANCEL);
        } else if (step == "--sleep" && hasValue) {
            Sleep(std::strtoul(steps[++i].c_str(), nullptr, 10));
        } else {
            return usage("unknown or incomplete step " + step);
        }
    }

    DWORD exitCode = 0;
    if (!child.WaitForExit(exitCode))
        return fail("");
    std::printf("exit %lu\n", exitCode);
    return 0;
}
