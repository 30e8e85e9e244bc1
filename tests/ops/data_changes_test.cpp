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
#include "output/xlsx_writer.h"
#include "output/xml_save.h"
#include "support/file_size_limit.h"

#include <cstdio>
#include <filesystem>
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

// A workbook marks the data saved as a CSV file does: only when every line
// went into files that are now in place.
TEST_F(ReadingTest, AnExcelSaveMarksTheDataSavedOnlyWhenItWroteItAll)
{
    // One line on the first day, then a day too long for a nearly full disk.
    std::string text = "Date,Time,TEMP1,FLOW\n01/02/2015,10:00:00,70,1\n";
    for (int minute = 0; minute < 600; ++minute) {
        char line[64];
        std::snprintf(line, sizeof line, "01/03/2015,%02d:%02d:00,7%d.25,12.5\n", minute / 60, minute % 60, minute % 10);
        text += line;
    }
    writeFile(dir.file("days.csv"), text);
    readDataFile(c, dir.file("days.csv"));
    ASSERT_TRUE(c.dataChanges().unsaved());

    struct Case {
        const char* what;
        const char* name;
        int splitDays;
        rlim_t diskRoom; // 0: room enough
        SaveOutcome outcome;
    };
    const Case cases[] = {
        {"cancelled", nullptr, 0, 0, SaveOutcome::Cancelled},
        {"a folder that is not there", "missing/out.xlsx", 0, 0, SaveOutcome::OpenFailed},
        {"a full disk", "full.xlsx", 0, 20000, SaveOutcome::WriteFailed},
        {"a split whose second workbook fills the disk", "part.xlsx", 1, 20000, SaveOutcome::WriteFailed},
        {"one workbook", "out.xlsx", 0, 0, SaveOutcome::Saved},
        {"a workbook per day", "day.xlsx", 1, 0, SaveOutcome::Saved},
    };
    for (const Case& k : cases) {
        c.dataChanges().markChanged();
        c.editSettings().splitDays = k.splitDays;
        c.chooseFiles(k.name ? std::vector<std::string>{dir.file(k.name)} : std::vector<std::string>{});
        SaveOutcome outcome;
        if (k.diskRoom > 0) {
            FileSizeLimit disk(k.diskRoom);
            outcome = OnSaveToExcel(c);
        } else {
            outcome = OnSaveToExcel(c);
        }
        EXPECT_EQ(outcome, k.outcome) << k.what;
        EXPECT_EQ(c.dataChanges().unsaved(), k.outcome != SaveOutcome::Saved) << k.what;
    }
    // The split that failed had put its first day in place before the disk
    // filled; no workbook cut short took a name.
    EXPECT_TRUE(std::filesystem::exists(dir.file("part 20150102.xlsx")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("part 20150103.xlsx")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("full.xlsx")));
}
