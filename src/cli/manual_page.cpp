#include "cli/manual_page.h"

#include "app/version.h"
#include "app/window_command_line.h"
#include "cli/action.h"
#include "cli/argument_parser.h"

#include <vector>

namespace tsl::cli {

namespace {

// Text as roff prints it: backslashes and minus signs escaped, and no line
// starting with a control character.
std::string roff(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

struct Entry {
    std::string term;
    std::string argument;
    std::string text;
};

struct Manual {
    std::string name;
    std::string synopsis; // after the name
    std::string summary;
    std::string description;
    std::string entriesHeading;
    std::vector<Entry> entries;
    std::vector<std::string> notes;
    std::string seeAlso;
};

// The summary as a whatis entry: "merges ... grid", no capital, no full stop.
std::string whatis(std::string summary)
{
    if (!summary.empty() && summary.back() == '.')
        summary.pop_back();
    if (!summary.empty() && summary.front() >= 'A' && summary.front() <= 'Z')
        summary.front() = static_cast<char>(summary.front() - 'A' + 'a');
    return summary;
}

std::string render(const Manual& manual)
{
    std::string upper;
    for (char c : manual.name)
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    std::string page = ".TH " + upper + " 1 \"\" \"Tessaloom " + std::string(programVersion()) + "\" \"User Commands\"\n";
    page += ".SH NAME\n" + manual.name + " \\- " + roff(whatis(manual.summary)) + "\n";
    page += ".SH SYNOPSIS\n.B " + manual.name + "\n" + roff(manual.synopsis) + "\n";
    page += ".SH DESCRIPTION\n" + roff(manual.summary) + "\n.PP\n" + roff(manual.description) + "\n";
    page += ".SH " + manual.entriesHeading + "\n";
    for (const Entry& entry : manual.entries) {
        page += ".TP\n\\fB" + roff(entry.term) + "\\fR";
        if (!entry.argument.empty())
            page += " \\fI" + roff(entry.argument) + "\\fR";
        page += "\n" + roff(entry.text) + "\n";
    }
    if (!manual.notes.empty()) {
        page += ".SH NOTES\n";
        for (std::size_t i = 0; i < manual.notes.size(); ++i)
            page += (i ? ".PP\n" : "") + roff(manual.notes[i]) + "\n";
    }
    page += ".SH SEE ALSO\n.BR " + manual.seeAlso + " (1)\n";
    return page;
}

// The synopsis without the program's name, which the page sets in bold.
std::string arguments(const std::string& synopsis)
{
    const std::size_t blank = synopsis.find(' ');
    return blank == std::string::npos ? std::string() : synopsis.substr(blank + 1);
}

} // namespace

std::string tslManualPage()
{
    const HelpParts& help = helpParts();
    Manual manual{"tsl", arguments(help.synopsis), help.summary, help.description, "ACTIONS", {}, help.notes,
                  "tessaloom"};
    for (const ActionDefinition& action : allActions())
        manual.entries.push_back({action.name, action.argumentHelp, action.help});
    return render(manual);
}

std::string windowManualPage()
{
    const WindowHelp& help = windowHelp();
    Manual manual{"tessaloom", arguments(help.synopsis), help.summary, help.description, "OPTIONS", {}, {}, "tsl"};
    for (const auto& [option, what] : help.options)
        manual.entries.push_back({option, "", what});
    return render(manual);
}

} // namespace tsl::cli
