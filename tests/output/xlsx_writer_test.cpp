#include "output/sample_data.h"
#include "output/xlsx_writer.h"
#include "support/file_size_limit.h"

#include <functional>
#include <sys/stat.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

// The workbook as an independent reader (openpyxl) sees it.
std::string dump(const std::string& path)
{
    const std::string command = "/usr/bin/python3 '" TSL_XLSX_DUMP "' '" + path + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return "popen failed";
    std::string text;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, got);
    ::pclose(pipe);
    return text;
}

struct ExcelWorld : SaveWorld {
    SaveOutcome saveXlsx(const std::string& name, int rowsPerSheet = excelRowsPerSheet)
    {
        c.chooseFiles({dir.file(name)});
        return OnSaveToExcel(c, rowsPerSheet);
    }
    std::string workbook(const std::string& name) const { return dump(dir.file(name)); }
    void outputTemplate(std::vector<const char*> labels)
    {
        DataNode* output = c.tree().addChild(c.tree().root(), "outputTemplate");
        for (const char* label : labels)
            c.tree().setAttribute(c.tree().addChild(output, "label"), "value", label);
    }
};

const char* const header = "'Date Time' | 'T1' | 'T2'\n";

} // namespace

// One workbook per case: the data and settings it was given, and all that
// the reader finds in it.
TEST(ExcelWriter, WritesDateTimesNumbersTextAndBlanksUnderTheLabels)
{
    struct Case { const char* what; std::function<void(ExcelWorld&)> give; std::string workbook; };
    auto row = [](ExcelWorld& w, int minute, Lines cells) { w.data.addRow(2019, 1, 15, 13, minute, 30, cells); };
    const Case cases[] = {
        {"every kind of cell, numbers shown with their decimals",
         [&](ExcelWorld& w) {
             row(w, 5, {"71.20", ""});
             row(w, 6, {" 7.5", "OFF"});
             row(w, 7, {"inf", "1e5"});
             row(w, 8, {"-0.0004", "nan"});
             row(w, 9, {"+12", "12 kW"});
         },
         std::string("sheet Data frozen=A2 filter=A1:C6 widths=20,8,6\n") + header +
             "2019-01-15 13:05:30{mm\\/dd\\/yyyy hh:mm:ss} | 71.2{0.00} | _\n"
             "2019-01-15 13:06:30{mm\\/dd\\/yyyy hh:mm:ss} | 7.5{0.0} | 'OFF'\n"
             "2019-01-15 13:07:30{mm\\/dd\\/yyyy hh:mm:ss} | 'inf' | 100000\n"
             "2019-01-15 13:08:30{mm\\/dd\\/yyyy hh:mm:ss} | -0.0004{0.0000} | 'nan'\n"
             "2019-01-15 13:09:30{mm\\/dd\\/yyyy hh:mm:ss} | 12{0} | '12 kW'\n"},
        {"the ISO layout, a long text widening its column",
         [&](ExcelWorld& w) {
             row(w, 5, {"1", std::string(30, 'x')});
             w.settings().dateFormat = 10;
         },
         std::string("sheet Data frozen=A2 filter=A1:C2 widths=20,5,31\n") + header +
             "2019-01-15 13:05:30{yyyy\\-mm\\-dd\\Thh:mm:ss} | 1{0} | '" + std::string(30, 'x') + "'\n"},
        {"an output template: only its labels that the data has, in the data's order",
         [&](ExcelWorld& w) {
             row(w, 5, {"1", "2"});
             w.outputTemplate({"MISSING", "T2"});
             w.settings().dateFormat = 12;
         },
         "sheet Data frozen=A2 filter=A1:B2 widths=15,5\n'Date Time' | 'T2'\n"
         "2019-01-15 13:05:30{yymmdd\\,\\ hhmmss} | 2{0}\n"},
        {"dates from a start date",
         [](ExcelWorld& w) {
             w.data.addRow(2019, 3, 1, 6, 0, 0, {"1", ""});
             w.data.addRow(2019, 3, 9, 6, 0, 0, {"2", ""});
             w.settings().writeDateFrom = true, w.settings().writeStartDate = localMidnight(2018, 12, 31);
             w.settings().dateFormat = 0;
         },
         std::string("sheet Data frozen=A2 filter=A1:C3 widths=20,5,5\n") + header +
             "2018-12-31 06:00:00{dd\\/mm\\/yyyy hh:mm:ss} | 1{0} | _\n"
             "2019-01-01 06:00:00{dd\\/mm\\/yyyy hh:mm:ss} | 2{0} | _\n"},
        {"no data: the header alone", [](ExcelWorld&) {},
         "sheet Data frozen=A2 filter=A1 widths=20\n'Date Time'\n"},
    };
    for (const Case& k : cases) {
        ExcelWorld w;
        k.give(w);
        EXPECT_EQ(w.saveXlsx("out.xlsx"), SaveOutcome::Saved) << k.what;
        EXPECT_EQ(w.workbook("out.xlsx"), k.workbook) << k.what;
        EXPECT_EQ(filesIn(w.dir.path()), Lines{"out.xlsx"}) << k.what;
        EXPECT_EQ(w.c.newLines(),
                  (Lines{"Starting output to file... ", "Saved data to Excel file '" + w.dir.file("out.xlsx") + "'."}))
            << k.what;
    }
}

TEST(ExcelWriter, ADateExcelCannotHoldIsWrittenAsTextAndSaysSo)
{
    ExcelWorld w;
    w.data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    DataNode* line = w.data.addRow(2019, 1, 16, 13, 5, 0, {"3", "4"});
    w.c.tree().setAttribute(line->parent()->parent(), "day", "32");
    ASSERT_EQ(w.saveXlsx("out.xlsx"), SaveOutcome::Saved);
    EXPECT_EQ(w.workbook("out.xlsx"), std::string("sheet Data frozen=A2 filter=A1:C3 widths=20,5,5\n") + header +
                                          "2019-01-15 13:05:00{mm\\/dd\\/yyyy hh:mm:ss} | 1{0} | 2{0}\n"
                                          "'01/32/2019 13:05:00' | 3{0} | 4{0}\n");
    EXPECT_TRUE(contains(w.c.newLines(), "WARNING: 1 data lines have no calendar date and time Excel can hold; "
                                         "their date and time are written as text."));
}

TEST(ExcelWriter, AFullSheetGoesOnOnANewSheetWithTheHeader)
{
    ExcelWorld w;
    for (int minute = 0; minute < 5; ++minute)
        w.data.addRow(2019, 1, 15, 13, minute, 0, {std::to_string(minute), ""});
    ASSERT_EQ(w.saveXlsx("out.xlsx", 3), SaveOutcome::Saved);
    auto rowAt = [](int minute) {
        return "2019-01-15 13:0" + std::to_string(minute) + ":00{mm\\/dd\\/yyyy hh:mm:ss} | " +
               std::to_string(minute) + "{0} | _\n";
    };
    const std::string sheetOfTwo = "frozen=A2 filter=A1:C3 widths=20,5,5\n";
    EXPECT_EQ(w.workbook("out.xlsx"), "sheet Data " + sheetOfTwo + header + rowAt(0) + rowAt(1) + "sheet Data 2 " +
                                          sheetOfTwo + header + rowAt(2) + rowAt(3) +
                                          "sheet Data 3 frozen=A2 filter=A1:C2 widths=20,5,5\n" + header + rowAt(4));
    EXPECT_EQ(w.c.newLines(),
              (Lines{"Starting output to file... ",
                     "NOTE- Sheet 'Data' holds the 3 rows a sheet can: the data goes on on sheet 'Data 2'.",
                     "NOTE- Sheet 'Data 2' holds the 3 rows a sheet can: the data goes on on sheet 'Data 3'.",
                     "Saved data to Excel file '" + w.dir.file("out.xlsx") + "'."}));
}

TEST(ExcelWriter, SplitSavesNameWorkbooksAfterTheirLastDay)
{
    ExcelWorld w;
    w.settings().splitDays = 1;
    for (int day = 15; day <= 16; ++day)
        w.data.addRow(2019, 1, day, 8, 0, 0, {std::to_string(day), "a"});
    writeFile(w.dir.file("out 20190116.xlsx"), "an earlier workbook");
    ASSERT_EQ(w.saveXlsx("out.xlsx"), SaveOutcome::Saved);
    EXPECT_EQ(filesIn(w.dir.path()), (Lines{"out 20190115.xlsx", "out 20190116 (2).xlsx", "out 20190116.xlsx"}));
    EXPECT_EQ(w.saved("out 20190116.xlsx"), "an earlier workbook");
    EXPECT_EQ(w.workbook("out 20190116 (2).xlsx"), std::string("sheet Data frozen=A2 filter=A1:C2 widths=20,5,5\n") +
                                                       header + "2019-01-16 08:00:00{mm\\/dd\\/yyyy hh:mm:ss} | 16{0} | 'a'\n");
    EXPECT_EQ(w.c.newLines(),
              (Lines{"Data output to file " + w.dir.file("out 20190115.xlsx"),
                     "NOTE- Excel file could not be named '" + w.dir.file("out 20190116.xlsx") +
                         "'.  Data output kept in file '" + w.dir.file("out 20190116 (2).xlsx") + "'.",
                     "Data output to file " + w.dir.file("out 20190116 (2).xlsx"), "Saved data to Excel files."}));
}

// A workbook kept under a working name by an earlier save, and a dated name
// that is a file read in this session, stay as they were.
TEST(ExcelWriter, SplitSavesReplaceNeitherKeptWorkingFilesNorFilesRead)
{
    ExcelWorld w;
    w.settings().splitDays = 1;
    for (int day = 15; day <= 16; ++day)
        w.data.addRow(2019, 1, day, 8, 0, 0, {std::to_string(day), "a"});
    writeFile(w.dir.file("out S01.xlsx"), "kept by an earlier save");
    const std::string read = w.dir.file("out 20190115.xlsx");
    writeFile(read, "Date,Time,T1\n01/15/2019,08:00:00,1\n");
    w.c.filesRead().notePath(read, ReadKind::DataFile);
    ASSERT_EQ(w.saveXlsx("out.xlsx"), SaveOutcome::Saved);
    EXPECT_EQ(filesIn(w.dir.path()),
              (Lines{"out 20190115 (2).xlsx", "out 20190115.xlsx", "out 20190116.xlsx", "out S01.xlsx"}));
    EXPECT_EQ(w.saved("out S01.xlsx"), "kept by an earlier save");
    EXPECT_EQ(w.saved("out 20190115.xlsx"), "Date,Time,T1\n01/15/2019,08:00:00,1\n");
    EXPECT_EQ(w.saved("out 20190115 (2).xlsx").substr(0, 2), "PK");
    EXPECT_EQ(w.c.newLines().at(0), "NOTE- Excel file could not be named '" + read +
                                         "': it is a data file read in this session.  Data output kept in file '" +
                                         w.dir.file("out 20190115 (2).xlsx") + "'.");
}

TEST(ExcelWriter, FailuresSaveNothingAndLeaveEveryFileAsItWas)
{
    const std::string openFailed = "ERROR: Problem encountered opening Excel output file.  No data was saved to file.";
    struct Case { const char* name; std::function<void(ExcelWorld&)> give; SaveOutcome outcome; std::string logged; };
    const Case cases[] = {
        {nullptr, [](ExcelWorld&) {}, SaveOutcome::Cancelled, "ERROR: Excel save file name not entered.  No data was saved."},
        {"missing/out.xlsx", [](ExcelWorld&) {}, SaveOutcome::OpenFailed, openFailed},
        {"out.xlsx", [](ExcelWorld& w) { ::chmod(w.dir.file("out.xlsx").c_str(), 0444); }, SaveOutcome::OpenFailed, openFailed},
    };
    for (const Case& k : cases) {
        ExcelWorld w;
        w.data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
        writeFile(w.dir.file("out.xlsx"), "keep me");
        k.give(w);
        w.c.chooseFiles(k.name ? std::vector<std::string>{w.dir.file(k.name)} : std::vector<std::string>{});
        EXPECT_EQ(OnSaveToExcel(w.c), k.outcome) << k.name;
        EXPECT_EQ(w.c.newLines(), Lines{k.logged}) << k.name;
        EXPECT_EQ(filesIn(w.dir.path()), Lines{"out.xlsx"}) << k.name;
        EXPECT_EQ(w.saved("out.xlsx"), "keep me") << k.name;
    }

    ExcelWorld full;
    for (int minute = 0; minute < 600; ++minute)
        full.data.addRow(2019, 1, 1 + minute / 60, minute % 24, minute % 60, 0, {"123.45", "678.90"});
    writeFile(full.dir.file("out.xlsx"), "earlier");
    {
        FileSizeLimit disk(4096);
        EXPECT_EQ(full.saveXlsx("out.xlsx"), SaveOutcome::WriteFailed);
    }
    EXPECT_EQ(full.c.newLines().back(), "ERROR: Problem encountered writing Excel output file '" +
                                            full.dir.file("out.xlsx") + "'.  No data was saved to that file.");
    EXPECT_EQ(full.saved("out.xlsx"), "earlier");
    EXPECT_EQ(filesIn(full.dir.path()), Lines{"out.xlsx"});
}
