#pragma once
// The install folder question, which the window framework asks on the sequence's behalf.

#include <windows.h>

#include <string>

// Shows the install folder dialog, modal and owned by owner, proposing proposal; true with the
// text the user left in it after OK, false for anything else (Cancel, the close box, a dialog
// that could not be shown).
bool AskInstallFolder(HWND owner, const std::string& proposal, std::string& folder);
