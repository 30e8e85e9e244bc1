#include "ops/preview.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using Texts = std::vector<std::string>;

TEST(PreviewData, ShowsTheLabelsAndEveryLineOfShortData)
{
    ScriptedContext context;
    SampleData data(context.tree(), {"T1", "T2"});
    data.addRow(2019, 1, 15, 13, 0, 0, {"1.00", " 0.5000"});
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "2.00"});
    data.addRow(2019, 1, 16, 0, 0, 0, {"3.00", ""});
    OnPreviewData(context);
    EXPECT_EQ(context.newLines(), (Texts{"T1   T2   ", "1.00    0.5000   ", "   2.00   ", "3.00      "}));
    EXPECT_FALSE(context.log().selected().has_value());
}

TEST(PreviewData, ShowsElevenLinesOfLongData)
{
    ScriptedContext context;
    SampleData data(context.tree(), {"N"});
    for (int minute = 0; minute < 100; ++minute)
        data.addRow(2019, 1, 15, minute / 60, minute % 60, 0, {std::to_string(minute)});
    OnPreviewData(context);
    const Texts lines = context.newLines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "N   ");
    EXPECT_EQ(lines[1], "0   ");
    EXPECT_EQ(lines[11], "10   ");
}

TEST(PreviewData, NoDataShowsNothing)
{
    ScriptedContext context;
    OnPreviewData(context);
    EXPECT_TRUE(context.newLines().empty());
}

TEST(PreviewData, AFirstLineWithoutCellsShowsEmptyLines)
{
    ScriptedContext context;
    DataTree& tree = context.tree();
    SampleData data(tree, {"T1"});
    DataNode* line = data.addRow(2019, 1, 15, 13, 0, 0, {"1.00"});
    tree.deleteNode(line->firstChild());
    data.addRow(2019, 1, 15, 13, 1, 0, {"2.00"});
    OnPreviewData(context);
    EXPECT_EQ(context.newLines(), (Texts{"", "", "2.00   "}));
}

TEST(PreviewData, LabelsOfOtherEncodingsReachTheLogAsUtf8)
{
    ScriptedContext context;
    SampleData data(context.tree(), {"T\xB0"});
    data.addRow(2019, 1, 15, 13, 0, 0, {"1"});
    OnPreviewData(context);
    EXPECT_EQ(context.newLines().front(), "T\xC2\xB0   ");
}

} // namespace
