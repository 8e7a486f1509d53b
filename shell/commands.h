#pragma once
// Completion codes that the setup procedure posts to the progress window as WM_COMMAND
// identifiers: the character codes of '{', '|' and '}'.

enum CompletionCode {
    CMD_INSTALLED = 123,
    CMD_UNINSTALLED = 124,
    CMD_ABORTED = 125,
};
