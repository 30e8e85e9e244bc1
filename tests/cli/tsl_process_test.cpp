// Runs tsl as a process over the example files and compares what it prints
// and writes with the expected files kept beside this test.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tsl::testing;

namespace {

struct Case {
    std::string name;
    std::vector<std::string> arguments;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> splitArguments(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        words.push_back(word == "\"\"" ? std::string() : word);
    return words;
}

std::vector<Case> loadCases()
{
    std::vector<Case> cases;
    std::ifstream in(TSL_CLI_TEST_DIR "/cases.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        auto words = splitArguments(line);
        cases.push_back({words.front(), {words.begin() + 1, words.end()}});
    }
    return cases;
}

struct TslOutput {
    int status = -1;
    std::string out;
    std::string err;
};

// In a child process: tsl in folder with the arguments, the environment
// fixed to UTC. Does not return.
[[noreturn]] void execTsl(const std::string& folder, const std::vector<std::string>& arguments)
{
    if (chdir(folder.c_str()) != 0)
        _exit(127);
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C", 1);
    setenv("HOME", folder.c_str(), 1);
    // Nothing tsl does needs a display.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    std::vector<char*> argv{const_cast<char*>(TSL_EXECUTABLE)};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(TSL_EXECUTABLE, argv.data());
    _exit(127);
}

// Runs tsl in folder; its standard output goes to outPath when one is given.
TslOutput runTsl(const std::string& folder, const std::vector<std::string>& arguments,
                 const std::string& outPath = {})
{
    const std::string ownOut = folder + "/.stdout", errPath = folder + "/.stderr";
    pid_t child = fork();
    if (child == 0) {
        FILE* out = freopen((outPath.empty() ? ownOut : outPath).c_str(), "w", stdout);
        FILE* err = freopen(errPath.c_str(), "w", stderr);
        if (!out || !err)
            _exit(127);
        execTsl(folder, arguments);
    }
    TslOutput run;
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(ownOut);
    run.err = readFile(errPath);
    fs::remove(ownOut);
    fs::remove(errPath);
    return run;
}

void copyExamples(const std::string& folder)
{
    for (const auto& entry : fs::directory_iterator(TSL_EXAMPLES_DIR))
        fs::copy_file(entry.path(), fs::path(folder) / entry.path().filename());
}

class TslRun : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(TslRun, PrintsAndWritesWhatIsExpected)
{
    const Case& c = GetParam();
    TempDir dir;
    copyExamples(dir.path());
    TslOutput run = runTsl(dir.path(), c.arguments);

    std::string expected = std::string(TSL_CLI_TEST_DIR) + "/expected/" + c.name;
    EXPECT_EQ(run.out, readFile(expected + ".out"));
    EXPECT_EQ(std::to_string(run.status) + "\n", readFile(expected + ".status"));

    // every file the run wrote, and no other
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (!fs::exists(fs::path(TSL_EXAMPLES_DIR) / entry.path().filename()))
            written.insert(entry.path().filename().string());
    std::set<std::string> wanted;
    if (fs::is_directory(expected))
        for (const auto& entry : fs::directory_iterator(expected))
            wanted.insert(entry.path().filename().string());
    EXPECT_EQ(written, wanted);
    for (const auto& name : wanted)
        EXPECT_EQ(readFile(dir.file(name)), readFile(expected + "/" + name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Examples, TslRun, ::testing::ValuesIn(loadCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(Tsl, MalformedArgumentsRunNothing)
{
    TempDir dir;
    for (std::vector<std::string> arguments :
         std::vector<std::vector<std::string>>{{"--interval", "7"}, {"--reduction", "x"}, {"--bracket", "yes"},
                                               {"--bracket-start", "24:00:00"}, {"--start-date", "2026-02-29"},
                                               {"--fill-value", "no-equals-sign"}, {"--save-csv"}, {"--frobnicate"},
                                               {"merged.csv"}, {"--clear", "--split", "8"}, {"--decimals", "7"},
                                               {"--sort-rows", "yes"}, {"--read"}, {"--drop", "--clear"}, {"--import"},
                                               {"--date-format", "-0"}, {"--split", "+1"}}) {
        TslOutput run = runTsl(dir.path(), arguments);
        EXPECT_EQ(run.status, 2) << arguments.front();
        EXPECT_EQ(run.out, "") << arguments.front();
        EXPECT_NE(run.err, "") << arguments.front();
    }
}

TEST(Tsl, HelpListsEveryActionOnOneScreen)
{
    TempDir dir;
    TslOutput run = runTsl(dir.path(), {"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* action : {"--interval", "--reduction", "--date-format", "--time-delimiter", "--delimiter",
                               "--split", "--bracket ", "--bracket-start", "--bracket-end", "--write-date-from",
                               "--start-date", "--line-labelled", "--conversion ", "--conversion-column", "--decimals",
                               "--sort-rows",
                               "--read-template", "--output-template", "--add-output-template", "--read ",
                               "--drop", "--clear", "--convert", "--fill-blanks", "--fill-value", "--preview",
                               "--save-csv", "--save-xlsx", "--save-xml", "--plot ", "--plot-columns", "--query-database"})
        EXPECT_NE(run.out.find(action), std::string::npos) << action;
    EXPECT_LE(std::count(run.out.begin(), run.out.end(), '\n'), 50);
}

#ifdef TSL_WITHOUT_CHARTS
TEST(Tsl, SaysItWasBuiltWithoutCharts)
{
    TempDir dir;
    copyExamples(dir.path());
    TslOutput run = runTsl(dir.path(), {"--plot", "chart.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ERROR: chart could not be written to file 'chart.png': this tsl was built without "
                           "charts. Any earlier file of that name is unchanged.\n"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(fs::exists(dir.file("chart.png")));
}
#else
TEST(Tsl, PlotsChartsWithoutADisplay)
{
    TempDir dir;
    copyExamples(dir.path());
    const std::string earlier = "an earlier file";
    std::ofstream(dir.file("chart.bmpx")) << earlier;
    TslOutput run = runTsl(dir.path(), {"--plot", "empty.png", "--interval", "4", "--date-format", "6", "--read",
                                        "vav_logger.csv", "--plot", "chart.png", "--plot-columns",
                                        "DMPR_POS,NOPE,ZN_TEMP", "--plot", "chart.svg", "--plot", "chart.bmpx"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, ""); // and no progress bar on a pipe
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    auto has = [&](const std::string& line) { return run.out.find(line + "\n") != std::string::npos; };
    EXPECT_TRUE(has("No data to plot: the chart says so."));
    EXPECT_TRUE(has("Chart of 0 columns over 0 data lines saved to file 'empty.png'"));
    // MODE holds text only: the chart takes the columns with readings
    EXPECT_TRUE(has("Chart of 2 columns over 19 data lines saved to file 'chart.png'"));
    EXPECT_TRUE(has("ERROR: no column labelled 'NOPE' in the data - not plotted"));
    EXPECT_TRUE(has("Chart of 2 columns over 19 data lines saved to file 'chart.svg'"));
    EXPECT_TRUE(has("ERROR: chart could not be written to file 'chart.bmpx': no image format is known for the "
                    "suffix '.bmpx' (use .png or .svg). Any earlier file of that name is unchanged."));

    EXPECT_EQ(readFile(dir.file("chart.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_GT(fs::file_size(dir.file("chart.png")), 10000u);
    const std::string svg = readFile(dir.file("chart.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("DMPR_POS"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("chart.bmpx")), earlier);
}
#endif

TEST(Tsl, ProgressBarOnATerminal)
{
    TempDir dir;
    std::string lines = "Date,Time,A\n";
    for (int minute = 0; minute < 3000; ++minute)
        lines += "03/02/2026," + std::to_string(10 + minute / 60 % 14) + ":" + std::to_string(10 + minute % 50) + ":00,1\n";
    writeFile(dir.file("big.csv"), lines);

    int terminal = -1;
    pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (chdir(dir.path().c_str()) != 0)
            _exit(127);
        // log lines to a file, so that the terminal shows the bar alone
        if (!freopen("log.txt", "w", stdout))
            _exit(127);
        setenv("TZ", "UTC", 1);
        execl(TSL_EXECUTABLE, TSL_EXECUTABLE, "--read", "big.csv", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    std::string screen;
    char buffer[4096];
    for (;;) {
        ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            break;
        screen.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(screen.find("file 1 of 1 ["), std::string::npos) << screen;
    EXPECT_NE(screen.find("big.csv"), std::string::npos);
    EXPECT_NE(readFile(dir.file("log.txt")).find("Finished reading file."), std::string::npos);
}

TEST(Tsl, SurvivesEveryFileOfTheFuzzCorpusBackToBack)
{
    TempDir dir;
    std::vector<std::string> arguments{"--interval", "0", "--read"};
    std::vector<std::string> xml{"--read"};
    for (const auto& folder : fs::directory_iterator(TSL_FUZZ_CORPUS_DIR))
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            std::string path = fs::absolute(entry.path()).string();
            (path.find(".xml") != std::string::npos ? xml : arguments).push_back(path);
        }
    arguments.insert(arguments.end(), xml.begin(), xml.end());
    for (const char* more : {"--fill-blanks", "--convert", "--preview", "--save-csv", "all.csv", "--save-xml", "all.xml"})
        arguments.push_back(more);
    TslOutput run = runTsl(dir.path(), arguments);
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << run.err;
    EXPECT_NE(run.out.find("Saved data to CSV file 'all.csv'."), std::string::npos);
    EXPECT_NE(run.out.find("XML output saved to file 'all.xml'"), std::string::npos);
}

// A fill of a column that is not there answers on standard error, as its
// dialog does, and leaves the status at 0; an XML file that is a link to an
// endless device is a failed read (1), and so is a log that standard output
// cannot take.
TEST(Tsl, FillValueAnswersAndFailedReadsAndOutput)
{
    TempDir dir;
    copyExamples(dir.path());
    ::symlink("/dev/zero", dir.file("zero.xml").c_str());
    TslOutput fill = runTsl(dir.path(), {"--date-format", "6", "--read", "vav_logger.csv", "--fill-value", "NOPE=1"});
    EXPECT_EQ(fill.status, 0);
    EXPECT_EQ(fill.err, "Fill Value: no column 'NOPE' in the list\n");
    TslOutput zero = runTsl(dir.path(), {"--read", "zero.xml", "--save-xml", "out.xml"});
    EXPECT_EQ(zero.status, 1);
    EXPECT_NE(zero.out.find("ERROR- XML file 'zero.xml' could not be read: it holds NUL bytes, so it is not a text "
                            "file (the read ended at the first).\nProblem reading XML file.\n"),
              std::string::npos);
    EXPECT_NE(zero.out.find("XML output saved to file 'out.xml'"), std::string::npos);
    TslOutput full = runTsl(dir.path(), {"--preview"}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "tsl: the log could not be written to standard output: No space left on device\n");
}

// Ctrl-C during a read of a stream that never ends (a data file or an XML
// file) stops that file; tsl goes on with the next action and ends with
// status 1 and a last line that says so. The log reaches a pipe line by line.
TEST(Tsl, CtrlCStopsAnEndlessReadAndEndsWithStatus1)
{
    struct Case { std::string file, firstLine; std::function<std::string(int)> line; std::string save, saved; };
    auto minuteLine = [](int m) {
        char text[64];
        std::snprintf(text, sizeof text, "%02d/%02d/2015,%02d:%02d:00,1\n", 1 + m / 40320 % 12, 1 + m / 1440 % 28,
                      m / 60 % 24, m % 60);
        return std::string(text);
    };
    const Case cases[] = {
        {"stream.csv", "Date,Time,T1\n", minuteLine, "--save-csv", "Saved data to CSV file 'out'."},
        {"stream.xml", "", [](int) { return std::string("<node a=\"1\" />\n"); }, "--save-xml",
         "XML output saved to file 'out'"},
    };
    std::signal(SIGPIPE, SIG_IGN);
    for (const Case& k : cases) {
        TempDir dir;
        ASSERT_EQ(::mkfifo(dir.file(k.file).c_str(), 0644), 0);
        std::thread logger([&] {
            const int fd = ::open(dir.file(k.file).c_str(), O_WRONLY);
            std::string text = k.firstLine;
            for (int n = 0; ::write(fd, text.data(), text.size()) >= 0; ++n)
                text = k.line(n);
            ::close(fd);
        });
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = fork();
        if (child == 0) {
            ::dup2(pipeEnds[1], 1);
            ::close(pipeEnds[0]);
            execTsl(dir.path(), {"--read", k.file, k.save, "out"});
        }
        ::close(pipeEnds[1]);
        std::string out;
        bool interrupted = false;
        for (;;) {
            pollfd ready{pipeEnds[0], POLLIN, 0};
            if (::poll(&ready, 1, 30000) <= 0)
                break;
            char buffer[4096];
            const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (got <= 0)
                break;
            out.append(buffer, static_cast<std::size_t>(got));
            if (!interrupted && out.find("Entered file") != std::string::npos) {
                ::kill(child, SIGINT);
                interrupted = true;
            }
        }
        ::kill(child, SIGKILL); // when it did not end by itself
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipeEnds[0]);
        // A reader that comes and goes ends the logger, whether tsl opened the stream or not.
        ::close(::open(dir.file(k.file).c_str(), O_RDONLY | O_NONBLOCK));
        logger.join();
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << out;
        EXPECT_NE(out.find("Data entry stopped by manual command.\n"), std::string::npos) << out;
        EXPECT_NE(out.find(k.saved), std::string::npos) << out;
        EXPECT_TRUE(out.ends_with("\nExit status 1: a read was stopped (Ctrl-C) before the end of its file, so the "
                                  "data read, and anything saved after the stop, is incomplete.\n"))
            << out;
    }
}
