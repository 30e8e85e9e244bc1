#include "ops/clear_data.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

TEST(ClearCsvData, RemovesFileLabelsAndEveryDataButKeepsTemplates)
{
    ScriptedContext context;
    DataTree& tree = context.tree();
    SampleData data(tree, {"T1"});
    data.addRow(2019, 1, 15, 13, 0, 0, {"1"});
    tree.addChild(tree.root(), "outputTemplate");
    tree.addChild(tree.root(), "fileLabels");
    tree.addChild(tree.root(), "fileLabels");
    tree.copySubtree(tree.root(), data.dataNode());

    OnClearCsvData(context);

    EXPECT_EQ(context.newLines(), std::vector<std::string>{"Deleting data from CSV file(s)."});
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
    EXPECT_EQ(tree.findNode(tree.root(), "data"), nullptr);
    EXPECT_EQ(tree.findNode(tree.root(), "fileLabels"), nullptr);
    EXPECT_EQ(tree.findNode(tree.root(), "template"), data.templateNode());
    EXPECT_NE(tree.findNode(tree.root(), "outputTemplate"), nullptr);
    EXPECT_NE(tree.findNode(data.templateNode(), "label"), nullptr);
}

TEST(ClearCsvData, WithNothingReadOnlyLogs)
{
    ScriptedContext context;
    OnClearCsvData(context);
    EXPECT_EQ(context.newLines(), std::vector<std::string>{"Deleting data from CSV file(s)."});
    EXPECT_EQ(context.tree().root()->firstChild(), nullptr);
}

} // namespace
