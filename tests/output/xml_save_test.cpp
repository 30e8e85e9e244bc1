#include "output/xml_save.h"

#include "app/command_context.h"
#include "support/scripted_context.h"
#include "tree/tree_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using tsl::DataNode;
using namespace tsl::testing;

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
