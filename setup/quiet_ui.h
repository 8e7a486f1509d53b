#pragma once
// The side of a run that nobody watches: no window at all, never a wait for input; what happens
// goes to the log, and the end becomes the process's exit code.

#include "setup_ui.h"

class QuietUi : public SetupUi {
public:
    explicit QuietUi(LogFile& log) : SetupUi(log) {}

    // The proposal (the folder on the command line, else the recorded one) is the one answer.
    bool AskFolder(const std::string& proposal, std::string& folder) override;

    // EXIT_DONE, EXIT_RESTART_NEEDED or EXIT_FAILED once the run has ended.
    int ExitCode() const { return exitCode_; }

protected:
    void ShowRefusal(const std::string&) override {}
    void ShowEnd(const SetupOutcome& outcome) override;

private:
    bool answered_ = false;
    int exitCode_ = EXIT_FAILED;
};
