#pragma once

#include "app/window/corvane_dlg.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace tsl::testing {

// The log lines after the eleven lines of the welcome block.
std::vector<std::string> linesAfterWelcome(CCorvaneDlg& window);

// How often `text` is a whole line of `lines`.
int countOf(const std::vector<std::string>& lines, const std::string& text);

// Shows the window and waits until it is active.
bool showActive(CCorvaneDlg& window);

// Gives the widget the keyboard focus and waits until it has it.
bool giveFocus(QWidget* widget);

// A logger file of one reading a minute: "Date,Time,TEMP1,FLOW", days from
// 01/02/2015 00:00 on.
void writeLoggerFile(const std::string& path, int minutes);

// A "data" node with the year, month and day nodes of 2015-01-02 below it;
// returns the day.
DataNode* addDataDay(DataTree& tree);

// Runs `action` once, the first time the window's log shows a line that
// starts with `prefix`. The action is posted, so it runs inside whatever the
// window is doing then (a read's pump, for instance).
void onLogLine(CCorvaneDlg& window, const std::string& prefix, std::function<void()> action);

// Every file dialog the window shows, as the request stood when it opened,
// and the answers given: the next queued list of paths (none cancels).
struct DialogScript {
    std::vector<FileRequest> shown;
    std::vector<FileDialogMode> modes;
    std::vector<std::vector<std::string>> choices;
    void install(CCorvaneDlg& window);
};

// Questions asked, answered in turn from `answers` (then with No / Cancel / Ok).
struct QuestionScript {
    std::vector<std::string> asked;
    std::vector<MessageAnswer> answers;
    std::function<void()> whileAsking;
    void install(CCorvaneDlg& window);
};

} // namespace tsl::testing
