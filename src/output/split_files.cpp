#include "output/split_files.h"

#include "app/safe_file.h"

#include <cstdio>

namespace tsl {

SplitFileNames::SplitFileNames(std::string_view mask)
{
    const std::size_t dot = mask.find('.');
    if (dot == std::string_view::npos) {
        base_ = mask;
        return;
    }
    base_ = mask.substr(0, dot);
    extension_ = mask.substr(dot + 1);
    hasExtension_ = true;
}

std::string SplitFileNames::withExtension(std::string name) const
{
    if (hasExtension_)
        name += "." + extension_;
    return name;
}

std::string SplitFileNames::workingName(int number) const
{
    char serial[16];
    std::snprintf(serial, sizeof serial, " S%02d", number);
    return withExtension(base_ + serial);
}

std::string SplitFileNames::datedName(std::string_view dateText, std::string_view suffix) const
{
    std::string name = base_;
    name += ' ';
    name += dateText;
    name += suffix;
    return withExtension(std::move(name));
}

PlacedFile moveToDatedName(const std::string& working, const SplitFileNames& names,
                           std::string_view dateText)
{
    const std::string dated = names.datedName(dateText);
    if (renameWithoutReplacing(working, dated))
        return {dated, true};
    constexpr int lastAlternative = 99;
    for (int copy = 2; copy <= lastAlternative; ++copy) {
        const std::string alternative = names.datedName(dateText, " (" + std::to_string(copy) + ")");
        if (renameWithoutReplacing(working, alternative))
            return {alternative, false};
    }
    return {working, false};
}

} // namespace tsl
