#include "window_test_support.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

namespace tsl::testing {

std::vector<std::string> linesAfterWelcome(CCorvaneDlg& window)
{
    auto& log = window.log();
    const auto& lines = log.lines();
    if (lines.size() <= 11)
        return {};
    return {lines.begin() + 11, lines.end()};
}

int countOf(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

bool showActive(CCorvaneDlg& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

bool giveFocus(QWidget* widget)
{
    widget->setFocus();
    return QTest::qWaitFor([widget] { return widget->hasFocus(); });
}

void writeLoggerFile(const std::string& path, int minutes)
{
    std::ofstream out(path, std::ios::binary);
    out << "Date,Time,TEMP1,FLOW\n";
    char line[64];
    for (int m = 0; m < minutes; ++m) {
        int day = 2 + m / 1440;
        int hour = (m / 60) % 24;
        std::snprintf(line, sizeof line, "01/%02d/2015,%02d:%02d:00,%d.5,%d\n", day, hour, m % 60, 20 + m % 7,
                      m % 11);
        out << line;
    }
}

DataNode* addDataDay(DataTree& tree)
{
    DataNode* data = tree.addChild(tree.root(), "data");
    DataNode* year = tree.addChild(data, "dataYear");
    tree.setAttribute(year, "year", "2015");
    DataNode* month = tree.addChild(year, "dataMonth");
    tree.setAttribute(month, "month", "01");
    DataNode* day = tree.addChild(month, "dataDay");
    tree.setAttribute(day, "day", "02");
    return day;
}

void onLogLine(CCorvaneDlg& window, const std::string& prefix, std::function<void()> action)
{
    auto* list = window.controlAs<QListWidget>(ControlId::Log);
    auto fired = std::make_shared<bool>(false);
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                     [list, prefix, action, fired](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last && !*fired; ++row) {
                             if (list->item(row)->text().toStdString().rfind(prefix, 0) == 0) {
                                 *fired = true;
                                 QTimer::singleShot(0, list, action);
                             }
                         }
                     });
}

void DialogScript::install(CCorvaneDlg& window)
{
    window.setFileDialogProvider([this](FileDialogMode mode, FileRequest& request) {
        shown.push_back(request);
        modes.push_back(mode);
        std::vector<std::string> paths;
        if (!choices.empty()) {
            paths = choices.front();
            choices.erase(choices.begin());
        }
        request.setChosenPaths(paths);
        return !paths.empty();
    });
}

void QuestionScript::install(CCorvaneDlg& window)
{
    window.setQuestionProvider([this](const std::string& text, const std::string&, MessageButtons buttons) {
        asked.push_back(text);
        if (whileAsking)
            whileAsking();
        if (!answers.empty()) {
            MessageAnswer answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        }
        return negativeAnswer(buttons);
    });
}

} // namespace tsl::testing
