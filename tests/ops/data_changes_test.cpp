// Whether the data held was changed since it was saved: the commands that
// change it say so, the saves that write it all clear it.
#include "input/read_commands.h"
#include "input/reading_helpers.h"
#include "ops/clear_data.h"
#include "ops/fill_blanks.h"
#include "ops/fill_values.h"
#include "ops/preview.h"
#include "ops/unit_conversion.h"
#include "output/csv_writer.h"
#include "tree/xml_commands.h"

#include <functional>

using namespace tsl;
using namespace tsl::testing;

TEST_F(ReadingTest, CommandsThatChangeTheDataMarkItUnsavedAndSavesMarkItSaved)
{
    writeFile(dir.file("day.csv"), "Date,Time,TEMP1,FLOW\n01/02/2015,10:00:00,70,\n01/02/2015,10:01:00,71,5\n");
    struct Step {
        const char* what;
        std::function<void()> run;
        bool unsaved;
    };
    auto saveAs = [&](const char* name) {
        c.chooseFiles({dir.file(name)});
        OnSaveToCsv(c);
    };
    const Step steps[] = {
        {"a new window", [] {}, false},
        {"a read", [&] { readDataFile(c, dir.file("day.csv")); }, true},
        {"a cancelled save", [&] { OnSaveToCsv(c); }, true},
        {"a CSV save", [&] { saveAs("out.csv"); }, false},
        {"a preview", [&] { OnPreviewData(c); }, false},
        {"a conversion", [&] { OnConvertUnits(c); }, true},
        {"an XML save", [&] { c.chooseFiles({dir.file("all.xml")}); OnSaveToXml(c); }, false},
        {"a fill of blanks", [&] { OnFillBlanks(c); }, true},
        {"a split save", [&] { c.editSettings().splitDays = 1; saveAs("split.csv"); }, false},
        {"a fill of a column no line has", [&] { fillValues(c, "NONE", "1"); }, false},
        {"a fill of a column", [&] { fillValues(c, "FLOW", "1"); }, true},
        {"a save of one file", [&] { c.editSettings().splitDays = 0; saveAs("again.csv"); }, false},
        {"an XML file read back", [&] { c.chooseFiles({dir.file("all.xml")}); OnReadCsvData(c); }, true},
        {"a save before clearing", [&] { saveAs("last.csv"); }, false},
        {"clearing", [&] { OnClearCsvData(c); }, true},
    };
    for (const Step& step : steps) {
        step.run();
        EXPECT_EQ(c.dataChanges().unsaved(), step.unsaved) << step.what;
    }
}
