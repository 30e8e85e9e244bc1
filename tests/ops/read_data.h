#pragma once

#include "input/reading_helpers.h"
#include "ops/data_walk.h"

namespace tsl::testing {

// Data the reader stored from a logger file, for the operations to work on.
class ReadData : public ReadingTest {
protected:
    // Reads "Date,Time,<labels>" and the given lines; the log is looked at
    // from there on.
    void readLines(const std::string& labels, const Lines& lines)
    {
        std::string file = "Date,Time," + labels + "\n";
        for (const std::string& line : lines)
            file += line + "\n";
        ASSERT_EQ(read(file), ReadResult::Finished);
        mark_ = c.newLines().size();
    }
    // An air handler's supply temperature and flow across midnight, with blanks.
    void readAhu()
    {
        readLines("AHU_TEMP,FLOW", {"01/15/2019,13:05:00,70.0,500", "01/15/2019,13:06:00,,510",
                                    "01/15/2019,13:07:00,71.5,", "01/16/2019,00:00:00,72,5"});
    }
    Lines logSinceRead()
    {
        const Lines all = c.newLines();
        return Lines(all.begin() + static_cast<std::ptrdiff_t>(mark_), all.end());
    }
    // The cells of one column in every data line, in order.
    Lines column(const std::string& label)
    {
        Lines texts;
        forEachDataline(c.tree(), [&](const DataNode* line) {
            const DataNode* cell = c.tree().findNodeByAttribute(line, "label", "value", label);
            texts.emplace_back(cell ? cell->text() : "<none>");
            return true;
        });
        return texts;
    }

private:
    std::size_t mark_ = 0;
};

} // namespace tsl::testing
