#include "input/csv_reader.h"
#include "input/import_command.h"
#include "output/csv_writer.h"

#include "input/reading_helpers.h"

#include <filesystem>

#ifndef TSL_SHARED_DATA_DIR
#define TSL_SHARED_DATA_DIR ""
#endif

namespace tsl {
namespace {

using namespace tsl::testing;
namespace fs = std::filesystem;

const fs::path realExports = fs::path(TSL_SHARED_DATA_DIR) / "real";

std::vector<std::string> csvFilesIn(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".csv")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

const DataNode* keyedChild(const DataNode* parent, std::string_view key, const std::string& value)
{
    for (const DataNode* child = parent ? parent->firstChild() : nullptr; child; child = child->nextSibling()) {
        const DataAttribute* a = DataTree::findAttribute(child, key);
        if (a && a->value() == value)
            return child;
    }
    return nullptr;
}

// The text of one stored cell, walking year, month, day, hour and dataline.
std::string cellOf(DataTree& tree, const std::string& y, const std::string& m, const std::string& d,
                   const std::string& h, const std::string& key, const std::string& label)
{
    const DataNode* node = tree.findNode(tree.root(), "data");
    node = keyedChild(keyedChild(keyedChild(keyedChild(node, "year", y), "month", m), "day", d), "hour", h);
    node = keyedChild(keyedChild(node, "timestamp", key), "value", label);
    return node ? std::string(node->text()) : "<no cell>";
}

std::string saveCsv(ScriptedContext& c, const std::string& path)
{
    c.chooseFiles({path});
    EXPECT_EQ(OnSaveToCsv(c), SaveOutcome::Saved);
    return readFile(path);
}

class ImportRealExports : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(realExports))
            GTEST_SKIP() << "no real exports at " << realExports;
    }
    ZoneScope zone{"UTC"};
    TempDir dir;
    ScriptedContext c;
};

TEST_F(ImportRealExports, AirHandlerPointsMergeIntoOneCsv)
{
    c.editSettings().interval = DataInterval::Min5;
    const ImportResult result = OnImportExports(c, csvFilesIn(realExports / "open-fdd-ahu-s7"), dir.path());
    EXPECT_EQ(result.imported, 31);
    EXPECT_EQ(result.refused, 0);
    EXPECT_EQ(result.finished, 31);
    EXPECT_EQ(c.settings().dateFormat, 1); // the user's layout again

    // 07-May-22 12:15:00 PM CDT,72.6: noon, not midnight
    EXPECT_EQ(cellOf(c.tree(), "2022", "05", "07", "12", "15:00", "S-7_ZN-T [\xC2\xB0""F]"), "72.60");
    EXPECT_EQ(cellOf(c.tree(), "2022", "05", "07", "12", "00:00", "S-7_DA-T [\xC2\xB0""F]"), "72.40");
    // 06-Jun-22 11:55:00 AM CDT,50.1 and 5/7/2022 13:00 -> 1 PM readings
    EXPECT_EQ(cellOf(c.tree(), "2022", "06", "06", "11", "55:00", "S-7_DA-H [%RH]"), "50.10");
    EXPECT_EQ(cellOf(c.tree(), "2022", "05", "07", "13", "00:00", "S-7_DA-H [%RH]"), "30.20");
    // 02-Mar-22 5:00:09 PM CST,Off lands at 17:00 as 0
    EXPECT_EQ(cellOf(c.tree(), "2022", "03", "02", "17", "00:00", "S-7_EF5-C"), " 0.00");

    const std::string csv = saveCsv(c, dir.file("merged.csv"));
    const std::string header = csv.substr(0, csv.find("\r\n"));
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 32) << header; // date, time and 31 columns
    for (const char* column : {",duct_static,", ",S-7_FBD-SP,", ",S_7_PH-O [%]", ",supply_vfd_speed,"})
        EXPECT_NE(header.find(column), std::string::npos) << column;
}

TEST_F(ImportRealExports, EveryOtherFileImportsWithItsTimesAndLabels)
{
    std::vector<std::string> files;
    for (const char* folder : {"abce", "open-fdd-plant", "trendreview"})
        for (const std::string& file : csvFilesIn(realExports / folder))
            files.push_back(file);
    c.editSettings().interval = DataInterval::None;
    const ImportResult result = OnImportExports(c, files, dir.path());
    EXPECT_EQ(result.imported, 5);
    EXPECT_EQ(result.failed, 0);
    DataTree& t = c.tree();
    // 2,10/02/13 06:30:00 AM,19.817,... (month-first; the row number left out)
    EXPECT_EQ(cellOf(t, "2013", "10", "02", "06", "30:00", "Temp [\xC2\xB0""C]"), "19.82");
    // 2021-11-01 00:20:00+00:00,390,65,0,12.9
    EXPECT_EQ(cellOf(t, "2021", "11", "01", "00", "20:00", "co2 ['ppm']"), "390.00");
    // 8/28/2007 0:01,75.71,...
    EXPECT_EQ(cellOf(t, "2007", "08", "28", "00", "01:00", "AHU: Supply Air Temperature"), "75.71");
    // 01-Jan-23 12:15:00 AM CST,41,42,nan,nan,0,0,139.4,141.1,66,OFF,...
    EXPECT_EQ(cellOf(t, "2023", "01", "01", "00", "15:00", "Boiler1_FireRate_value"), "42.00");
    EXPECT_EQ(cellOf(t, "2023", "01", "01", "00", "15:00", "Boiler_OAT_value_f"), "");
    EXPECT_EQ(cellOf(t, "2023", "01", "01", "00", "15:00", "Boiler1_HWS_value_f"), "138.70");
    // 11/19/2021,0:05,2021-11-19T00:05,52.5,33.6,33.6,412,65,67.5,1,1,COOL,0,0,0,63,67.5,YES,412
    EXPECT_EQ(cellOf(t, "2021", "11", "19", "00", "05:00", "HeatCoolMode"), "");
    EXPECT_EQ(cellOf(t, "2021", "11", "19", "00", "05:00", "AirflowSetpoint"), "412.00");
}

TEST(ImportCommand, ReadableFileMergesAsTheReaderReadsIt)
{
    ZoneScope zone("UTC");
    TempDir dir;
    const std::string data = "Date,Time,T1,T2\r\n"
                             "01/13/2015,10:00:00,1.5,2.5\r\n"
                             "01/13/2015,10:00:30,3.5,\r\n"
                             "01/13/2015,10:01:00,5.5,4.5\r\n"
                             "01/14/2015,00:00:00,7,8\r\n";
    writeFile(dir.file("logger.csv"), data);

    ScriptedContext direct;
    ASSERT_EQ(readDataFile(direct, dir.file("logger.csv")), ReadResult::Finished);
    ScriptedContext imported;
    imported.editSettings().dateFormat = 0;
    const ImportResult result = OnImportExports(imported, {dir.file("logger.csv")});
    EXPECT_EQ(result.finished, 1);
    EXPECT_EQ(imported.settings().dateFormat, 0);
    EXPECT_TRUE(fileExists(dir.file("logger.import.csv")));
    EXPECT_EQ(readFile(dir.file("logger.csv")), data);

    imported.editSettings().dateFormat = 1;
    EXPECT_EQ(saveCsv(imported, dir.file("b.csv")), saveCsv(direct, dir.file("a.csv")));

    // Importing again reuses the identical copy; a different file of that
    // name is never replaced.
    writeFile(dir.file("other.import.csv"), "someone else's file");
    writeFile(dir.file("other.csv"), data);
    ScriptedContext again;
    const ImportResult second = OnImportExports(again, {dir.file("logger.csv"), dir.file("other.csv")});
    EXPECT_EQ(second.preparedPaths,
              (std::vector<std::string>{dir.file("logger.import.csv"), dir.file("other.import-2.csv")}));
    EXPECT_EQ(readFile(dir.file("other.import.csv")), "someone else's file");
}

TEST(ImportCommand, UnreadableFilesAreRefusedWithTheReason)
{
    TempDir dir;
    writeFile(dir.file("ambiguous.csv"), "t,v\n01/02/2020 10:00,1\n01/02/2020 11:00,2\n");
    writeFile(dir.file("words.csv"), "a,b\nx,y\nz,w\n");
    ScriptedContext c;
    const ImportResult result =
        OnImportExports(c, {dir.file("ambiguous.csv"), dir.file("words.csv"), dir.file("missing.csv")});
    EXPECT_EQ(result.refused, 3);
    EXPECT_EQ(result.imported, 0);
    bool reasonGiven = false;
    for (const std::string& l : c.newLines())
        reasonGiven |= l.rfind("Import refused:", 0) == 0 && l.find("day-first from month-first") != std::string::npos;
    EXPECT_TRUE(reasonGiven);
    EXPECT_FALSE(fileExists(dir.file("ambiguous.import.csv")));
}

} // namespace
} // namespace tsl
