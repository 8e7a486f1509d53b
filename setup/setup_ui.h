#pragma once
// Who watches a run: a person at the screen (dialogs and message boxes, the shell's side) or a
// script (no window, a log and an exit code, the quiet side). The sequences ask and tell through
// this interface only, and do not know which side they talk to.

#include "commands.h"
#include "win32/file_event.h"

#include <initializer_list>
#include <string>
#include <string_view>

class LogFile;

// How a run ended.
struct SetupOutcome {
    CompletionCode code = CMD_ABORTED;  // CMD_INSTALLED, CMD_UNINSTALLED or CMD_ABORTED
    unsigned incomplete = 0;            // IncompleteStep flags: what did not get done
    unsigned long filesNotCopied = 0;
    // Files of the library wait for the restart (the running program and its own folder, the
    // normal end of a recorded uninstall, do not count).
    bool restartNeeded = false;
    // What a cancelled install could not take back: files and folders that go at the next
    // restart, and those that stay until the uninstall removes them.
    unsigned long leftUntilRestart = 0;
    unsigned long leftUntilUninstall = 0;
};

class SetupUi {
public:
    explicit SetupUi(LogFile& log) : log_(log) {}
    virtual ~SetupUi() = default;
    SetupUi(const SetupUi&) = delete;
    SetupUi& operator=(const SetupUi&) = delete;

    // The folder to install into, proposing proposal; false when none is given (a person
    // cancelled; a script has no second answer after a refusal).
    virtual bool AskFolder(const std::string& proposal, std::string& folder) = 0;
    // Why the folder just given cannot be the install folder; logged, then shown.
    void Refuse(const std::string& reason);
    // The end of the run, exactly once; logged, then shown.
    void Finish(const SetupOutcome& outcome);

    // A step of the run begins ("Copying the library files"): logged, then shown. The text lives
    // as long as the program. cancellable: the person may stop the run during this step.
    void Step(const char* text, bool cancellable = false);
    // How far the run is, in thousandths of the whole; shown only.
    virtual void ShowProgress(unsigned thousandths) { (void)thousandths; }
    // Whether the person asked to stop the cancellable step in hand; asked between files.
    virtual bool Cancelled() { return false; }
    // The cancellable step has done its work: from now on a Cancel is refused. True when the
    // person asked to stop before that (a question still open is answered first), so that the
    // step is taken back all the same.
    virtual bool EndCancellable() { return false; }

    // One event of the run, for the log; or what a service did, one line per file.
    void Note(const std::string& line);
    void Note(std::initializer_list<std::string_view> parts);  // one line, joined
    void Note(const FileEvents& events);

protected:
    virtual void ShowStep(const char* text, bool cancellable) { (void)text, (void)cancellable; }
    virtual void ShowRefusal(const std::string& reason) = 0;
    virtual void ShowEnd(const SetupOutcome& outcome) = 0;

private:
    LogFile& log_;
};

// The closing text a person reads, and the last word of the log: "Quillon installed
// successfully", "The Quillon installation is incomplete:" with a line per failure, and so on.
std::string OutcomeText(const SetupOutcome& outcome);
