#include "output/sample_data.h"

#include "ops/data_walk.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tsl::testing {

namespace {

std::string twoDigits(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

DataNode* findOrInsert(DataTree& tree, DataNode* parent, const char* name, const char* key,
                       const std::string& value)
{
    if (DataNode* found = tree.findNodeByAttribute(parent, name, key, value))
        return found;
    return tree.insertChildSorted(parent, name, key, value);
}

} // namespace

SampleData::SampleData(DataTree& tree, const std::vector<std::string>& labels)
    : tree_(tree), template_(tree.addChild(tree.root(), "template"))
{
    int order = 0;
    for (const std::string& label : labels) {
        DataNode* node = tree.addChild(template_, "label");
        tree.setAttribute(node, "value", label);
        tree.setAttributeInt(node, "order", order++);
    }
}

DataNode* SampleData::addRow(int year, int month, int day, int hour, int minute, int second,
                             const std::vector<std::string>& cells)
{
    if (!data_)
        data_ = tree_.addChild(tree_.root(), "data");
    DataNode* yearNode = tree_.findNodeByAttribute(data_, "dataYear", "year", std::to_string(year));
    if (!yearNode) {
        yearNode = tree_.addChild(data_, "dataYear");
        tree_.setAttributeInt(yearNode, "year", year);
    }
    DataNode* monthNode = findOrInsert(tree_, yearNode, "dataMonth", "month", twoDigits(month));
    DataNode* dayNode = findOrInsert(tree_, monthNode, "dataDay", "day", twoDigits(day));
    DataNode* hourNode = findOrInsert(tree_, dayNode, "dataHour", "hour", twoDigits(hour));
    DataNode* line = tree_.copySubtree(hourNode, template_);
    tree_.setName(line, "dataline");
    const std::string stamp = twoDigits(minute) + ":" + twoDigits(second);
    tree_.setAttribute(line, "timestamp", stamp);
    tree_.setAttribute(line, "timestampCSV", stamp);
    std::size_t index = 0;
    for (DataNode* cell = line->firstChild(); cell && index < cells.size(); cell = cell->nextSibling())
        cell->setText(cells[index++]);
    return line;
}

std::vector<std::string> SampleData::column(const std::string& label) const
{
    std::vector<std::string> texts;
    forEachDataline(tree_, [&](const DataNode* line) {
        if (const DataNode* cell = tree_.findNodeByAttribute(line, "label", "value", label))
            texts.emplace_back(cell->text());
        return true;
    });
    return texts;
}

LocalZone::LocalZone(const char* zone)
{
    if (const char* old = std::getenv("TZ")) {
        old_ = old;
        hadOld_ = true;
    }
    setenv("TZ", zone, 1);
    tzset();
}

LocalZone::~LocalZone()
{
    if (hadOld_)
        setenv("TZ", old_.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

std::vector<std::string> cellsOf(const DataNode* line)
{
    std::vector<std::string> texts;
    for (const DataNode* cell = line->firstChild(); cell; cell = cell->nextSibling())
        texts.emplace_back(cell->text());
    return texts;
}

} // namespace tsl::testing
