#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tsl::cli {

class CliSession;

// What follows an action's name on the command line.
enum class ArgumentKind {
    None,       // --clear
    Index,      // --interval N, with the list's highest index
    OnOff,      // --bracket on|off
    Time,       // --bracket-start HH:MM:SS
    Date,       // --start-date YYYY-MM-DD
    Text,       // --delimiter TEXT (may be empty)
    File,       // --save-csv FILE (empty: the dialog was cancelled)
    Files,      // --read FILE... (every argument up to the next --option)
    Assignment, // --fill-value LABEL=VALUE
};

// One action as parsed, ready to be carried out.
struct ParsedAction;

struct ActionDefinition {
    std::string name;
    ArgumentKind kind;
    int maxIndex; // for Index
    std::string argumentHelp;
    std::string help;
    std::function<void(CliSession&, const ParsedAction&)> run;
};

struct ParsedAction {
    const ActionDefinition* definition = nullptr;
    std::vector<std::string> values; // as typed; Files may be empty
    int number = 0;                  // Index, OnOff (1 = on)
    int hour = 0, minute = 0, second = 0;
    int year = 0, month = 0, day = 0;
};

// The table of every action, in the order the help lists them.
const std::vector<ActionDefinition>& allActions();

// Settings actions, read actions, data and save actions add their entries.
void addSettingsActions(std::vector<ActionDefinition>& actions);
void addReadActions(std::vector<ActionDefinition>& actions);
void addDataActions(std::vector<ActionDefinition>& actions);
void addSaveActions(std::vector<ActionDefinition>& actions);

} // namespace tsl::cli
