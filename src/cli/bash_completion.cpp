#include "cli/bash_completion.h"

#include "cli/action.h"

#include <map>

namespace tsl::cli {

namespace {

// The completions of an action's argument, as a case branch of the script.
std::string argumentBranch(const ActionDefinition& action)
{
    switch (action.kind) {
    case ArgumentKind::None:
        return "";
    case ArgumentKind::Index: {
        std::string values;
        for (int i = 0; i <= action.maxIndex; ++i)
            values += (i ? " " : "") + std::to_string(i);
        return "words=\"" + values + "\"";
    }
    case ArgumentKind::OnOff:
        return "words=\"on off\"";
    case ArgumentKind::File:
        return "files=1";
    case ArgumentKind::Files:
        return "files=1 many=1";
    case ArgumentKind::Time:
    case ArgumentKind::Date:
    case ArgumentKind::Text:
    case ArgumentKind::Assignment:
        return "free=1";
    }
    return "";
}

} // namespace

std::string bashCompletion()
{
    std::string names = "--help --version";
    std::map<std::string, std::string> branches; // same completions, one branch
    for (const ActionDefinition& action : allActions()) {
        names += " " + action.name;
        const std::string branch = argumentBranch(action);
        if (!branch.empty())
            branches[branch] += (branches[branch].empty() ? "" : "|") + action.name;
    }
    std::string script =
        "# bash completion for tsl, written from its table of actions when it was built\n"
        "_tsl()\n"
        "{\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} action=\"\" after=0 i\n"
        "    local words=\"\" files=0 many=0 free=0\n"
        "    # The action the word belongs to: the last one before it.\n"
        "    for ((i = COMP_CWORD - 1; i > 0; i--)); do\n"
        "        if [[ ${COMP_WORDS[i]} == --* ]]; then\n"
        "            action=${COMP_WORDS[i]}\n"
        "            after=$((COMP_CWORD - i))\n"
        "            break\n"
        "        fi\n"
        "    done\n"
        "    case $action in\n";
    for (const auto& [branch, actions] : branches)
        script += "    " + actions + ") " + branch + " ;;\n";
    script +=
        "    esac\n"
        "    if [[ $cur == -* ]] || ((after > 1 && many == 0)) || [[ -z $action ]] ||\n"
        "        ((files == 0 && free == 0 && ${#words} == 0)); then\n"
        "        COMPREPLY=($(compgen -W \"" + names + "\" -- \"$cur\"))\n"
        "    elif ((files)); then\n"
        "        compopt -o filenames 2>/dev/null\n"
        "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "    elif ((free)); then\n"
        "        COMPREPLY=()\n"
        "    else\n"
        "        COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
        "    fi\n"
        "}\n"
        "complete -F _tsl tsl\n";
    return script;
}

} // namespace tsl::cli
