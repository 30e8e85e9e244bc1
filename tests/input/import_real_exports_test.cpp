#include "input/csv_reader.h"
#include "input/import_command.h"
#include "output/csv_writer.h"

#include "input/reading_helpers.h"

#include <filesystem>

namespace tsl {
namespace {

using namespace tsl::testing;
namespace fs = std::filesystem;

const fs::path realExports = fs::path(TSL_TEST_DATA_DIR) / "real";

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
    const ImportResult result = importExports(c, csvFilesIn(realExports / "open-fdd-ahu-s7"), dir.path());
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
    // Fan statuses are held from change to change: 0 for steps entirely off,
    // 1 entirely on, else the share of the step spent on. S-7_EF5-C:
    // On at 02-Mar-22 12:00:43 PM, Off at 5:00:09 PM.
    EXPECT_EQ(cellOf(c.tree(), "2022", "03", "02", "17", "00:00", "S-7_EF5-C"), " 1.00");
    EXPECT_EQ(cellOf(c.tree(), "2022", "03", "02", "17", "05:00", "S-7_EF5-C"), " 0.03"); // 9 s of 300
    // S-7_SF-S: Off at 02-Mar-22 5:01:35 PM, On at 03-Mar-22 7:00:17 AM
    struct Step { const char* day; const char* hour; const char* key; const char* cell; };
    for (const Step& s : {Step{"02", "17", "00:00", " 1.00"}, Step{"02", "17", "05:00", " 0.32"},
                          Step{"03", "03", "00:00", " 0.00"}, Step{"03", "07", "00:00", " 0.00"},
                          Step{"03", "07", "05:00", " 0.94"}, Step{"03", "07", "10:00", " 1.00"}})
        EXPECT_EQ(cellOf(c.tree(), "2022", "03", s.day, s.hour, s.key, "S-7_SF-S"), s.cell) << s.day << s.hour << s.key;
    // S-7_ECON-C writes FALSE then TRUE at one instant: TRUE holds from 3/18/2022 4:42
    EXPECT_EQ(cellOf(c.tree(), "2022", "03", "18", "04", "45:00", "S-7_ECON-C"), " 1.00");
    // Nothing is held past a file's last reading (S-7_EF6-c: 12-May-22 6:41:01 AM).
    EXPECT_EQ(cellOf(c.tree(), "2022", "05", "12", "06", "45:00", "S-7_EF6-c"), " 0.80"); // on 49 s of 61
    EXPECT_EQ(cellOf(c.tree(), "2022", "05", "12", "06", "50:00", "S-7_EF6-c"), "");

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
    const ImportResult result = importExports(c, files, dir.path());
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
    EXPECT_EQ(cellOf(t, "2021", "11", "19", "00", "05:00", "HeatCoolMode"), " 1.00"); // 1 = COOL
    EXPECT_EQ(cellOf(t, "2021", "11", "19", "00", "05:00", "STPTDIAL"), " 1.00");     // YES
    EXPECT_EQ(cellOf(t, "2021", "11", "19", "00", "05:00", "AirflowSetpoint"), "412.00");
}

} // namespace
} // namespace tsl
