#pragma once

#include "input/reading_helpers.h"
#include "output/csv_writer.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tsl::testing {

// Stored data built by hand in the layout the reader leaves it: a template
// with one label per column, and one data line per row, filed under its
// year, month, day and hour, cells written as given.
class SampleData {
public:
    SampleData(DataTree& tree, const std::vector<std::string>& labels)
        : tree_(tree), template_(tree.addChild(tree.root(), "template"))
    {
        for (const std::string& label : labels)
            tree.setAttribute(tree.addChild(template_, "label"), "value", label);
    }
    DataNode* templateNode() const { return template_; }

    DataNode* addRow(int year, int month, int day, int hour, int minute, int second, const Lines& cells)
    {
        if (!data_)
            data_ = tree_.addChild(tree_.root(), "data");
        DataNode* node = data_;
        const std::pair<const char*, const char*> levels[] = {
            {"dataYear", "year"}, {"dataMonth", "month"}, {"dataDay", "day"}, {"dataHour", "hour"}};
        const int keys[] = {year, month, day, hour};
        for (int i = 0; i < 4; ++i) {
            const std::string key = i ? twoDigits(keys[i]) : std::to_string(year);
            DataNode* found = tree_.findNodeByAttribute(node, levels[i].first, levels[i].second, key);
            node = found ? found : tree_.insertChildSorted(node, levels[i].first, levels[i].second, key);
        }
        DataNode* line = tree_.copySubtree(node, template_);
        tree_.setName(line, "dataline");
        const std::string stamp = twoDigits(minute) + ":" + twoDigits(second);
        tree_.setAttribute(line, "timestamp", stamp);
        tree_.setAttribute(line, "timestampCSV", stamp);
        std::size_t index = 0;
        for (DataNode* cell = line->firstChild(); cell && index < cells.size(); cell = cell->nextSibling())
            cell->setText(cells[index++]);
        return line;
    }

private:
    static std::string twoDigits(int number)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%02d", number);
        return text;
    }
    DataTree& tree_;
    DataNode* template_;
    DataNode* data_ = nullptr;
};

inline std::time_t localMidnight(int year, int month, int day)
{
    std::tm fields{};
    fields.tm_year = year - 1900, fields.tm_mon = month - 1, fields.tm_mday = day, fields.tm_isdst = -1;
    return std::mktime(&fields);
}

// Every file and folder below folder, as paths relative to it.
inline Lines filesIn(const std::string& folder)
{
    Lines names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// A save of data in columns T1 and T2 into a folder of its own.
struct SaveWorld {
    SaveOutcome saveAs(const std::string& name)
    {
        c.chooseFiles({dir.file(name)});
        return OnSaveToCsv(c);
    }
    std::string saved(const std::string& name) const { return readFile(dir.file(name)); }
    ToolSettings& settings() { return c.editSettings(); }

    ZoneScope zone{"UTC0"};
    TempDir dir;
    ScriptedContext c;
    SampleData data{c.tree(), {"T1", "T2"}};
};

} // namespace tsl::testing
