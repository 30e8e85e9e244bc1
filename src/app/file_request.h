#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tsl {

struct FileFilter {
    std::string description; // "CSV Files *.csv"
    std::string pattern;     // "*.csv"
};

// The file-dialog parameters shared by every file command. Each command sets
// the fields it needs; the others keep what the previous command left.
struct FileRequest {
    enum Option : unsigned {
        AllowMultiSelect = 1u << 0,
        FileMustExist = 1u << 1,
        Explorer = 1u << 2,
        HideReadOnly = 1u << 3,
        EnableSizing = 1u << 4,
        OverwritePrompt = 1u << 5,
    };

    static constexpr std::size_t initialFolderCapacity = 260;
    static constexpr std::size_t resultCapacity = 1500;

    std::vector<FileFilter> filters{{"CSV Files *.csv", "*.csv"}, {"All Files *.*", "*.*"}};
    int selectedFilter = 1; // 1-based, as the dialogs count
    std::string defaultExtension = "CSV";
    std::string initialFolder;
    std::string title;
    // The first string the dialog returned: the chosen path, or the folder
    // when several files were chosen. Empty when the dialog was cancelled.
    std::string result;
    // The chosen names, each to be joined to the folder part of result.
    std::vector<std::string> names;
    // Index in result at which the (first) file name begins, after its folder.
    std::size_t namePosition = 0;
    unsigned options = AllowMultiSelect | FileMustExist | Explorer | HideReadOnly;

    // The start values of the window, with the wexlo folder of the home folder
    // (or the home folder) as the initial folder.
    static FileRequest startValues();

    // Stores a dialog's answer: one path, or a folder and several names.
    void setChosenPaths(const std::vector<std::string>& paths);
    // The full path of every chosen file, in the order the dialog returned them.
    std::vector<std::string> chosenPaths() const;
    // The folder part of the result (up to the first name).
    std::string folder() const;
};

// Sets initialFolder to text cut at the folder buffer's size.
void setInitialFolder(FileRequest& request, const std::string& folder);

} // namespace tsl
