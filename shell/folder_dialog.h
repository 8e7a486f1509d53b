#pragma once
// The modal dialog that asks where the library goes: a proposed folder in an edit box, and the
// system's folder browser behind "Browse".

#include "window.h"

#include <string>

class FolderDialog : public Dialog {
public:
    explicit FolderDialog(const std::string& proposal);

    bool OnInitDialog(HWND focus, LPARAM parameter) override;
    void OnCommand(WORD id, WORD code, LPARAM control) override;

    WindowHandle editBox;
    // The proposal until OK is pressed; then the edit box's text exactly as it stood.
    std::string folder;

private:
    void Browse();
};

// Shows the install folder dialog, modal and owned by owner, proposing proposal; true with the
// text the user left in it after OK, false for anything else (Cancel, the close box, a dialog
// that could not be shown).
bool AskInstallFolder(HWND owner, const std::string& proposal, std::string& folder);
