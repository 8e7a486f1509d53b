#include "setup_ui.h"

#include "win32/log_file.h"

namespace {

// A log line holds one event: the lines of a message are joined.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

}  // namespace

void SetupUi::Note(const std::string& line)
{
    log_.Write(line);
}

void SetupUi::Note(std::initializer_list<std::string_view> parts)
{
    std::string line;
    for (std::string_view part : parts)
        line.append(part.data(), part.size());
    Note(line);
}

void SetupUi::Note(const FileEvents& events)
{
    for (const FileEvent& event : events)
        Note(DescribeEvent(event));
}

void SetupUi::Refuse(const std::string& reason)
{
    Note("folder refused: " + OneLine(reason));
    ShowRefusal(reason);
}

void SetupUi::Finish(const SetupOutcome& outcome)
{
    Note("end: " + OneLine(OutcomeText(outcome)));
    ShowEnd(outcome);
}

std::string OutcomeText(const SetupOutcome& outcome)
{
    if (outcome.code == CMD_ABORTED)
        return "Installation aborted";
    if (outcome.code == CMD_UNINSTALLED) {
        if (!outcome.incomplete)
            return "Quillon uninstalled";
        std::string text = "The Quillon uninstall is incomplete:";
        if (outcome.incomplete & INCOMPLETE_HELP)
            text += "\nhelp not unregistered";
        if (outcome.incomplete & INCOMPLETE_LISTS)
            text += "\ndirectory lists not updated";
        if (outcome.incomplete & INCOMPLETE_FOLDER)
            text += "\ninstall folder not removed: it is not the folder the install made";
        return text;
    }
    if (!outcome.incomplete)
        return "Quillon installed successfully";
    std::string text = "The Quillon installation is incomplete:";
    if (outcome.incomplete & INCOMPLETE_FILES)
        text += "\n" + std::to_string(outcome.filesNotCopied) + " library files not copied";
    if (outcome.incomplete & INCOMPLETE_HELP)
        text += "\nhelp not registered";
    if (outcome.incomplete & INCOMPLETE_LISTS)
        text += "\ndirectory lists not updated";
    if (outcome.incomplete & INCOMPLETE_ENTRY)
        text += "\nuninstall entry not written";
    return text;
}
