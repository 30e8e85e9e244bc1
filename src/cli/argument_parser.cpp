#include "cli/argument_parser.h"

#include "app/version.h"

#include <charconv>
#include <ctime>

namespace tsl::cli {

namespace {

bool isOption(const std::string& argument) { return argument.rfind("--", 0) == 0; }

// Digits only: no sign, no blanks ("-0" and "+1" are not list indexes).
bool parseInt(const std::string& text, int& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "HH:MM:SS" with two digits in each field.
bool parseTime(const std::string& text, ParsedAction& action)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return false;
    return parseInt(text.substr(0, 2), action.hour) && parseInt(text.substr(3, 2), action.minute) &&
           parseInt(text.substr(6, 2), action.second) && action.hour >= 0 && action.hour <= 23 &&
           action.minute >= 0 && action.minute <= 59 && action.second >= 0 && action.second <= 59;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// "YYYY-MM-DD", a day that exists in the calendar.
bool parseDate(const std::string& text, ParsedAction& action)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    if (!parseInt(text.substr(0, 4), action.year) || !parseInt(text.substr(5, 2), action.month) ||
        !parseInt(text.substr(8, 2), action.day))
        return false;
    static const int daysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (action.year < 1900 || action.month < 1 || action.month > 12 || action.day < 1)
        return false;
    int last = daysIn[action.month - 1] + (action.month == 2 && isLeapYear(action.year) ? 1 : 0);
    return action.day <= last;
}

const ActionDefinition* findAction(const std::string& name)
{
    for (const auto& definition : allActions())
        if (definition.name == name)
            return &definition;
    return nullptr;
}

// Reads the argument(s) of one action from position i on; returns false with
// error set when they are missing or malformed.
bool readArguments(const std::vector<std::string>& arguments, std::size_t& i, ParsedAction& action,
                   std::string& error)
{
    const ActionDefinition& definition = *action.definition;
    if (definition.kind == ArgumentKind::None)
        return true;
    if (definition.kind == ArgumentKind::Files) {
        while (i + 1 < arguments.size() && !isOption(arguments[i + 1]))
            action.values.push_back(arguments[++i]);
        if (action.values.empty()) {
            error = definition.name + " needs " + definition.argumentHelp + " (\"\" for a cancelled dialog)";
            return false;
        }
        // An empty name is the dialog cancelled: no file at all.
        if (action.values.size() == 1 && action.values.front().empty())
            action.values.clear();
        return true;
    }
    if (i + 1 >= arguments.size()) {
        error = definition.name + " needs " + definition.argumentHelp;
        return false;
    }
    const std::string& value = arguments[++i];
    action.values.push_back(value);
    bool ok = true;
    switch (definition.kind) {
    case ArgumentKind::Index:
        ok = parseInt(value, action.number) && action.number >= 0 && action.number <= definition.maxIndex;
        break;
    case ArgumentKind::OnOff:
        ok = value == "on" || value == "off";
        action.number = value == "on";
        break;
    case ArgumentKind::Time:
        ok = parseTime(value, action);
        break;
    case ArgumentKind::Date:
        ok = parseDate(value, action);
        break;
    case ArgumentKind::Assignment:
        ok = value.find('=') != std::string::npos;
        break;
    case ArgumentKind::Text:
    case ArgumentKind::File:
    case ArgumentKind::None:
    case ArgumentKind::Files:
        break;
    }
    if (!ok)
        error = definition.name + ": '" + value + "' is not " + definition.argumentHelp;
    return ok;
}

} // namespace

std::optional<ParsedCommandLine> parseCommandLine(const std::vector<std::string>& arguments, std::string& error)
{
    ParsedCommandLine parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            continue;
        }
        if (argument == "--version") {
            parsed.version = true;
            continue;
        }
        ParsedAction action;
        action.definition = findAction(argument);
        if (!action.definition) {
            error = isOption(argument) ? "unknown action " + argument
                                       : "unexpected argument '" + argument + "' (actions begin with --)";
            return std::nullopt;
        }
        if (!readArguments(arguments, i, action, error))
            return std::nullopt;
        parsed.actions.push_back(std::move(action));
    }
    return parsed;
}

const HelpParts& helpParts()
{
    static const HelpParts parts{
        "tsl [ACTION ...]",
        "Merges logger CSV files onto one time grid, as the Tessaloom window does.",
        "Actions run left to right; each is one user action of the window, and every line of the message log "
        "is written to standard output.",
        {"An empty FILE (\"\") stands for a dialog that was cancelled. N is digits only.",
         "Exit status: 0 done; 1 a read failed or was stopped, a save failed or was refused, or an action failed "
         "on an unexpected error; 2 an unknown action or a malformed value (nothing is carried out).",
         "Ctrl-C during a read stops the file being read; a second Ctrl-C ends tsl.",
         "--fill-value answers on standard error, as its dialog does, and never changes the exit status.",
         "tsl --help shows this text, tsl --version the version."}};
    return parts;
}

namespace {

// Words of text in lines of at most `width` characters.
std::string wrapped(const std::string& text, std::size_t width = 79)
{
    std::string out, line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    return out + line + "\n";
}

} // namespace

std::string helpText()
{
    const HelpParts& parts = helpParts();
    std::string text = "Usage: " + parts.synopsis + "\n" + parts.summary + "\n" + wrapped(parts.description) + "\n";
    for (const auto& definition : allActions()) {
        std::string left = "  " + definition.name + (definition.argumentHelp.empty() ? "" : " " + definition.argumentHelp);
        if (left.size() < 34)
            left.resize(34, ' ');
        else
            left += "\n" + std::string(34, ' ');
        text += left + definition.help + "\n";
    }
    text += "\n";
    for (const std::string& note : parts.notes)
        text += wrapped(note);
    return text;
}

std::string versionText()
{
    return "tsl (Tessaloom) " + std::string(programVersion()) + "\n";
}

} // namespace tsl::cli
