#include "quiet_ui.h"

bool QuietUi::AskFolder(const std::string& proposal, std::string& folder)
{
    // Asking again would mean waiting for an answer that never comes.
    if (answered_)
        return false;
    answered_ = true;
    folder = proposal;
    return true;
}

void QuietUi::ShowEnd(const SetupOutcome& outcome)
{
    if (outcome.code == CMD_ABORTED || outcome.incomplete)
        exitCode_ = EXIT_FAILED;
    else
        exitCode_ = outcome.restartNeeded ? EXIT_RESTART_NEEDED : EXIT_DONE;
}
