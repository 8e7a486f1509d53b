#pragma once
// Completion codes that the setup procedure posts to the progress window as WM_COMMAND
// identifiers: the character codes of '{', '|', '}' and '~', and 128.

enum CompletionCode {
    CMD_INSTALLED = 123,
    CMD_UNINSTALLED = 124,
    CMD_ABORTED = 125,
    // An install that went through with failures: the notification code (the high word of
    // wParam) holds the IncompleteStep flags, lParam the number of files that were not copied.
    // Plain numbers, so that a stray message can at worst show a wrong text.
    CMD_INCOMPLETE = 126,
    // An uninstall that could not do all of its work, with the IncompleteStep flags in the
    // notification code likewise (help, lists, folder, wizard).
    CMD_UNINSTALL_INCOMPLETE = 128,
};

enum IncompleteStep {
    INCOMPLETE_FILES = 1,
    INCOMPLETE_HELP = 2,
    INCOMPLETE_LISTS = 4,
    INCOMPLETE_ENTRY = 8,
    INCOMPLETE_FOLDER = 16,  // the recorded folder is not the one the install made
    INCOMPLETE_WIZARD = 32,  // a wizard file neither went nor waits for the restart
};

// The exit codes of a quiet run, as deployment tools read them (the system installer's).
enum SetupExitCode {
    EXIT_DONE = 0,
    EXIT_RESTART_NEEDED = 3010,
    EXIT_FAILED = 1603,  // refused, failed or incomplete
    EXIT_ALREADY_RUNNING = 1618,
    EXIT_INVALID_COMMAND_LINE = 1639,
};
