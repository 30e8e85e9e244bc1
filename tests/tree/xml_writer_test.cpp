#include "support/failing_file.h"
#include "tree_test_support.h"

#include <gtest/gtest.h>

using tsl::DataNode;
using tsl::DataTree;
using namespace tsl::testing;

TEST(XmlWriter, WritesTheWorkedExampleByteForByteAndWhatFitsOnAFullDevice)
{
    DataTree tree;
    buildExample(tree);
    EXPECT_EQ(xmlOf(tree, tree.root()), exampleFile);
    EXPECT_EQ(xmlOf(tree, nullptr), "");
    tree.writeXml(tree.root(), nullptr);

    std::string written;
    std::FILE* file = openFailingFile(40, &written);
    tree.writeXml(tree.root(), file);
    std::fclose(file);
    EXPECT_EQ(written, exampleFile.substr(0, 40));
}

TEST(XmlWriter, ElementFormsFollowNameTextAndChildren)
{
    DataTree tree;
    DataNode* root = tree.root();
    tree.addChild(root, "data");
    tree.setAttribute(tree.addChild(root, "leaf"), "a", "1");
    tree.setAttribute(tree.addChild(root, "?xml"), "version", "1.0");
    DataNode* comment = tree.addChild(root, "!--");
    comment->setText("note ");
    tree.setAttribute(comment, "ignored", "x");
    DataNode* declaration = tree.addChild(root, "!");
    declaration->setText("DOCTYPE x");
    tree.addChild(declaration, "child-not-written");
    DataNode* raw = tree.addChild(root, "t");
    raw->setText("a<b>&\"c\"");
    tree.setAttribute(raw, "q", "say \"hi\" & <go>");
    DataNode* parent = tree.addChild(root, "p");
    parent->setText("not written");
    tree.addChild(parent, "!--")->setText("inner");

    EXPECT_EQ(xmlOf(tree, root),
              "<data/>\r\n"
              "<leaf a=\"1\" />\r\n"
              "<?xml version=\"1.0\" ?>\r\n"
              "<!-- note  -->\r\n"
              "<! DOCTYPE x >\r\n"
              "<t q=\"say \"hi\" & <go>\" >a<b>&\"c\"</t>\r\n"
              "<p>\r\n"
              "<!-- inner -->\r\n"
              "</p>\r\n");

    // the one-line form puts children between the tags
    DataTree example;
    buildExample(example);
    const DataNode* templ = example.findNode(example.root(), "template");
    EXPECT_EQ(DataTree::formatNode(templ->firstChild()), "<label value=\"TEMP\" order=\"1\" />");
    EXPECT_EQ(DataTree::formatNode(templ),
              "<template fileName=\"C:\\labels.csv\" ><label value=\"TEMP\" order=\"1\" /></template>");
    EXPECT_EQ(DataTree::formatNode(nullptr), "");
}

TEST(XmlWriter, WrapsLongAttributeListsAtEveryFurther200Characters)
{
    DataTree tree;
    DataNode* node = tree.addChild(tree.root(), "n");
    for (int i = 0; i < 10; ++i)
        tree.setAttribute(node, "a" + std::to_string(i), std::string(45, 'v'));
    // With the blank after the name, each attribute and its separator take 51
    // characters: the list passes 200 with a3 and 400 with a7.
    std::string expected = "<n ";
    for (int i = 0; i < 10; ++i)
        expected += "a" + std::to_string(i) + "=\"" + std::string(45, 'v') + "\"" + (i == 3 || i == 7 ? "\r\n" : " ");
    EXPECT_EQ(xmlOf(tree, tree.root()), expected + "/>\r\n");
    EXPECT_EQ(DataTree::formatNode(node).find('\n'), std::string::npos); // the one-line form never wraps
}
