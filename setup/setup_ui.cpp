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

void SetupUi::Step(const char* text, bool cancellable)
{
    Note(std::string("step: ") + text);
    ShowStep(text, cancellable);
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
    if (outcome.code == CMD_ABORTED) {
        std::string text = "Installation aborted";
        if (outcome.leftUntilRestart)
            text += "\n" + std::to_string(outcome.leftUntilRestart) +
                    " files or folders of this run stay until the next restart";
        if (outcome.leftUntilUninstall)
            text += "\n" + std::to_string(outcome.leftUntilUninstall) +
                    " files or folders of this run stay until Quillon is uninstalled";
        return text;
    }
    const bool install = outcome.code == CMD_INSTALLED;
    if (!outcome.incomplete)
        return install ? "Quillon installed successfully" : "Quillon uninstalled";
    // One line per step that failed, in the order the steps run; null where a step is not the
    // sequence's.
    static const struct {
        unsigned step;
        const char* install;
        const char* uninstall;
    } kLines[] = {
        {INCOMPLETE_FILES, " library files not copied", nullptr},
        {INCOMPLETE_HELP, "help not registered", "help not unregistered"},
        {INCOMPLETE_LISTS, "directory lists not updated", "directory lists not updated"},
        {INCOMPLETE_ENTRY, "uninstall entry not written", nullptr},
        {INCOMPLETE_WIZARD, nullptr, "wizard files not removed"},
        {INCOMPLETE_FOLDER, nullptr, "install folder not removed: it is not the folder the install made"},
    };
    std::string text = install ? "The Quillon installation is incomplete:"
                               : "The Quillon uninstall is incomplete:";
    for (const auto& line : kLines) {
        const char* words = install ? line.install : line.uninstall;
        if (!(outcome.incomplete & line.step) || !words)
            continue;
        text += '\n';
        if (line.step == INCOMPLETE_FILES)
            text += std::to_string(outcome.filesNotCopied);
        text += words;
    }
    return text;
}
