#include "input/label_templates.h"
#include "input/read_commands.h"
#include "output/sample_data.h"
#include "output/xlsx_writer.h"
#include "output/xml_save.h"

#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using SaveCommand = SaveOutcome (*)(CommandContext&);
const SaveCommand saves[] = {OnSaveToCsv, OnSaveToXml, [](CommandContext& c) { return OnSaveToExcel(c); }};

// The kind of a path itself, symbolic links not followed.
mode_t kindOf(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

std::string refusal(const std::string& path, const std::string& reason)
{
    return "ERROR: Nothing was saved to '" + path + "': " + reason + ".";
}

} // namespace

// However the user names it, a file read in this session stays as it was:
// data files, label templates, output templates and XML files alike.
TEST(SaveRefusal, FilesReadInTheSessionAreNotReplacedUnderAnyName)
{
    using Read = std::function<void(SaveWorld&, const std::string&)>;
    auto chosen = [](auto command) -> Read {
        return [command](SaveWorld& w, const std::string& path) {
            w.c.chooseFiles({path});
            command(w.c);
        };
    };
    const std::pair<const char*, Read> reads[] = {
        {"a data file", [](SaveWorld& w, const std::string& path) { readDataFile(w.c, path); }},
        {"a label template", chosen(OnReadLabelTemplate)},
        {"an output template", chosen(OnSetOutputTemplate)},
        {"an XML file", chosen(OnReadCsvData)},
    };
    const std::string logger = "Date,Time,T1\n01/15/2019,13:05:00,1.5\n";
    for (const auto& [kind, read] : reads) {
        for (SaveCommand save : saves) {
            SaveWorld w;
            const std::string path = w.dir.file("logger.xml.csv"); // ".xml" in it: the XML reader's too
            writeFile(path, logger);
            read(w, path);
            ::mkdir(w.dir.file("sub").c_str(), 0755);
            ::link(path.c_str(), w.dir.file("hard.csv").c_str());
            ::symlink("logger.xml.csv", w.dir.file("soft.csv").c_str());
            for (const std::string name : {"logger.xml.csv", "sub/../logger.xml.csv", "hard.csv", "soft.csv"}) {
                w.c.chooseFiles({w.dir.file(name)});
                EXPECT_EQ(save(w.c), SaveOutcome::Refused) << kind << " " << name;
                const std::string asRead = name == std::string("logger.xml.csv") ? "" : " as '" + path + "'";
                EXPECT_EQ(w.c.newLines().back(), refusal(w.dir.file(name), std::string("it is ") + kind +
                                                                             " read in this session" + asRead +
                                                                             " (a save never replaces one)"));
            }
            EXPECT_EQ(readFile(path), logger) << kind;
        }
    }
}

// Only files are written, and what is there stays: a folder, a FIFO, a
// device (a copy of /dev/null, which only the superuser can make, and
// replace) and a loop of links, each named directly and through a link.
TEST(SaveRefusal, TargetsThatAreNotFilesAreKept)
{
    using Make = std::function<int(const std::string&)>;
    const std::tuple<const char*, Make, mode_t, const char*> targets[] = {
        {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0755); }, S_IFDIR, "it is a folder"},
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644); }, S_IFIFO,
         "it is a named pipe (FIFO), not a file"},
        {"null", [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)); }, S_IFCHR,
         "it is a device, not a file"},
        {"loop", [](const std::string& p) { return ::symlink("loop", p.c_str()); }, S_IFLNK,
         "its symbolic links go round in a loop"},
    };
    for (const auto& [name, make, kind, reason] : targets) {
        for (SaveCommand save : saves) {
            SaveWorld w;
            const std::string path = w.dir.file(name);
            if (make(path) != 0 && geteuid() != 0)
                continue;
            ::symlink(name, w.dir.file("link").c_str());
            for (const std::string& target : {path, w.dir.file("link")}) {
                w.c.chooseFiles({target});
                EXPECT_EQ(save(w.c), SaveOutcome::Refused) << name;
                EXPECT_EQ(w.c.newLines().back(), refusal(target, reason));
            }
            EXPECT_EQ(kindOf(path), kind) << name;
        }
    }
}

// A save writes through symbolic links to the file they name (made when it
// is not there yet); a file with other names is replaced, and the log says
// that those keep the earlier content.
TEST(SaveRefusal, LinksAreFollowedAndOtherNamesKeepTheEarlierContent)
{
    SaveWorld w;
    w.data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    ::mkdir(w.dir.file("real").c_str(), 0755);
    writeFile(w.dir.file("real/out.csv"), "earlier");
    ::symlink("real/out.csv", w.dir.file("first.csv").c_str());
    ::symlink(w.dir.file("first.csv").c_str(), w.dir.file("second.csv").c_str());
    ::symlink("real/new.csv", w.dir.file("dangling.csv").c_str());
    const std::string saved = "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n";
    for (const char* name : {"second.csv", "dangling.csv"}) {
        ASSERT_EQ(w.saveAs(name), SaveOutcome::Saved) << name;
        EXPECT_EQ(kindOf(w.dir.file(name)), S_IFLNK);
    }
    EXPECT_EQ(w.saved("real/out.csv"), saved);
    EXPECT_EQ(w.saved("real/new.csv"), saved);
    // A workbook too: its library writes by name, yet the link stays a link.
    w.c.chooseFiles({w.dir.file("second.csv")});
    ASSERT_EQ(OnSaveToExcel(w.c), SaveOutcome::Saved);
    EXPECT_EQ(kindOf(w.dir.file("second.csv")), S_IFLNK);
    EXPECT_EQ(w.saved("real/out.csv").substr(0, 2), "PK");
    EXPECT_EQ(filesIn(w.dir.file("real")), (Lines{"new.csv", "out.csv"}));

    writeFile(w.dir.file("linked.csv"), "earlier");
    ::link(w.dir.file("linked.csv").c_str(), w.dir.file("other name.csv").c_str());
    ::link(w.dir.file("linked.csv").c_str(), w.dir.file("third name.csv").c_str());
    ASSERT_EQ(w.saveAs("linked.csv"), SaveOutcome::Saved);
    EXPECT_EQ(w.c.newLines().back(), "NOTE- '" + w.dir.file("linked.csv") +
                                         "' had 2 other names (hard links): they keep the earlier content.");
    EXPECT_EQ(w.saved("other name.csv"), "earlier");
    EXPECT_EQ(w.saved("linked.csv"), saved);
}
