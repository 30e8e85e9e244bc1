#pragma once

#include "support/scripted_context.h"
#include "support/temp_dir.h"
#include "tree/data_tree.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tsl::testing {

// Sets the time zone for one test and restores the one before.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    std::optional<std::string> previous_;
};

inline DataNode* childWithKey(const DataNode* parent, std::string_view name, std::string_view key,
                              std::string_view value)
{
    for (DataNode* child = parent ? parent->firstChild() : nullptr; child; child = child->nextSibling()) {
        if (child->name() != name)
            continue;
        const DataAttribute* a = DataTree::findAttribute(child, key);
        if (a && a->value() == value)
            return child;
    }
    return nullptr;
}

// The dataline of year/month/day/hour and "MM:SS", walking the layout.
inline DataNode* dataline(DataTree& tree, const std::string& year, const std::string& month,
                          const std::string& day, const std::string& hour, const std::string& key)
{
    DataNode* data = tree.findNode(tree.root(), "data");
    DataNode* y = childWithKey(data, "dataYear", "year", year);
    DataNode* m = childWithKey(y, "dataMonth", "month", month);
    DataNode* d = childWithKey(m, "dataDay", "day", day);
    DataNode* h = childWithKey(d, "dataHour", "hour", hour);
    return childWithKey(h, "dataline", "timestamp", key);
}

// Texts of the dataline's labels in order, as "value=text".
inline std::vector<std::string> cells(const DataNode* line)
{
    std::vector<std::string> out;
    for (DataNode* label = line ? line->firstChild() : nullptr; label; label = label->nextSibling()) {
        const DataAttribute* value = DataTree::findAttribute(label, "value");
        out.push_back(std::string(value ? value->value() : "") + "=" + std::string(label->text()));
    }
    return out;
}

inline int countNodes(const DataTree& tree, const DataNode* node, std::string_view name)
{
    int n = 0;
    for (const DataNode* child = node ? node->firstChild() : nullptr; child; child = child->nextSibling()) {
        if (child->name() == name)
            ++n;
        n += countNodes(tree, child, name);
    }
    return n;
}

} // namespace tsl::testing
