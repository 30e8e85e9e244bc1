#pragma once
// Shared by the tree tests: the file form as text, reading bytes as a file,
// a compact picture of a subtree, and the worked example of the file form.

#include "support/temp_dir.h"
#include "tree/data_tree.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tsl::testing {

inline std::string xmlOf(const DataTree& tree, const DataNode* node)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    tree.writeXml(node, file);
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// Reads bytes as an XML file into the tree; returns the reader's result.
inline int readXml(DataTree& tree, const std::string& bytes)
{
    TempDir dir;
    writeFile(dir.file("in.xml"), bytes);
    return tree.readXmlFile(dir.file("in.xml"));
}

// name[attributes]{text}(children), attributes and children in their order.
inline std::string shape(const DataNode* node)
{
    std::string out(node->name());
    for (const DataAttribute* a = node->attributes(); a; a = a->next())
        out += (a == node->attributes() ? "[" : ";") + std::string(a->name()) + "=" + std::string(a->value()) +
               (a->next() ? "" : "]");
    if (!node->text().empty())
        out += "{" + std::string(node->text()) + "}";
    for (const DataNode* child = node->firstChild(); child; child = child->nextSibling())
        out += (child == node->firstChild() ? "(" : ",") + shape(child) + (child->nextSibling() ? "" : ")");
    return out;
}

// A template and one reading, as the reader builds them from a logger file.
inline void buildExample(DataTree& tree)
{
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(templ, "fileName", "C:\\labels.csv");
    DataNode* label = tree.addChild(templ, "label");
    tree.setAttribute(label, "value", "TEMP");
    tree.setAttributeInt(label, "order", 1);
    DataNode* year = tree.addChild(tree.addChild(tree.root(), "data"), "dataYear");
    tree.setAttributeInt(year, "year", 2015);
    DataNode* month = tree.insertChildSorted(year, "dataMonth", "month", "03");
    DataNode* day = tree.insertChildSorted(month, "dataDay", "day", "07");
    DataNode* row = tree.copySubtree(tree.insertChildSorted(day, "dataHour", "hour", "14"), templ);
    tree.setName(row, "dataline");
    tree.setAttribute(row, "timestamp", "15:00");
    tree.setAttribute(row, "timestampCSV", "15:00");
    tree.findNodeByAttribute(row, "label", "value", "TEMP")->setText("21.50");
}

inline const std::string exampleFile =
    "<template fileName=\"C:\\labels.csv\" >\r\n"
    "  <label value=\"TEMP\" order=\"1\" />\r\n"
    "</template>\r\n"
    "<data>\r\n"
    "  <dataYear year=\"2015\" >\r\n"
    "    <dataMonth month=\"03\" >\r\n"
    "      <dataDay day=\"07\" >\r\n"
    "        <dataHour hour=\"14\" >\r\n"
    "          <dataline fileName=\"C:\\labels.csv\" timestamp=\"15:00\" timestampCSV=\"15:00\" >\r\n"
    "            <label value=\"TEMP\" order=\"1\" >21.50</label>\r\n"
    "          </dataline>\r\n"
    "        </dataHour>\r\n"
    "      </dataDay>\r\n"
    "    </dataMonth>\r\n"
    "  </dataYear>\r\n"
    "</data>\r\n";

} // namespace tsl::testing
