#include "input/label_templates.h"
#include "input/reading_helpers.h"

using namespace tsl;
using namespace tsl::testing;

namespace {

class Templates : public ReadingTest {
protected:
    void choose(const std::string& content, const std::string& name = "labels.csv")
    {
        writeFile(dir.file(name), content);
        c.chooseFiles({dir.file(name)});
    }
    Lines labelsOf(const char* node)
    {
        Lines out;
        DataNode* parent = c.tree().findNode(c.tree().root(), node);
        for (DataNode* l = parent ? parent->firstChild() : nullptr; l; l = l->nextSibling())
            out.push_back(DataTree::formatNode(l));
        return out;
    }
    Lines lastLines(std::size_t count)
    {
        const Lines all = c.newLines();
        return Lines(all.end() - static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end());
    }
};

const char* const tooLong =
    "ERROR: Could not read in entire template string- string too long.  TSL will not be able to read all columns.";

} // namespace

TEST_F(Templates, ReadsTheHeaderIntoTheInputTemplateAndAddsToItWhenReadAgain)
{
    choose("Date Time, TEMP, FLOW,Valve\r\n1,2,3,4\n");
    OnReadLabelTemplate(c);
    const Lines labels = {R"(<label value="TEMP" order="1" />)", R"(<label value="FLOW" order="2" />)",
                          R"(<label value="Valve" order="3" />)"};
    EXPECT_EQ(c.newLines(), (Lines{"Entered file '" + dir.file("labels.csv") + "'", "Read labels:", labels[0],
                                   labels[1], labels[2], "Done reading labels."}));
    EXPECT_EQ(labelsOf("template"), labels);
    EXPECT_EQ(DataTree::findAttribute(c.tree().findNode(c.tree().root(), "template"), "fileName")->value(),
              dir.file("labels.csv"));
    EXPECT_EQ(c.controlText(ControlId::TemplateFileName), dir.file("labels.csv"));
    EXPECT_FALSE(c.log().selected().has_value());

    choose("t,T1\n");
    OnReadLabelTemplate(c);
    EXPECT_EQ(labelsOf("template").size(), 4u);
    EXPECT_TRUE(contains(c.newLines(), " - Valve"));
}

TEST_F(Templates, SplittingRules)
{
    DataTree& tree = c.tree();
    DataNode* node = tree.addChild(tree.root(), "template");
    // Trailing punctuation below '0' goes once; the last label keeps it
    // because the line end is what goes there.
    for (const char* header : {"t,Temp (F),Flow (cfm)\n", "t,A ,B  ,\n", "t,\"x,y\",,Zz", "no comma at all\n", "t,P,Q"})
        addTemplateLabels(tree, node, header, 259, c.log());
    EXPECT_EQ(labelsOf("template"),
              (Lines{R"(<label value="Temp (F" order="1" />)", R"x(<label value="Flow (cfm)" order="2" />)x",
                     R"(<label value="A" order="1" />)", R"(<label value="B " order="2" />)",
                     R"(<label value=""x" order="1" />)", R"(<label value="y" order="2" />)",
                     R"(<label order="3" />)", R"(<label value="Zz" order="4" />)",
                     R"(<label value="P" order="1" />)"}));
    // Labels are cut at the limit; their log lines at a log line's.
    addTemplateLabels(tree, node, "t," + std::string(300, 'L') + ",M1\n", 259, c.log());
    EXPECT_EQ(labelsOf("template").at(9), R"(<label value=")" + std::string(259, 'L') + R"(" order="1" />)");
    EXPECT_EQ(lastLines(2).at(0), R"(<label value=")" + std::string(185, 'L'));
}

TEST_F(Templates, LinesTooLongOrWithoutTheirEnd)
{
    choose("t," + std::string(10000, 'x') + "\n");
    OnReadLabelTemplate(c);
    EXPECT_TRUE(contains(c.newLines(), tooLong));
    EXPECT_EQ(c.newLines().back(), "Done reading labels.");
    // A one-line file without its line end is taken as cut short too.
    choose("t,A,B", "short.csv");
    OnReadLabelTemplate(c);
    EXPECT_EQ(lastLines(2), (Lines{R"(<label value="A" order="1" />)", "Done reading labels."}));
    const Lines lines = c.newLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), tooLong), 2);
    // The output template reads what its buffer holds of a line: 1,989
    // bytes, "t,AA," and 1,984 b's, of which 199 are kept.
    choose("t,AA," + std::string(2000, 'b') + "\n", "wide.csv");
    OnSetOutputTemplate(c);
    EXPECT_EQ(cells(c.tree().findNode(c.tree().root(), "outputTemplate")), (Lines{"AA=", std::string(199, 'b') + "="}));
    EXPECT_EQ(lastLines(4).at(2), R"(<label value="AA" order="1" />)"); // and no error before it
}

TEST_F(Templates, OutputTemplateReplaceOrExtend)
{
    c.chooseFiles({});
    OnReadLabelTemplate(c);
    EXPECT_EQ(c.newLines(), (Lines{"CSV file name not entered", "Error opening CSV file"}));
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);

    choose("t,OA1,OA2\n", "first.csv");
    OnSetOutputTemplate(c);
    EXPECT_EQ(lastLines(4), (Lines{"Entered file '" + dir.file("first.csv") + "'", "find labels:",
                                   R"(<label value="OA1" order="1" />)", R"(<label value="OA2" order="2" />)"}));
    EXPECT_TRUE(c.questionsAsked().empty());

    choose("t,OB1\n", "second.csv");
    c.answer(MessageAnswer::Cancel);
    OnSetOutputTemplate(c);
    EXPECT_EQ(labelsOf("outputTemplate").size(), 3u);
    EXPECT_EQ(lastLines(4), (Lines{"Adding labels to list- already have labels:", " - OA1", " - OA2",
                                   R"(<label value="OB1" order="1" />)"}));

    c.chooseFiles({dir.file("second.csv")});
    c.answer(MessageAnswer::Ok);
    OnSetOutputTemplate(c);
    EXPECT_EQ(c.questionsAsked().back(), "Output labels already exist- delete before continuing?");
    EXPECT_EQ(labelsOf("outputTemplate"), (Lines{R"(<label value="OB1" order="1" />)"}));
    EXPECT_EQ(lastLines(2), (Lines{"Previously read labels have been deleted.", R"(<label value="OB1" order="1" />)"}));

    c.chooseFiles({dir.file("missing.csv")});
    OnSetOutputTemplate(c);
    EXPECT_EQ(lastLines(1), Lines{"Error opening CSV file"});
}
