// The data operations and the writer on data that the reader stored from
// real files, rather than on trees built by hand.
#include "input/csv_reader.h"
#include "ops/clear_data.h"
#include "ops/fill_blanks.h"
#include "ops/data_walk.h"
#include "ops/fill_column.h"
#include "ops/preview.h"
#include "ops/unit_conversion.h"
#include "output/csv_writer.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using Texts = std::vector<std::string>;

class ReadDataOpsTest : public ::testing::Test {
protected:
    ReadDataOpsTest()
    {
        writeFile(dir.file("ahu.csv"), "Date,Time,AHU_TEMP,FLOW\r\n"
                                       "01/15/2019,13:05:00,70.0,500\r\n"
                                       "01/15/2019,13:06:00,,510\r\n"
                                       "01/15/2019,13:07:00,71.5,\r\n"
                                       "01/16/2019,00:00:00,72,5\r\n");
    }

    void read(const std::string& name)
    {
        context.reading().readInProgress = 1;
        ASSERT_EQ(readDataFile(context, dir.file(name)), ReadResult::Finished);
        context.reading().readInProgress = 0;
        readLines_ = context.newLines().size();
    }
    // Log lines since the last read.
    Texts linesSinceRead() const
    {
        const Texts all = context.newLines();
        return Texts(all.begin() + static_cast<std::ptrdiff_t>(readLines_), all.end());
    }
    // The cells of one column in every line, in order.
    Texts column(const std::string& label)
    {
        Texts texts;
        const DataTree& tree = context.tree();
        forEachDataline(tree, [&](const DataNode* line) {
            texts.emplace_back(tree.findNodeByAttribute(line, "label", "value", label)->text());
            return true;
        });
        return texts;
    }

    LocalZone zone{"UTC0"};
    TempDir dir;
    ScriptedContext context;
    std::size_t readLines_ = 0;
};

TEST_F(ReadDataOpsTest, PreviewShowsWhatWasRead)
{
    read("ahu.csv");
    OnPreviewData(context);
    EXPECT_EQ(linesSinceRead(), (Texts{"AHU_TEMP   FLOW   ", "70.00   500.00   ", "   510.00   ",
                                       "71.50      ", "72.00    5.00   "}));
}

TEST_F(ReadDataOpsTest, ConvertUnitsRewritesTheTemperatures)
{
    read("ahu.csv");
    OnConvertUnits(context);
    EXPECT_EQ(linesSinceRead(), (Texts{"Conversion selected: F -> K",
                                       " -> Converting data with label 'AHU_TEMP'",
                                       "Conversion completed.  Converted data in 1 columns."}));
    EXPECT_EQ(column("AHU_TEMP"), (Texts{"294.4140", "", "295.2474", "295.5252"}));
    EXPECT_EQ(column("FLOW"), (Texts{"500.00", "510.00", "", " 5.00"}));

    context.editSettings().conversion = 1;
    OnConversionChanged(context);
    OnConvertUnits(context);
    // 500 x 0.0005675 is 0.28375, which single precision holds as 0.2837499...
    EXPECT_EQ(column("FLOW"), (Texts{" 0.2837", " 0.2894", "", " 0.0028"}));
}

TEST_F(ReadDataOpsTest, FillBlanksCarriesReadingsForward)
{
    read("ahu.csv");
    OnFillBlanks(context);
    EXPECT_EQ(linesSinceRead(), (Texts{"Checking for missing data...", "Updated 2 items."}));
    EXPECT_EQ(column("AHU_TEMP"), (Texts{"70.00", "70.00", "71.50", "72.00"}));
    EXPECT_EQ(column("FLOW"), (Texts{"500.00", "510.00", "510.00", " 5.00"}));
}

TEST_F(ReadDataOpsTest, FillColumnSetsTheColumnOfEveryLine)
{
    read("ahu.csv");
    EXPECT_EQ(FillColumn(context.tree(), "FLOW", "0"), 4);
    EXPECT_EQ(column("FLOW"), (Texts{"0", "0", "0", "0"}));
    EXPECT_EQ(FillColumn(context.tree(), "AHU", "0"), 0);
}

TEST_F(ReadDataOpsTest, SaveWritesTheMergedFile)
{
    read("ahu.csv");
    context.chooseFiles({dir.file("merged.csv")});
    ASSERT_EQ(OnSaveToCsv(context), SaveOutcome::Saved);
    EXPECT_EQ(readFile(dir.file("merged.csv")), "Date, Time,AHU_TEMP,FLOW\r\n"
                                                "01/15/2019,13:05:00,70.00,500.00\r\n"
                                                "01/15/2019,13:06:00,,510.00\r\n"
                                                "01/15/2019,13:07:00,71.50,\r\n"
                                                "01/16/2019,00:00:00,72.00, 5.00\r\n");

    context.editSettings().splitDays = 1;
    context.chooseFiles({dir.file("day.csv")});
    ASSERT_EQ(OnSaveToCsv(context), SaveOutcome::Saved);
    EXPECT_EQ(readFile(dir.file("day 20190116.csv")), "Date,Time,AHU_TEMP,FLOW\r\n"
                                                      "01/16/2019,00:00:00,72.00, 5.00\r\n");
    EXPECT_TRUE(fileExists(dir.file("day 20190115.csv")));
    EXPECT_FALSE(fileExists(dir.file("day S01.csv")));
}

TEST_F(ReadDataOpsTest, ClearedDataIsReadAfresh)
{
    read("ahu.csv");
    OnFillBlanks(context);
    OnClearCsvData(context);
    EXPECT_EQ(linesSinceRead().back(), "Deleting data from CSV file(s).");
    read("ahu.csv");
    EXPECT_EQ(column("AHU_TEMP"), (Texts{"70.00", "", "71.50", "72.00"}));
}

} // namespace
