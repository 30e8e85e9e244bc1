#include "tree_test_support.h"

#include <gtest/gtest.h>

#include <string>

using tsl::DataNode;
using tsl::DataTree;
using tsl::testing::shape;

TEST(DataTree, SearchIsExactPreOrderFromTheStartNodeAndNullIsAnsweredWithNull)
{
    DataTree tree;
    DataNode* root = tree.root();
    EXPECT_EQ(tree.findNode(root, "DocRoot"), root);
    DataNode* first = tree.addChild(root, "a");
    DataNode* grandchild = tree.addChild(first, "x");
    DataNode* second = tree.addChild(root, "x");
    EXPECT_EQ(tree.findNode(root, "x"), grandchild);
    EXPECT_EQ(tree.findNode(second, "x"), second);
    for (const char* missing : {"X", "", "ab"})
        EXPECT_EQ(tree.findNode(root, missing), nullptr) << missing;
    EXPECT_EQ(tree.findNode(first, "b"), nullptr);
    // a name given to a node later is found as well
    DataNode* renamed = tree.addChild(grandchild, "y");
    tree.setName(renamed, "target");
    EXPECT_EQ(tree.findNode(root, "target"), renamed);

    EXPECT_EQ(tree.findNode(nullptr, "DocRoot"), nullptr);
    EXPECT_EQ(tree.findNodeByAttribute(nullptr, "a", "b", "c"), nullptr);
    EXPECT_EQ(tree.addChild(nullptr, "a"), nullptr);
    EXPECT_EQ(tree.insertChildSorted(nullptr, "a", "k", "1"), nullptr);
    EXPECT_EQ(tree.copySubtree(nullptr, first), nullptr);
    EXPECT_EQ(tree.copySubtree(first, nullptr), nullptr);
    EXPECT_EQ(tree.setAttribute(nullptr, "a", "v"), nullptr);
    EXPECT_EQ(DataTree::findAttribute(nullptr, "a"), nullptr);
    tree.deleteNode(nullptr);
    EXPECT_EQ(shape(root), "DocRoot(a(x(target)),x)");
}

TEST(DataTree, AttributesAreSetInPlaceAndSearchedByTheFirstOfTheirName)
{
    DataTree tree;
    DataNode* label = tree.addChild(tree.root(), "label");
    tree.appendAttribute(label, "value", "T1");
    tree.appendAttribute(label, "value", "T2");
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "label", "value", "T1"), label);
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "label", "value", "T2"), nullptr);
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "other", "value", "T1"), nullptr);

    tree.setAttribute(label, "value", "T3");
    tree.setAttribute(label, "order", "1");
    EXPECT_EQ(tree.setAttribute(label, "value", ""), nullptr); // empty names and texts are ignored
    EXPECT_EQ(tree.setAttribute(label, "", "v"), nullptr);
    tree.setAttributeInt(label, "order", 7);
    tree.setAttributeInt(label, "neg", -3);
    EXPECT_EQ(shape(label), "label[value=T3;value=T2;order=7;neg=-3]");

    // another node sharing the same list is not changed with it
    DataNode* twin = tree.addChild(tree.root(), "label");
    tree.setAttribute(twin, "value", "T9");
    DataNode* other = tree.addChild(tree.root(), "label");
    tree.setAttribute(other, "value", "T9");
    tree.setAttribute(other, "value", "changed");
    EXPECT_EQ(shape(twin), "label[value=T9]");
}

TEST(DataTree, SortedInsertionComparesBytesAndPutsEqualKeysInFront)
{
    DataTree tree;
    DataNode* year = tree.addChild(tree.root(), "y");
    for (const char* month : {"03", "01", "12", "02"})
        tree.insertChildSorted(year, "m", "k", month);
    DataNode* equal = tree.insertChildSorted(year, "m", "k", "02");
    EXPECT_EQ(shape(year), "y(m[k=01],m[k=02],m[k=02],m[k=03],m[k=12])");
    EXPECT_EQ(year->firstChild()->nextSibling(), equal);
    EXPECT_EQ(equal->depth(), 1);

    // textual, and unsigned: 0xE9 sorts after every ASCII key
    DataNode* other = tree.addChild(tree.root(), "x");
    for (const char* key : {"9", "\xE9", "10", "z"})
        tree.insertChildSorted(other, "m", "k", key);
    EXPECT_EQ(shape(other), "x(m[k=10],m[k=9],m[k=z],m[k=\xE9])");
}

TEST(DataTree, CopyDropsTextsAndEmptyAttributesAndFollowsTheNewParentsDepth)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(templ, "fileName", "labels.csv");
    for (int i = 1; i <= 2; ++i) {
        DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "T" + std::to_string(i));
        label->setText("21.50");
    }
    DataNode* odd = tree.addChild(templ, "label");
    tree.appendAttribute(odd, "value", "A");
    tree.appendAttribute(odd, "empty", "");
    tree.appendAttribute(odd, "value", "B");

    DataNode* hour = tree.addChild(tree.addChild(tree.addChild(tree.root(), "a"), "b"), "dataHour");
    DataNode* copy = tree.copySubtree(hour, templ);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(shape(copy), "template[fileName=labels.csv](label[value=T1],label[value=T2],label[value=B])");
    EXPECT_EQ(copy->depth(), 3);
    for (const DataNode* label = copy->firstChild(); label; label = label->nextSibling()) {
        EXPECT_EQ(label->depth(), 4);
        EXPECT_EQ(label->parent(), copy);
    }
    EXPECT_EQ(templ->firstChild()->text(), "21.50"); // the source keeps its texts
}

// Made or copied after a given sibling, or first; appending goes on at the end.
TEST(DataTree, ChildrenAddedOrCopiedAfterASiblingGoThere)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(tree.addChild(templ, "label"), "value", "T1");
    DataNode* hour = tree.addChild(tree.root(), "hour");
    DataNode* b = tree.addChild(hour, "b");
    tree.addChildAfter(hour, nullptr, "a");
    tree.addChildAfter(hour, b, "c");
    DataNode* copy = tree.copySubtreeAfter(hour, b, templ);
    tree.addChild(hour, "d");
    EXPECT_EQ(shape(hour), "hour(a,b,template(label[value=T1]),c,d)");
    EXPECT_EQ(tree.findNodeByAttribute(hour, "label", "value", "T1"), copy->firstChild());
}

TEST(DataTree, DeletionRemovesWholeSubtreesAndLeavesDetachedNodesEmpty)
{
    DataTree tree;
    DataNode* day = tree.addChild(tree.root(), "d");
    DataNode* hours[3];
    for (int i = 0; i < 3; ++i) {
        hours[i] = tree.insertChildSorted(day, "h", "k", std::to_string(i));
        tree.addChild(tree.addChild(hours[i], "dataline"), "label")->setText("1.00");
    }
    tree.deleteNode(hours[1]);
    tree.deleteNode(hours[0]);
    tree.addChild(day, "last"); // still goes last
    EXPECT_EQ(shape(day), "d(h[k=2](dataline(label{1.00})),last)");

    tree.root()->setText("kept");
    tree.deleteNode(tree.root());
    EXPECT_EQ(shape(tree.root()), "DocRoot{kept}");
    EXPECT_EQ(tree.findNode(tree.root(), "dataline"), nullptr);

    DataNode* templ = tree.addChild(tree.root(), "template");
    DataNode* first = tree.addChild(templ, "label");
    tree.addChild(templ, "other");
    tree.detachNode(first);
    EXPECT_EQ(first->parent(), nullptr);
    EXPECT_EQ(shape(templ), "template(other)");
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
    const DataNode* last = tree.findNodeByAttribute(tree.root(), "label", "order", "19999");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->nextSibling(), nullptr);

    DataNode* node = tree.addChild(tree.root(), "deep");
    for (int i = 0; i < 200000; ++i)
        node = tree.addChild(node, "deep");
    EXPECT_EQ(node->depth(), 200000);
    EXPECT_EQ(tree.findNodeByAttribute(tree.root(), "deep", "order", "1"), nullptr);
    tree.deleteNode(tree.findNode(tree.root(), "deep"));
    EXPECT_EQ(tree.findNode(tree.root(), "deep"), nullptr);
}
