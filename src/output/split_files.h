#pragma once

#include <string>
#include <string_view>

namespace tsl {

// The names of a split output: the chosen mask cut at its first "." (the
// first of the whole path, folders included) into a base and an extension.
// Every file is written under the working name and renamed to the name of
// the last day it holds once it is complete.
class SplitFileNames {
public:
    explicit SplitFileNames(std::string_view mask);

    // "<base> S01.<ext>" for number 1.
    std::string workingName(int number) const;
    // "<base> <dateText><suffix>.<ext>".
    std::string datedName(std::string_view dateText, std::string_view suffix = {}) const;

private:
    std::string withExtension(std::string name) const;

    std::string base_;
    std::string extension_;
    bool hasExtension_ = false;
};

// Where a complete split file ended up after moveToDatedName.
struct PlacedFile {
    std::string name;
    bool asDated = false; // under the dated name itself
};

// Gives a complete working file its dated name. When that name is taken (a
// series saved before with the same mask) the file goes to "<dated> (2)",
// "(3)" and so on; when no name can be had it stays where it is.
PlacedFile moveToDatedName(const std::string& working, const SplitFileNames& names,
                           std::string_view dateText);

} // namespace tsl
