#include "tree/data_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tsl::DataNode;
using tsl::DataTree;

namespace {

std::vector<std::string> childNames(const DataNode* parent, std::string_view key = {})
{
    std::vector<std::string> names;
    for (const DataNode* child = parent->firstChild(); child; child = child->nextSibling()) {
        if (key.empty()) {
            names.emplace_back(child->name());
        } else {
            const auto* attribute = DataTree::findAttribute(child, key);
            names.emplace_back(attribute ? attribute->value() : "-");
        }
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> attributesOf(const DataNode* node)
{
    std::vector<std::pair<std::string, std::string>> list;
    for (const auto* a = node->attributes(); a; a = a->next())
        list.emplace_back(a->name(), a->value());
    return list;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST(DataTree, SearchIsExactPreOrderFromTheStartNode)
{
    DataTree tree;
    DataNode* root = tree.root();
    EXPECT_EQ(tree.findNode(root, "DocRoot"), root);
    EXPECT_EQ(tree.findNode(nullptr, "DocRoot"), nullptr);

    DataNode* first = tree.addChild(root, "a");
    DataNode* grandchild = tree.addChild(first, "x");
    DataNode* second = tree.addChild(root, "x");
    EXPECT_EQ(tree.findNode(root, "x"), grandchild);
    EXPECT_EQ(tree.findNode(second, "x"), second);
    EXPECT_EQ(tree.findNode(root, "X"), nullptr);
    EXPECT_EQ(tree.findNode(root, ""), nullptr);
    EXPECT_EQ(tree.findNode(root, "ab"), nullptr);
    EXPECT_EQ(tree.findNode(first, "b"), nullptr);

    // a name given to a node later is found as well
    DataNode* renamed = tree.addChild(grandchild, "y");
    tree.setName(renamed, "target");
    EXPECT_EQ(tree.findNode(root, "target"), renamed);
    EXPECT_EQ(renamed->name(), "target");
}

TEST(DataTree, AttributeSearchLooksAtTheFirstAttributeOfThatNameOnly)
{
    DataTree tree;
    DataNode* label = tree.addChild(tree.root(), "label");
    tree.appendAttribute(label, "value", "T1");
    tree.appendAttribute(label, "value", "T2");
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "label", "value", "T1"), label);
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "label", "value", "T2"), nullptr);
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "other", "value", "T1"), nullptr);

    tree.setAttribute(label, "value", "T3");
    EXPECT_EQ(attributesOf(label), (Pairs{{"value", "T3"}, {"value", "T2"}}));
}

TEST(DataTree, SetAttributeReplacesInPlaceAppendsNewNamesAndIgnoresEmptyTexts)
{
    DataTree tree;
    DataNode* node = tree.addChild(tree.root(), "label");
    tree.setAttribute(node, "value", "T1");
    tree.setAttribute(node, "order", "1");
    tree.setAttribute(node, "value", "T9");
    tree.setAttribute(node, "extra", "x");
    EXPECT_EQ(attributesOf(node), (Pairs{{"value", "T9"}, {"order", "1"}, {"extra", "x"}}));

    EXPECT_EQ(tree.setAttribute(node, "value", ""), nullptr);
    EXPECT_EQ(tree.setAttribute(node, "", "v"), nullptr);
    EXPECT_EQ(tree.setAttribute(nullptr, "a", "v"), nullptr);
    EXPECT_EQ(tree.setAttribute(node, "missing", ""), nullptr);
    EXPECT_EQ(attributesOf(node), (Pairs{{"value", "T9"}, {"order", "1"}, {"extra", "x"}}));

    tree.setAttributeInt(node, "order", 7);
    tree.setAttributeInt(node, "year", 2015);
    tree.setAttributeInt(node, "neg", -3);
    EXPECT_EQ(attributesOf(node),
              (Pairs{{"value", "T9"}, {"order", "7"}, {"extra", "x"}, {"year", "2015"}, {"neg", "-3"}}));

    // another node sharing the same list is not changed with it
    DataNode* twin = tree.addChild(tree.root(), "label");
    tree.setAttribute(twin, "value", "T9");
    DataNode* other = tree.addChild(tree.root(), "label");
    tree.setAttribute(other, "value", "T9");
    tree.setAttribute(other, "value", "changed");
    EXPECT_EQ(attributesOf(twin), (Pairs{{"value", "T9"}}));
}

TEST(DataTree, SortedInsertionIsTextualAndKeepsEqualKeysInFront)
{
    DataTree tree;
    DataNode* year = tree.addChild(tree.root(), "dataYear");
    for (const char* month : {"03", "01", "12", "02"})
        tree.insertChildSorted(year, "dataMonth", "month", month);
    EXPECT_EQ(childNames(year, "month"), (std::vector<std::string>{"01", "02", "03", "12"}));

    DataNode* other = tree.addChild(tree.root(), "x");
    tree.insertChildSorted(other, "k", "key", "9");
    tree.insertChildSorted(other, "k", "key", "10");
    EXPECT_EQ(childNames(other, "key"), (std::vector<std::string>{"10", "9"}));

    DataNode* equal = tree.insertChildSorted(year, "dataMonth", "month", "02");
    EXPECT_EQ(childNames(year, "month"), (std::vector<std::string>{"01", "02", "02", "03", "12"}));
    EXPECT_EQ(year->firstChild()->nextSibling(), equal); // before the older "02"
    EXPECT_EQ(equal->depth(), 1);

    // bytes compare unsigned: 0xE9 sorts after every ASCII key
    DataNode* bytes = tree.addChild(tree.root(), "y");
    tree.insertChildSorted(bytes, "k", "key", "\xE9");
    tree.insertChildSorted(bytes, "k", "key", "z");
    EXPECT_EQ(childNames(bytes, "key"), (std::vector<std::string>{"z", "\xE9"}));
}

TEST(DataTree, CopyDropsTextsAndEmptyAttributesAndFollowsTheNewParentsDepth)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(templ, "fileName", "labels.csv");
    for (int i = 1; i <= 3; ++i) {
        DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "T" + std::to_string(i));
        tree.setAttributeInt(label, "order", i);
        label->setText("21.50");
    }
    DataNode* odd = tree.addChild(templ, "label");
    tree.appendAttribute(odd, "value", "A");
    tree.appendAttribute(odd, "empty", "");
    tree.appendAttribute(odd, "value", "B");

    DataNode* hour = tree.addChild(tree.addChild(tree.addChild(tree.root(), "a"), "b"), "dataHour");
    DataNode* copy = tree.copySubtree(hour, templ);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->name(), "template");
    EXPECT_EQ(copy->depth(), 3);
    EXPECT_EQ(attributesOf(copy), (Pairs{{"fileName", "labels.csv"}}));
    EXPECT_EQ(childNames(copy, "value"), (std::vector<std::string>{"T1", "T2", "T3", "B"}));
    for (const DataNode* label = copy->firstChild(); label; label = label->nextSibling()) {
        EXPECT_EQ(label->text(), "");
        EXPECT_EQ(label->depth(), 4);
        EXPECT_EQ(label->parent(), copy);
    }
    EXPECT_EQ(attributesOf(copy->firstChild()->nextSibling()->nextSibling()->nextSibling()),
              (Pairs{{"value", "B"}}));
    EXPECT_EQ(tree.copySubtree(nullptr, templ), nullptr);
    EXPECT_EQ(tree.copySubtree(hour, nullptr), nullptr);
    // the source keeps its texts
    EXPECT_EQ(templ->firstChild()->text(), "21.50");
}

TEST(DataTree, DeletionRemovesWholeSubtreesAndLeavesParentlessNodesEmpty)
{
    DataTree tree;
    DataNode* day = tree.addChild(tree.root(), "dataDay");
    std::vector<DataNode*> hours;
    for (const char* hour : {"00", "01", "02"}) {
        DataNode* node = tree.insertChildSorted(day, "dataHour", "hour", hour);
        DataNode* row = tree.addChild(node, "dataline");
        tree.addChild(row, "label")->setText("1.00");
        hours.push_back(node);
    }
    tree.deleteNode(hours[1]);
    EXPECT_EQ(childNames(day, "hour"), (std::vector<std::string>{"00", "02"}));
    tree.deleteNode(hours[0]);
    EXPECT_EQ(childNames(day, "hour"), (std::vector<std::string>{"02"}));
    // a child added after deletions still goes last
    tree.addChild(day, "dataHour");
    EXPECT_EQ(childNames(day), (std::vector<std::string>{"dataHour", "dataHour"}));

    tree.root()->setText("kept");
    tree.deleteNode(tree.root());
    EXPECT_EQ(tree.root()->firstChild(), nullptr);
    EXPECT_EQ(tree.root()->name(), "DocRoot");
    EXPECT_EQ(tree.root()->text(), "kept");
    EXPECT_EQ(tree.findNode(tree.root(), "dataline"), nullptr);
    EXPECT_NE(tree.addChild(tree.root(), "template"), nullptr);
    tree.deleteNode(nullptr);

    DataNode* templ = tree.findNode(tree.root(), "template");
    DataNode* first = tree.addChild(templ, "label");
    tree.addChild(templ, "label");
    tree.detachNode(first);
    EXPECT_EQ(first->parent(), nullptr);
    EXPECT_EQ(childNames(templ).size(), 1u);
    tree.setAttribute(first, "value", "x");
    tree.deleteNode(first); // stays, emptied; freed with the tree
    EXPECT_EQ(first->attributes(), nullptr);
}

TEST(DataTree, TextsOfAnyLengthRoundTrip)
{
    DataTree tree;
    DataNode* node = tree.addChild(tree.root(), "label");
    for (std::string text : {std::string(), std::string("1"), std::string("-21.50"), std::string("1234567"),
                             std::string("12345678"), std::string(600, 'x'), std::string("a\0b", 3)}) {
        node->setText(text);
        EXPECT_EQ(node->text(), text);
    }
}

TEST(DataTree, LongChildListsAndDeepChainsStayCheap)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    for (int i = 0; i < 20000; ++i)
        tree.setAttributeInt(tree.addChild(templ, "label"), "order", i);
    EXPECT_EQ(DataTree::findAttribute(tree.findNodeByAttribute(tree.root(), "label", "order", "19999"), "order")
                  ->value(),
              "19999");

    DataNode* node = tree.addChild(tree.root(), "deep");
    for (int i = 0; i < 200000; ++i)
        node = tree.addChild(node, "deep");
    EXPECT_EQ(node->depth(), 200000);
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "deep", "order", "1"), nullptr);
    tree.deleteNode(tree.findNode(tree.root(), "deep"));
    EXPECT_EQ(tree.findNode(tree.root(), "deep"), nullptr);
}
