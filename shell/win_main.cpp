#include "application.h"
#include "options.h"
#include "quiet_ui.h"
#include "run_setup.h"
#include "win32/code_page.h"
#include "win32/handle.h"
#include "win32/log_file.h"

#include <string>

SetupApplication setupApplication;

namespace {

// One setup of Quillon at a time, in every session of the machine.
const char* const kSetupMutex = "Global\\Quillon.Setup";

int RunProgram(const SetupOptions& options, LogFile& log)
{
    if (!options.valid) {
        log.Write("invalid command line: " + options.error);
        if (options.quiet)
            return EXIT_INVALID_COMMAND_LINE;
        MessageBoxA(nullptr, SETUP_USAGE, "Setup", MB_ICONERROR);
        return EXIT_DONE;
    }
    if (options.help) {
        if (!options.quiet)
            MessageBoxA(nullptr, SETUP_USAGE, "Setup", MB_ICONINFORMATION);
        return EXIT_DONE;
    }

    // Held until the process ends, whatever the run does meanwhile.
    const KernelObject mutex(CreateMutexA(nullptr, TRUE, kSetupMutex));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        log.Write("another setup is running: nothing done");
        if (options.quiet)
            return EXIT_ALREADY_RUNNING;
        MessageBoxA(nullptr, "Setup is already running.", "Setup", MB_ICONWARNING);
        return EXIT_DONE;
    }

    if (options.quiet) {
        QuietUi ui(log);
        RunSetup(options, ui);
        return ui.ExitCode();
    }
    if (Application::instance)
        Application::instance->Run(options, log);
    return EXIT_DONE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* commandLine = GetCommandLineA();
    const SetupOptions options = ReadOptions(commandLine, IsAnsiLeadByte);
    // Opened before the run moves into the package, so that a relative name means what it
    // meant where the command was given.
    LogFile log(options.hasLog ? Widen(options.logFile) : options.quiet ? DefaultLogPath() : WidePath());
    log.Write(std::string("command line: ") + commandLine);
    const int exitCode = RunProgram(options, log);
    log.Write("exit code " + std::to_string(exitCode));
    return exitCode;
}
