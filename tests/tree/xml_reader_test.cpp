#include "tree_test_support.h"

#include <gtest/gtest.h>

#include <random>

using tsl::DataNode;
using tsl::DataTree;
using namespace tsl::testing;

namespace {

std::string readShape(const std::string& bytes)
{
    DataTree tree;
    EXPECT_EQ(readXml(tree, bytes), 1);
    return shape(tree.root());
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

TEST(XmlReader, RebuildsTheSavedFormWithDepths)
{
    // Blank lines and stray words between elements are skipped, and blanks
    // that lead a text are dropped.
    const std::string file = replaced(replaced(exampleFile, "</template>\r\n", "</template>\r\n\r\nstray words\r\n"),
                                      ">21.50<", "> 21.50<");
    DataTree tree;
    ASSERT_EQ(readXml(tree, file), 1);
    EXPECT_EQ(xmlOf(tree, tree.root()), exampleFile);
    EXPECT_EQ(tree.findNode(tree.root(), "label")->depth(), 1);
    EXPECT_EQ(tree.findNode(tree.findNode(tree.root(), "dataline"), "label")->depth(), 6);
    EXPECT_EQ(tree.readXmlFile("/nonexistent/folder/file.xml"), 0);
}

TEST(XmlReader, ElementsAttributesAndTexts)
{
    const std::pair<const char*, const char*> cases[] = {
        // special nodes
        {"<?xml version=\"1.0\"?>\n", "DocRoot(?xml[version=1.0])"},
        {"<!-- note -->\n", "DocRoot(!--{note })"},
        {"<!DOCTYPE x>\n", "DocRoot(!{DOCTYPE x})"},
        {"<!---->\n", "DocRoot(!--)"},
        {"<!-- spread\nover lines -->\n<a/>\n", "DocRoot(a)"},
        // quotes and unusual attributes; a value is ended by either kind of quote
        {"<label value='T1' order='2'/>\n", "DocRoot(label[value=T1;order=2])"},
        {"<a b ='1' />\n", "DocRoot(a[b =1])"},
        {"<a b=\"1\" b=\"\" />\n", "DocRoot(a[b=1;b=])"},
        {"<a b=1 c=\"2\" />\n", "DocRoot(a[b=1;c=2])"},
        {"<a b=\"it's\" />\n", "DocRoot(a[b=it])"},
        // text over several lines: the first line's line feed becomes a space, later
        // lines are joined from their first non-blank, the closing line's text dropped
        {"<a>\nx\ny</a>\n", "DocRoot(a{x })"},
        {"<a>x\n   \n  y\nz</a>\n<b/>\n", "DocRoot(a{x y},b)"},
        {"<p>\n<c>it's</c>\n</p>\n", "DocRoot(p(c{it\"s}))"},
        {"<p><c/><d>1</d></p>\n", "DocRoot(p(c,d{1}))"},
        {"<a></a>\n<b/>\n", "DocRoot(a,b)"},
        // end tags are not compared with the start tag
        {"<p>\n<c/>\n</zz>\n<d/>\n", "DocRoot(p(c),d)"},
        // a file that ends inside an element keeps what was built
        {"<data>\n  <dataYear year=\"2015\" >\n    <dataMonth month=\"03\" >\n",
         "DocRoot(data(dataYear[year=2015](dataMonth[month=03])))"},
        {"<a>text without end", "DocRoot(a)"},
        {"<a b=\"unclosed >\n", "DocRoot(a)"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(readShape(input), expected) << input;
}

TEST(XmlReader, RoundTripOfALargeTreeWithWrappedStartTags)
{
    // The template's long file name makes every data line's start tag wrap.
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(templ, "fileName", std::string(250, 'p'));
    for (int c = 0; c < 50; ++c) {
        DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "COL" + std::to_string(c));
        tree.setAttributeInt(label, "order", c);
    }
    DataNode* year = tree.addChild(tree.addChild(tree.root(), "data"), "dataYear");
    tree.setAttributeInt(year, "year", 2016);
    DataNode* month = tree.insertChildSorted(year, "dataMonth", "month", "01");
    std::mt19937 random(7);
    int cells = 0;
    for (int day = 1; cells < 100000; ++day) {
        DataNode* dayNode = tree.insertChildSorted(month, "dataDay", "day", std::to_string(day));
        for (int hour = 0; hour < 24 && cells < 100000; ++hour) {
            DataNode* row = tree.copySubtree(tree.insertChildSorted(dayNode, "dataHour", "hour", std::to_string(hour)), templ);
            tree.setName(row, "dataline");
            tree.setAttribute(row, "timestamp", "00:00");
            for (DataNode* cell = row->firstChild(); cell; cell = cell->nextSibling(), ++cells) {
                char value[16];
                std::snprintf(value, sizeof value, "%5.2f", static_cast<double>(random() % 20000) / 100.0);
                cell->setText(value);
            }
        }
    }
    std::string original = xmlOf(tree, tree.root());
    ASSERT_NE(original.find("pp\"\r\ntimestamp=\"00:00\" >"), std::string::npos);

    DataTree copy;
    ASSERT_EQ(readXml(copy, original), 1);
    // the blanks that lead texts (" 1.50") are the only loss
    for (std::size_t at = original.find("\" > "); at != std::string::npos; at = original.find("\" > ", at))
        original.erase(at + 3, 1);
    EXPECT_EQ(xmlOf(copy, copy.root()), original);
}

TEST(XmlReader, HostileInputKeepsToTheBuffersAndTheNestingCap)
{
    std::vector<std::string> inputs = {
        "", "<", "<<", "< a>", "<a", "<a ", "<a b", "<a b=", "<a b=\"", "<a b=c", "<!--", "<!-- x", "<!", "<?",
        "<a>", "<a><", "<a></", "<a>\n<", "<a>x<", "<a>x<\n", "<a>\n<b>\n<c", "<a/", "/>", "=\"\"",
        std::string(10000, '<'), std::string(10000, '>'), std::string(20000, 'x') + "<a>" + std::string(20000, 'y'),
        "<" + std::string(3000, 'n') + " " + std::string(3000, 'a') + "=\"" + std::string(3000, 'v') + "\">" +
            std::string(3000, 't') + "</n>",
        std::string("<a>\0</a>", 8), "\xff\xfe<\x80\x81>\r\r\n\r",
    };
    std::string nested;
    for (int i = 0; i < 5000; ++i)
        nested += "<n>\n";
    inputs.push_back(nested);
    std::mt19937 random(12345);
    const std::string alphabet = "<>/!?-=\"' \n\r\tabx";
    for (int i = 0; i < 300; ++i) {
        std::string bytes;
        std::size_t length = random() % 400;
        for (std::size_t k = 0; k < length; ++k)
            bytes += (random() % 4 == 0) ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        inputs.push_back(bytes);
    }
    for (const auto& input : inputs) {
        DataTree tree;
        // A NUL byte ends the read: no text holds one.
        EXPECT_EQ(readXml(tree, input), input.find('\0') == std::string::npos ? 1 : 0);
        // names and texts keep to the reader's work buffers, nesting to its cap
        for (const DataNode* node = tree.root(); node;) {
            EXPECT_LT(node->name().size(), 500u);
            EXPECT_LT(node->text().size(), 500u);
            EXPECT_LE(node->depth(), 1000);
            if (node->firstChild()) {
                node = node->firstChild();
                continue;
            }
            while (node && !node->nextSibling())
                node = node->parent();
            if (node)
                node = node->nextSibling();
        }
        xmlOf(tree, tree.root());
    }
}
