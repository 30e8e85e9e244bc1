// Rows copied from a template keep their cells packed; every tree operation
// must still see them as ordinary nodes, also after changes to their structure.
#include "tree_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tsl::DataNode;
using tsl::DataTree;
using tsl::testing::shape;

namespace {

struct Rows {
    DataTree tree;
    DataNode* templ;
    DataNode* hour;

    Rows()
    {
        templ = tree.addChild(tree.root(), "template");
        for (int i = 1; i <= 4; ++i) {
            DataNode* label = tree.addChild(templ, "label");
            tree.setAttribute(label, "value", "T" + std::to_string(i));
            tree.setAttributeInt(label, "order", i);
        }
        hour = tree.addChild(tree.addChild(tree.root(), "data"), "dataHour");
    }

    DataNode* newRow(const std::string& key)
    {
        DataNode* row = tree.copySubtree(hour, templ);
        tree.setName(row, "dataline");
        tree.setAttribute(row, "timestamp", key);
        return row;
    }
};

// The children of a row, after checking that each links back to it.
std::string cells(const DataNode* row)
{
    for (const DataNode* c = row->firstChild(); c; c = c->nextSibling()) {
        EXPECT_EQ(c->parent(), row);
        EXPECT_EQ(c->depth(), row->depth() + 1);
    }
    return shape(row);
}

} // namespace

TEST(PackedRows, CellsBehaveAsTheirTemplateLabels)
{
    Rows f;
    DataNode* row = f.newRow("00:00");
    f.tree.findNodeByAttribute(row, "label", "value", "T3")->setText("21.50");
    EXPECT_EQ(cells(row), "dataline[timestamp=00:00](label[value=T1;order=1],label[value=T2;order=2],"
                          "label[value=T3;order=3]{21.50},label[value=T4;order=4])");
    EXPECT_EQ(f.tree.findNodeByAttribute(f.tree.root(), "dataline", "timestamp", "00:00"), row);
    // the template comes first in pre-order, then the row's cells
    EXPECT_EQ(f.tree.findNodeByAttribute(f.tree.root(), "label", "value", "T3")->parent(), f.templ);
    EXPECT_EQ(DataTree::formatNode(row),
              "<dataline timestamp=\"00:00\" ><label value=\"T1\" order=\"1\" /><label value=\"T2\" order=\"2\" />"
              "<label value=\"T3\" order=\"3\" >21.50</label><label value=\"T4\" order=\"4\" /></dataline>");
    // a copy of a row copies its cells' shape, not their texts
    EXPECT_EQ(shape(f.tree.copySubtree(f.hour, row)), "dataline[timestamp=00:00](label[value=T1;order=1],"
                                                      "label[value=T2;order=2],label[value=T3;order=3],"
                                                      "label[value=T4;order=4])");
}

TEST(PackedRows, StructuralChangesAmongCellsKeepEveryPointerValid)
{
    Rows f;
    DataNode* row = f.newRow("00:00");
    std::vector<DataNode*> before;
    for (DataNode* c = row->firstChild(); c; c = c->nextSibling()) {
        c->setText("v" + std::to_string(before.size()));
        before.push_back(c);
    }
    f.tree.setAttribute(before[1], "extra", "x");
    f.tree.setName(before[2], "renamed");
    DataNode* grandchild = f.tree.addChild(before[3], "note");
    DataNode* appended = f.tree.addChild(row, "tail");
    DataNode* first = f.tree.insertChildSorted(row, "k", "value", "A"); // sorts before "T1"
    EXPECT_EQ(row->firstChild(), first);
    EXPECT_EQ(f.tree.findNode(f.tree.root(), "note"), grandchild);
    EXPECT_EQ(f.tree.findNode(f.tree.root(), "renamed"), before[2]);
    EXPECT_EQ(grandchild->depth(), before[3]->depth() + 1);

    f.tree.deleteNode(before[0]);
    EXPECT_EQ(cells(row), "dataline[timestamp=00:00](k[value=A],label[value=T2;order=2;extra=x]{v1},"
                          "renamed[value=T3;order=3]{v2},label[value=T4;order=4]{v3}(note),tail)");
    EXPECT_EQ(appended->nextSibling(), nullptr);

    f.tree.detachNode(before[1]);
    EXPECT_EQ(before[1]->parent(), nullptr);
    // the row goes; the detached cell stays usable until the tree ends
    f.tree.deleteNode(row);
    EXPECT_EQ(f.hour->firstChild(), nullptr);
    EXPECT_EQ(before[1]->text(), "v1");
    f.tree.deleteNode(before[1]);
    EXPECT_EQ(before[1]->attributes(), nullptr);
}

TEST(PackedRows, ManyRowsShareOneShapeUntilTheTemplateChanges)
{
    Rows f;
    for (int minute = 0; minute < 60; ++minute) {
        DataNode* row = f.newRow(std::to_string(minute));
        for (DataNode* c = row->firstChild(); c; c = c->nextSibling())
            c->setText(minute % 2 ? "a text longer than seven bytes" : "1.00");
    }
    // later rows follow the changed template, earlier ones keep their shape
    f.tree.deleteNode(f.templ->firstChild());
    EXPECT_EQ(cells(f.newRow("60")), "dataline[timestamp=60](label[value=T2;order=2],label[value=T3;order=3],"
                                     "label[value=T4;order=4])");
    const DataNode* earlier = f.tree.findNodeByAttribute(f.hour, "dataline", "timestamp", "59");
    EXPECT_EQ(cells(earlier).rfind("dataline[timestamp=59](label[value=T1;order=1]{a text longer than seven", 0), 0u);
    // a changed attribute, a renamed label and an added one are changes too
    f.tree.setAttribute(f.templ->firstChild(), "value", "T2b");
    EXPECT_EQ(cells(f.newRow("61")), "dataline[timestamp=61](label[value=T2b;order=2],label[value=T3;order=3],"
                                     "label[value=T4;order=4])");
    f.tree.setName(f.templ->firstChild()->nextSibling(), "item");
    EXPECT_EQ(cells(f.newRow("62")), "dataline[timestamp=62](label[value=T2b;order=2],item[value=T3;order=3],"
                                     "label[value=T4;order=4])");
    f.tree.addChild(f.templ, "label");
    EXPECT_EQ(cells(f.newRow("63")), "dataline[timestamp=63](label[value=T2b;order=2],item[value=T3;order=3],"
                                     "label[value=T4;order=4],label)");
    f.tree.deleteNode(f.tree.findNode(f.templ, "item")->nextSibling()->nextSibling());
    EXPECT_EQ(cells(f.newRow("64")), "dataline[timestamp=64](label[value=T2b;order=2],item[value=T3;order=3],"
                                     "label[value=T4;order=4])");
    f.tree.detachNode(f.templ->firstChild());
    EXPECT_EQ(cells(f.newRow("65")), "dataline[timestamp=65](item[value=T3;order=3],label[value=T4;order=4])");
    f.tree.deleteNode(f.tree.findNode(f.tree.root(), "data"));
    EXPECT_EQ(f.tree.findNode(f.tree.root(), "dataline"), nullptr);

    // rows made after a deletion reuse the freed memory, and start empty
    f.hour = f.tree.addChild(f.tree.addChild(f.tree.root(), "data"), "dataHour");
    for (int minute = 0; minute < 60; ++minute)
        for (DataNode* c = f.newRow(std::to_string(minute))->firstChild(); c; c = c->nextSibling())
            ASSERT_EQ(c->text(), "");
}
