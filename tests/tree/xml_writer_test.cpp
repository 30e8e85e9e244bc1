#include "app/command_context.h"
#include "support/failing_file.h"
#include "support/scripted_context.h"
#include "tree/xml_commands.h"
#include "tree_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

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
    EXPECT_EQ(context.dialogsShown().back().options,
              tsl::FileRequest::Explorer | tsl::FileRequest::EnableSizing | tsl::FileRequest::OverwritePrompt);
}

TEST(SaveToXml, FailuresLeaveExistingFilesAlone)
{
    TempDir dir;
    ScriptedContext context;
    context.chooseFiles({});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::Cancelled);
    context.chooseFiles({dir.file("missing/out.xml")});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::OpenFailed);
    context.chooseFiles({dir.path()});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::Refused);
    EXPECT_EQ(context.newLines(),
              (std::vector<std::string>{"ERROR- XML save file name not entered", "Error opening XML output file",
                                        "ERROR: Nothing was saved to '" + dir.path() + "': it is a folder."}));

    // an empty tree gives an empty file, replacing the old one with its mode
    std::string path = dir.file("old.xml");
    writeFile(path, "old contents");
    ::chmod(path.c_str(), 0640);
    context.chooseFiles({path});
    EXPECT_EQ(tsl::OnSaveToXml(context), tsl::SaveOutcome::Saved);
    EXPECT_EQ(readFile(path), "");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // Files may not grow past 4 KB: the save runs out of room as on a full disk.
    DataNode* templ = context.tree().addChild(context.tree().root(), "template");
    for (int i = 0; i < 2000; ++i)
        context.tree().setAttributeInt(context.tree().addChild(templ, "label"), "order", i);
    writeFile(path, "the earlier save");
    const std::size_t linesBefore = context.newLines().size();
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
    ASSERT_EQ(context.newLines().size(), linesBefore + 1);
    EXPECT_EQ(context.newLines().back().rfind("ERROR: XML output could not be written to file '" + path + "': ", 0), 0u)
        << context.newLines().back();
    // nothing is left behind beside it
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}
