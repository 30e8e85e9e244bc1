#pragma once

#include "tree/data_tree.h"

#include <string>
#include <vector>

namespace tsl::testing {

// Builds stored data by hand in the layout the reader leaves it: a template
// with one label per column, and one data line per row, filed under its
// year, month, day and hour, cells written as given.
class SampleData {
public:
    SampleData(DataTree& tree, const std::vector<std::string>& labels);

    DataNode* templateNode() const { return template_; }
    DataNode* dataNode() const { return data_; }

    // One row at the given local date and time; cells in column order.
    DataNode* addRow(int year, int month, int day, int hour, int minute, int second,
                     const std::vector<std::string>& cells);

    // The cell texts of one column, in tree order.
    std::vector<std::string> column(const std::string& label) const;

private:
    DataTree& tree_;
    DataNode* template_;
    DataNode* data_ = nullptr;
};

// Sets the local time zone for one test and puts the old one back.
class LocalZone {
public:
    explicit LocalZone(const char* zone);
    ~LocalZone();
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    std::string old_;
    bool hadOld_ = false;
};

// The texts of the label children of a data line.
std::vector<std::string> cellsOf(const DataNode* line);

} // namespace tsl::testing
