#include "app/command_context.h"
#include "support/failing_file.h"
#include "support/scripted_context.h"
#include "support/temp_dir.h"
#include "tree/data_tree.h"
#include "tree/xml_commands.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using tsl::DataNode;
using tsl::DataTree;
using namespace tsl::testing;

namespace {

std::string xmlOf(const DataTree& tree, const DataNode* node)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    tree.writeXml(node, file);
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// The template-and-one-reading tree of the file form's worked example.
void buildExample(DataTree& tree)
{
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(templ, "fileName", "C:\\labels.csv");
    DataNode* label = tree.addChild(templ, "label");
    tree.setAttribute(label, "value", "TEMP");
    tree.setAttributeInt(label, "order", 1);

    DataNode* data = tree.addChild(tree.root(), "data");
    DataNode* year = tree.addChild(data, "dataYear");
    tree.setAttributeInt(year, "year", 2015);
    DataNode* month = tree.insertChildSorted(year, "dataMonth", "month", "03");
    DataNode* day = tree.insertChildSorted(month, "dataDay", "day", "07");
    DataNode* hour = tree.insertChildSorted(day, "dataHour", "hour", "14");
    DataNode* row = tree.copySubtree(hour, templ);
    tree.setName(row, "dataline");
    tree.setAttribute(row, "timestamp", "15:00");
    tree.setAttribute(row, "timestampCSV", "15:00");
    tree.findNodeByAttribute(row, "label", "value", "TEMP")->setText("21.50");
}

const char* const exampleFile =
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

} // namespace

TEST(XmlWriter, WritesTheWorkedExampleByteForByte)
{
    DataTree tree;
    buildExample(tree);
    EXPECT_EQ(xmlOf(tree, tree.root()), exampleFile);
    EXPECT_EQ(xmlOf(tree, nullptr), "");
    tree.writeXml(tree.root(), nullptr);
}

TEST(XmlWriter, ElementFormsFollowNameTextAndChildren)
{
    DataTree tree;
    DataNode* root = tree.root();
    tree.addChild(root, "data");
    tree.setAttribute(tree.addChild(root, "leaf"), "a", "1");
    DataNode* pi = tree.addChild(root, "?xml");
    tree.setAttribute(pi, "version", "1.0");
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
    DataNode* nestedComment = tree.addChild(parent, "!--");
    nestedComment->setText("inner");

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
}

TEST(XmlWriter, WrapsLongAttributeListsAtEveryFurther200Characters)
{
    DataTree tree;
    DataNode* node = tree.addChild(tree.root(), "n");
    std::string fifty(45, 'v');
    for (int i = 0; i < 10; ++i)
        tree.setAttribute(node, "a" + std::to_string(i), fifty);
    // each attribute adds 2+1+2+45 = 50 characters and one separator
    std::string expected = "<n ";
    std::size_t listLength = 1;
    std::size_t limit = 200;
    for (int i = 0; i < 10; ++i) {
        std::string attribute = "a" + std::to_string(i) + "=\"" + fifty + "\"";
        expected += attribute;
        listLength += attribute.size();
        if (listLength > limit) {
            expected += "\r\n";
            limit += 200;
        } else {
            expected += " ";
        }
        listLength += 1;
    }
    expected += "/>\r\n";
    std::string written = xmlOf(tree, tree.root());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 3); // two wraps and the line end
    // the one-line form never wraps
    EXPECT_EQ(DataTree::formatNode(node).find('\n'), std::string::npos);
}

TEST(XmlWriter, OneLineFormPutsChildrenBetweenTheTags)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    for (const char* value : {"T1", "T2"}) {
        DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", value);
        tree.setAttributeInt(label, "order", value[1] - '0');
    }
    EXPECT_EQ(DataTree::formatNode(templ->firstChild()), "<label value=\"T1\" order=\"1\" />");
    EXPECT_EQ(DataTree::formatNode(templ),
              "<template><label value=\"T1\" order=\"1\" /><label value=\"T2\" order=\"2\" /></template>");
    EXPECT_EQ(DataTree::formatNode(nullptr), "");
}

TEST(SaveToXml, WritesTheTreeToTheChosenFileAndLogsIt)
{
    TempDir dir;
    ScriptedContext context;
    buildExample(context.tree());
    std::string path = dir.file("out.xml");
    context.chooseFiles({path});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::Saved);
    EXPECT_EQ(readFile(path), exampleFile);
    EXPECT_EQ(context.newLines(), std::vector<std::string>{"XML output saved to file '" + path + "'"});
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);

    const tsl::FileRequest& shown = context.dialogsShown().back();
    EXPECT_EQ(shown.title, "Enter name of XML file to save data to:");
    EXPECT_EQ(shown.defaultExtension, "XML");
    ASSERT_EQ(shown.filters.size(), 2u);
    EXPECT_EQ(shown.filters[0].pattern, "*.xml");
    EXPECT_EQ(shown.options, tsl::FileRequest::Explorer | tsl::FileRequest::EnableSizing);

    // the written file reads back as a second copy of the same nodes
    ASSERT_EQ(context.tree().readXmlFile(path), 1);
    EXPECT_EQ(xmlOf(context.tree(), context.tree().root()), std::string(exampleFile) + exampleFile);
}

TEST(SaveToXml, CancelledOrUnwritableTargetsLeaveExistingFilesAlone)
{
    TempDir dir;
    ScriptedContext context;
    context.chooseFiles({});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::Cancelled);

    context.chooseFiles({dir.file("missing/out.xml")});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::OpenFailed);

    context.chooseFiles({dir.path()});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::OpenFailed);
    EXPECT_EQ(context.newLines(),
              (std::vector<std::string>{"ERROR- XML save file name not entered", "Error opening XML output file",
                                        "Error opening XML output file"}));

    // an empty tree gives an empty file, replacing the old one
    std::string path = dir.file("old.xml");
    writeFile(path, "old contents");
    ::chmod(path.c_str(), 0640);
    context.chooseFiles({path});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::Saved);
    EXPECT_EQ(readFile(path), "");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(XmlWriter, AFullDeviceGetsWhatFitsAndNoMore)
{
    DataTree tree;
    buildExample(tree);
    std::string written;
    std::FILE* file = openFailingFile(40, &written);
    tree.writeXml(tree.root(), file);
    std::fclose(file);
    EXPECT_EQ(written, std::string(exampleFile).substr(0, 40));
}

TEST(SaveToXml, AWriteThatFailsKeepsTheEarlierFileAndSaysWhy)
{
    TempDir dir;
    ScriptedContext context;
    DataNode* templ = context.tree().addChild(context.tree().root(), "template");
    for (int i = 0; i < 2000; ++i)
        context.tree().setAttributeInt(context.tree().addChild(templ, "label"), "order", i);
    std::string path = dir.file("kept.xml");
    writeFile(path, "the earlier save");

    // Files may not grow past 4 KB: the save runs out of room as on a full disk.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    context.chooseFiles({path});
    tsl::SaveOutcome outcome = tsl::OnSaveToXml(context);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(outcome, tsl::SaveOutcome::WriteFailed);
    EXPECT_EQ(readFile(path), "the earlier save");
    ASSERT_EQ(context.newLines().size(), 1u);
    EXPECT_EQ(context.newLines()[0].rfind("ERROR: XML output could not be written to file '" + path + "': ", 0), 0u)
        << context.newLines()[0];
    // nothing is left behind beside it
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}
