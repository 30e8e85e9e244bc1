#include "input/label_templates.h"
#include "input/read_commands.h"
#include "output/sample_data.h"
#include "output/save_target.h"
#include "tree/xml_commands.h"

#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using SaveCommand = SaveOutcome (*)(CommandContext&);

struct Save {
    const char* name;
    SaveCommand command;
};
const Save saves[] = {{"CSV", OnSaveToCsv}, {"XML", OnSaveToXml}};

const std::string logger = "Date,Time,T1\n01/15/2019,13:05:00,1.5\n";

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
    struct Read {
        const char* kind;
        std::function<void(SaveWorld&, const std::string&)> read;
    };
    const Read reads[] = {
        {"a data file", [](SaveWorld& w, const std::string& path) { readDataFile(w.c, path); }},
        {"a label template",
         [](SaveWorld& w, const std::string& path) {
             w.c.chooseFiles({path});
             OnReadLabelTemplate(w.c);
         }},
        {"an output template",
         [](SaveWorld& w, const std::string& path) {
             w.c.chooseFiles({path});
             OnSetOutputTemplate(w.c);
         }},
    };
    for (const Read& read : reads) {
        for (const Save& save : saves) {
            SaveWorld w;
            w.data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
            const std::string path = w.dir.file("logger.xml.csv"); // ".xml" in it: the XML reader's too
            writeFile(path, logger);
            read.read(w, path);
            ::mkdir(w.dir.file("sub").c_str(), 0755);
            ::link(path.c_str(), w.dir.file("hard.csv").c_str());
            ::symlink("logger.xml.csv", w.dir.file("soft.csv").c_str());
            for (const std::string name : {"logger.xml.csv", "sub/../logger.xml.csv", "hard.csv", "soft.csv"}) {
                const std::string target = w.dir.file(name);
                w.c.chooseFiles({target});
                EXPECT_EQ(save.command(w.c), SaveOutcome::Refused) << read.kind << " " << save.name << " " << name;
                const std::string asRead = name == std::string("logger.xml.csv") ? "" : " as '" + path + "'";
                EXPECT_EQ(w.c.newLines().back(), refusal(target, std::string("it is ") + read.kind +
                                                                     " read in this session" + asRead +
                                                                     " (a save never replaces one)"));
                EXPECT_EQ(*w.c.log().selected(), w.c.log().size() - 1);
            }
            EXPECT_EQ(readFile(path), logger) << read.kind << " " << save.name;
            EXPECT_EQ(kindOf(w.dir.file("soft.csv")), S_IFLNK);
        }
    }
}

// Nothing but a file is ever written, and what is there stays: a folder, a
// FIFO, a socket, a device (a copy of /dev/null), a loop of links.
TEST(SaveRefusal, TargetsThatAreNotFilesAreKept)
{
    struct Target {
        const char* name;
        std::function<bool(const std::string&)> make;
        mode_t kind;
        const char* reason;
    };
    const Target targets[] = {
        {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0; }, S_IFDIR, "it is a folder"},
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, S_IFIFO,
         "it is a named pipe (FIFO), not a file"},
        {"socket",
         [](const std::string& p) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             p.copy(address.sun_path, sizeof address.sun_path - 1);
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
             ::close(fd);
             return bound;
         },
         S_IFSOCK, "it is a socket, not a file"},
        // Only the superuser makes device nodes; it is also the one whose saves
        // could replace them.
        {"null", [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
         S_IFCHR, "it is a device, not a file"},
        {"loop",
         [](const std::string& p) {
             return ::symlink("loop2", p.c_str()) == 0 && ::symlink("loop", (p + "2").c_str()) == 0;
         },
         S_IFLNK, "its symbolic links go round in a loop"},
    };
    for (const Target& t : targets) {
        for (const Save& save : saves) {
            SaveWorld w;
            w.data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
            const std::string path = w.dir.file(t.name);
            if (!t.make(path)) {
                EXPECT_EQ(std::string(t.name), "null") << "could not make the " << t.name;
                continue;
            }
            ::symlink(t.name, w.dir.file("link").c_str());
            for (const std::string& target : {path, w.dir.file("link")}) {
                w.c.chooseFiles({target});
                EXPECT_EQ(save.command(w.c), SaveOutcome::Refused) << t.name << " " << save.name;
                EXPECT_EQ(w.c.newLines().back(), refusal(target, t.reason));
            }
            EXPECT_EQ(kindOf(path), t.kind) << t.name << " " << save.name;
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
    for (const char* name : {"second.csv", "dangling.csv"}) {
        ASSERT_EQ(w.saveAs(name), SaveOutcome::Saved) << name;
        EXPECT_EQ(w.c.newLines().back(), "Saved data to CSV file '" + w.dir.file(name) + "'.");
        EXPECT_EQ(kindOf(w.dir.file(name)), S_IFLNK);
    }
    const std::string saved = "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n";
    EXPECT_EQ(w.saved("real/out.csv"), saved);
    EXPECT_EQ(w.saved("real/new.csv"), saved);
    EXPECT_EQ(kindOf(w.dir.file("first.csv")), S_IFLNK);

    for (const Save& save : saves) {
        writeFile(w.dir.file("linked.csv"), "earlier");
        ::link(w.dir.file("linked.csv").c_str(), w.dir.file("other name.csv").c_str());
        ::link(w.dir.file("linked.csv").c_str(), w.dir.file("third name.csv").c_str());
        w.c.chooseFiles({w.dir.file("linked.csv")});
        ASSERT_EQ(save.command(w.c), SaveOutcome::Saved) << save.name;
        EXPECT_EQ(w.c.newLines().back(), "NOTE- '" + w.dir.file("linked.csv") +
                                             "' had 2 other names (hard links): they keep the earlier content.");
        EXPECT_EQ(w.saved("other name.csv"), "earlier");
        EXPECT_NE(w.saved("linked.csv"), "earlier");
        ::unlink(w.dir.file("other name.csv").c_str());
        ::unlink(w.dir.file("third name.csv").c_str());
    }
}
