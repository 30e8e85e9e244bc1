// Rows copied from a template keep their cells packed; every tree operation
// must still see them as ordinary nodes, also after changes to their structure.
#include "tree/data_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tsl::DataNode;
using tsl::DataTree;

namespace {

struct Fixture {
    DataTree tree;
    DataNode* templ;
    DataNode* hour;

    Fixture()
    {
        templ = tree.addChild(tree.root(), "template");
        tree.setAttribute(templ, "fileName", "labels.csv");
        for (int i = 1; i <= 4; ++i) {
            DataNode* label = tree.addChild(templ, "label");
            tree.setAttribute(label, "value", "T" + std::to_string(i));
            tree.setAttributeInt(label, "order", i);
        }
        hour = tree.addChild(tree.addChild(tree.root(), "data"), "dataHour");
    }

    DataNode* newRow(const char* key)
    {
        DataNode* row = tree.copySubtree(hour, templ);
        tree.setName(row, "dataline");
        tree.setAttribute(row, "timestamp", key);
        return row;
    }
};

// name{text}[attributes] of each child, in order, checking the links on the way.
std::vector<std::string> cells(const DataNode* row)
{
    std::vector<std::string> out;
    for (const DataNode* c = row->firstChild(); c; c = c->nextSibling()) {
        EXPECT_EQ(c->parent(), row);
        EXPECT_EQ(c->depth(), row->depth() + 1);
        std::string s(c->name());
        s += "{" + std::string(c->text()) + "}";
        for (const auto* a = c->attributes(); a; a = a->next())
            s += "[" + std::string(a->name()) + "=" + std::string(a->value()) + "]";
        out.push_back(s);
    }
    return out;
}

} // namespace

TEST(PackedRows, CellsBehaveAsTheirTemplateLabels)
{
    Fixture f;
    DataNode* row = f.newRow("00:00");
    f.tree.findNodeByAttribute(row, "label", "value", "T3")->setText("21.50");
    EXPECT_EQ(cells(row), (std::vector<std::string>{"label{}[value=T1][order=1]", "label{}[value=T2][order=2]",
                                                    "label{21.50}[value=T3][order=3]", "label{}[value=T4][order=4]"}));
    EXPECT_EQ(f.tree.findNodeByAttribute(f.tree.root(), "dataline", "timestamp", "00:00"), row);
    // the template comes first in pre-order, then the row's cells
    EXPECT_EQ(f.tree.findNodeByAttribute(f.tree.root(), "label", "value", "T3"), f.templ->firstChild()->nextSibling()->nextSibling());
    EXPECT_EQ(f.tree.findNodeByAttribute(f.hour, "label", "value", "T4")->text(), "");
    EXPECT_EQ(DataTree::formatNode(row),
              "<dataline fileName=\"labels.csv\" timestamp=\"00:00\" ><label value=\"T1\" order=\"1\" />"
              "<label value=\"T2\" order=\"2\" /><label value=\"T3\" order=\"3\" >21.50</label>"
              "<label value=\"T4\" order=\"4\" /></dataline>");

    // a copy of a row copies its cells' shape, not their texts
    DataNode* copy = f.tree.copySubtree(f.hour, row);
    EXPECT_EQ(cells(copy).size(), 4u);
    EXPECT_EQ(f.tree.findNodeByAttribute(copy, "label", "value", "T3")->text(), "");
}

TEST(PackedRows, StructuralChangesAmongCellsKeepEveryCellInPlace)
{
    Fixture f;
    DataNode* row = f.newRow("00:00");
    std::vector<DataNode*> before;
    for (DataNode* c = row->firstChild(); c; c = c->nextSibling()) {
        c->setText(std::string(c->name()) + "!" + std::to_string(before.size()));
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
    EXPECT_EQ(cells(row), (std::vector<std::string>{"k{}[value=A]", "label{label!1}[value=T2][order=2][extra=x]",
                                                    "renamed{label!2}[value=T3][order=3]",
                                                    "label{label!3}[value=T4][order=4]", "tail{}"}));
    EXPECT_EQ(appended->nextSibling(), nullptr);

    f.tree.detachNode(before[1]);
    EXPECT_EQ(before[1]->parent(), nullptr);
    EXPECT_EQ(before[1]->text(), "label!1");
    // the row goes; the detached cell stays usable until the tree ends
    f.tree.deleteNode(row);
    EXPECT_EQ(f.hour->firstChild(), nullptr);
    EXPECT_EQ(before[1]->text(), "label!1");
    f.tree.deleteNode(before[1]);
    EXPECT_EQ(before[1]->attributes(), nullptr);
}

TEST(PackedRows, ManyRowsShareOneShapeAndFreeCleanly)
{
    Fixture f;
    for (int minute = 0; minute < 60; ++minute) {
        char key[8];
        std::snprintf(key, sizeof key, "%02d:00", minute);
        DataNode* row = f.newRow(key);
        for (DataNode* c = row->firstChild(); c; c = c->nextSibling())
            c->setText(minute % 2 ? "a text longer than seven bytes" : "1.00");
    }
    // the template changes: later rows follow it, earlier ones keep their shape
    f.tree.deleteNode(f.templ->firstChild());
    DataNode* later = f.newRow("60:00");
    EXPECT_EQ(cells(later).size(), 3u);
    EXPECT_EQ(cells(f.tree.findNodeByAttribute(f.hour, "dataline", "timestamp", "59:00")).size(), 4u);
    f.tree.deleteNode(f.tree.findNode(f.tree.root(), "data"));
    EXPECT_EQ(f.tree.findNode(f.tree.root(), "dataline"), nullptr);
}
