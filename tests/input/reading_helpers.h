#pragma once

#include "input/csv_reader.h"
#include "ops/data_walk.h"
#include "support/scripted_context.h"
#include "support/temp_dir.h"
#include "tree/data_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tsl::testing {

using Lines = std::vector<std::string>;

// Sets the time zone for one scope and restores the one before.
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
        previous_ ? setenv("TZ", previous_->c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

inline bool contains(const Lines& lines, std::string_view line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The labels below a node (a template, a file's labels) as "value=text".
inline Lines cells(const DataNode* node)
{
    Lines out;
    for (const DataNode* label = node ? node->firstChild() : nullptr; label; label = label->nextSibling()) {
        const DataAttribute* value = DataTree::findAttribute(label, "value");
        out.push_back(std::string(value ? value->value() : "") + "=" + std::string(label->text()));
    }
    return out;
}

// Every stored data line in tree order as "YYYY/MM/DD HH:MM:SS|cell|cell",
// dated by the keys of the nodes it hangs from.
inline Lines storedRows(const DataTree& tree)
{
    auto key = [](const DataNode* node, const char* name) {
        const DataAttribute* a = DataTree::findAttribute(node, name);
        return std::string(a ? a->value() : "?");
    };
    Lines out;
    forEachDataline(tree, [&](const DataNode* line) {
        const DataNode* h = line->parent();
        const DataNode* d = h->parent();
        out.push_back(key(d->parent()->parent(), "year") + "/" + key(d->parent(), "month") + "/" + key(d, "day") +
                      " " + key(h, "hour") + ":" + key(line, "timestamp"));
        for (const DataNode* cell = line->firstChild(); cell; cell = cell->nextSibling())
            out.back() += "|" + std::string(cell->text());
        return true;
    });
    return out;
}

// A reader's world: a time zone without daylight saving, a folder for the
// files, and a context whose log and tree the test inspects.
class ReadingTest : public ::testing::Test {
protected:
    ReadResult read(const std::string& content, ScriptedContext* context = nullptr)
    {
        writeFile(dir.file("data.csv"), content);
        return readDataFile(context ? *context : c, dir.file("data.csv"));
    }
    Lines rows() { return storedRows(c.tree()); }

    ZoneScope zone{"UTC"};
    TempDir dir;
    ScriptedContext c;
};

} // namespace tsl::testing
