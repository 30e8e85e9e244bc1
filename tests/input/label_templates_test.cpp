#include "input/label_templates.h"

#include "input/reading_helpers.h"

#include <gtest/gtest.h>

namespace tsl {
namespace {

using namespace tsl::testing;
using Lines = std::vector<std::string>;

class Templates : public ::testing::Test {
protected:
    std::string file(const std::string& content, const std::string& name = "labels.csv")
    {
        writeFile(dir.file(name), content);
        return dir.file(name);
    }
    Lines labelsOf(const char* node)
    {
        Lines out;
        DataNode* parent = c.tree().findNode(c.tree().root(), node);
        for (DataNode* l = parent ? parent->firstChild() : nullptr; l; l = l->nextSibling())
            out.push_back(DataTree::formatNode(l));
        return out;
    }

    TempDir dir;
    ScriptedContext c;
};

TEST_F(Templates, ReadsTheHeaderIntoTheInputTemplate)
{
    const std::string path = file("Date Time, TEMP, FLOW,Valve\r\n1,2,3,4\n");
    c.chooseFiles({path});
    OnReadLabelTemplate(c);
    const Lines expected = {R"(<label value="TEMP" order="1" />)", R"(<label value="FLOW" order="2" />)",
                            R"(<label value="Valve" order="3" />)"};
    Lines lines{"Entered file '" + path + "'", "Read labels:"};
    lines.insert(lines.end(), expected.begin(), expected.end());
    lines.push_back("Done reading labels.");
    EXPECT_EQ(c.newLines(), lines);
    EXPECT_EQ(labelsOf("template"), expected);
    EXPECT_EQ(DataTree::findAttribute(c.tree().findNode(c.tree().root(), "template"), "fileName")->value(), path);
    EXPECT_EQ(c.controlText(ControlId::TemplateFileName), path);
    EXPECT_FALSE(c.log().selected().has_value());
    ASSERT_EQ(c.dialogsShown().size(), 1u);
    EXPECT_EQ(c.dialogsShown()[0].title, "Find Label Template File");
}

TEST_F(Templates, SplittingRules)
{
    DataTree& tree = c.tree();
    DataNode* node = tree.addChild(tree.root(), "template");
    MessageLog& log = c.log();
    // Trailing punctuation below '0' goes once; the last label keeps it
    // because the line end is what goes there.
    addTemplateLabels(tree, node, "t,Temp (F),Flow (cfm)\n", 259, log);
    addTemplateLabels(tree, node, "t,A ,B  ,\n", 259, log);
    addTemplateLabels(tree, node, "t,\"x,y\",,Zz", 259, log);
    addTemplateLabels(tree, node, "no comma at all\n", 259, log);
    addTemplateLabels(tree, node, "t,P,Q", 259, log);
    EXPECT_EQ(labelsOf("template"),
              (Lines{R"(<label value="Temp (F" order="1" />)", R"x(<label value="Flow (cfm)" order="2" />)x",
                     R"(<label value="A" order="1" />)", R"(<label value="B " order="2" />)",
                     R"(<label value=""x" order="1" />)", R"(<label value="y" order="2" />)",
                     R"(<label order="3" />)", R"(<label value="Zz" order="4" />)",
                     R"(<label value="P" order="1" />)"}));
}

TEST_F(Templates, LongLabelsAndLinesAreCut)
{
    DataTree& tree = c.tree();
    DataNode* node = tree.addChild(tree.root(), "template");
    addTemplateLabels(tree, node, "t," + std::string(300, 'L') + ",M1\n", 259, c.log());
    DataNode* first = node->firstChild();
    EXPECT_EQ(DataTree::findAttribute(first, "value")->value(), std::string(259, 'L'));
    const Lines& all = c.log().lines();
    EXPECT_EQ(all[all.size() - 2], std::string(R"(<label value=")") + std::string(185, 'L'));

    const std::string longHeader = "t," + std::string(10000, 'x') + "\n";
    c.chooseFiles({file(longHeader, "long.csv")});
    OnReadLabelTemplate(c);
    Lines lines = c.newLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ERROR: Could not read in entire template string- string too long.  TSL will not be able to "
                        "read all columns."),
              lines.end());
    EXPECT_EQ(lines.back(), "Done reading labels.");
}

TEST_F(Templates, AOneLineFileWithoutLineEnd)
{
    c.chooseFiles({file("t,A,B")});
    OnReadLabelTemplate(c);
    Lines lines = c.newLines();
    EXPECT_EQ(lines[1],
              "ERROR: Could not read in entire template string- string too long.  TSL will not be able to read all "
              "columns.");
    EXPECT_EQ(labelsOf("template"), (Lines{R"(<label value="A" order="1" />)"}));
}

TEST_F(Templates, ReadingTwiceAddsTheLabelsAgain)
{
    const std::string path = file("t,T1,T2\n");
    c.chooseFiles({path});
    c.chooseFiles({path});
    OnReadLabelTemplate(c);
    OnReadLabelTemplate(c);
    EXPECT_EQ(labelsOf("template").size(), 4u);
    Lines lines = c.newLines();
    const Lines second(lines.begin() + 5, lines.end());
    EXPECT_EQ(second, (Lines{"Entered file '" + path + "'", "Read labels:", "Adding labels to list- already have labels:",
                             " - T1", " - T2", R"(<label value="T1" order="1" />)", R"(<label value="T2" order="2" />)",
                             "Done reading labels."}));
}

TEST_F(Templates, NoFileChosenOrUnreadable)
{
    c.chooseFiles({});
    OnReadLabelTemplate(c);
    EXPECT_EQ(c.newLines(), (Lines{"CSV file name not entered", "Error opening CSV file"}));
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    c.chooseFiles({dir.file("missing.csv")});
    OnSetOutputTemplate(c);
    EXPECT_EQ(c.newLines().back(), "Error opening CSV file");
    EXPECT_EQ(c.tree().root()->firstChild(), nullptr);
}

TEST_F(Templates, OutputTemplateReplaceOrExtend)
{
    const std::string first = file("t,OA1,OA2\n", "first.csv");
    const std::string second = file("t,OB1\n", "second.csv");
    c.chooseFiles({first});
    OnSetOutputTemplate(c);
    EXPECT_EQ(c.newLines(), (Lines{"Entered file '" + first + "'", "find labels:", R"(<label value="OA1" order="1" />)",
                                   R"(<label value="OA2" order="2" />)"}));
    EXPECT_TRUE(c.questionsAsked().empty());

    c.chooseFiles({second});
    c.answer(MessageAnswer::Cancel);
    OnSetOutputTemplate(c);
    EXPECT_EQ(labelsOf("outputTemplate").size(), 3u);
    Lines lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 4, lines.end()), (Lines{"Adding labels to list- already have labels:", " - OA1",
                                                          " - OA2", R"(<label value="OB1" order="1" />)"}));

    c.chooseFiles({second});
    c.answer(MessageAnswer::Ok);
    OnSetOutputTemplate(c);
    EXPECT_EQ(c.questionsAsked().back(), "Output labels already exist- delete before continuing?");
    EXPECT_EQ(labelsOf("outputTemplate"), (Lines{R"(<label value="OB1" order="1" />)"}));
    lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 2, lines.end()),
              (Lines{"Previously read labels have been deleted.", R"(<label value="OB1" order="1" />)"}));
    EXPECT_EQ(c.tree().findNode(c.tree().root(), "template"), nullptr);
}

TEST_F(Templates, OutputTemplateReadsOnlyThePartOfTheLineItsBufferHolds)
{
    c.chooseFiles({file("t,AA," + std::string(2000, 'b') + "\n")});
    OnSetOutputTemplate(c);
    Lines labels = labelsOf("outputTemplate");
    ASSERT_EQ(labels.size(), 2u);
    // 1,989 bytes of the line: "t,AA," and 1,984 b's, of which 199 are kept.
    EXPECT_EQ(labels[1], R"(<label value=")" + std::string(199, 'b') + R"(" order="2" />)");
    Lines lines = c.newLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("ERROR", 0) == 0; }),
              0);
}

} // namespace
} // namespace tsl
