#include "app/headless_context.h"
#include "db/access_database.h"
#include "db/driver_registration.h"
#include "db/fill_database.h"
#include "fresh_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

using namespace tsl;
using namespace tsl::testing;
namespace fs = std::filesystem;

namespace {

const std::string accessFolder = std::string(TSL_SHARED_DATA_DIR) + "/access";
const std::string mdbtoolsDriver = std::string(TSL_ODBC_DRIVER_DIR) + "/libmdbodbc.so";
const std::string sqliteDriver = std::string(TSL_ODBC_DRIVER_DIR) + "/libsqlite3odbc.so";

struct MessageBoxShown {
    std::string text;
    std::string caption;
    MessageButtons buttons;
};

// What one run of the command did, as seen from its context.
struct CommandRun {
    bool exitedCleanly = false;
    std::vector<MessageBoxShown> boxes;
    std::size_t newLogLines = 0;
    bool treeEmpty = false;
    std::optional<std::string> odbcSysIni; // after the run
};

constexpr char fieldEnd = '\x1f';

std::vector<std::string> splitFields(const std::string& report)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find(fieldEnd, start)) != std::string::npos; start = end + 1)
        fields.push_back(report.substr(start, end - start));
    return fields;
}

// Runs "Fill Database" in a process of its own with these environment
// variables set (an empty value unsets one).
CommandRun runFillDatabase(const std::map<std::string, std::string>& environment)
{
    ChildResult child = runInChildProcess([&] {
        for (const auto& [name, value] : environment) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        HeadlessContext context;
        const std::size_t logBefore = context.log().size();
        std::string report;
        context.setQuestionHandler([&](const std::string& text, const std::string& caption, MessageButtons buttons) {
            report += "box" + std::string(1, fieldEnd) + text + fieldEnd + caption + fieldEnd +
                      std::to_string(static_cast<int>(buttons)) + fieldEnd;
            return MessageAnswer::Ok;
        });
        OnFillDatabase(context);
        const char* sysIni = std::getenv("ODBCSYSINI");
        report += "end" + std::string(1, fieldEnd) + std::to_string(context.log().size() - logBefore) + fieldEnd +
                  (context.tree().root()->firstChild() ? "0" : "1") + fieldEnd + (sysIni ? "1" : "0") +
                  fieldEnd + (sysIni ? sysIni : "") + fieldEnd;
        return report;
    });

    CommandRun run;
    run.exitedCleanly = child.exitedCleanly;
    std::vector<std::string> fields = splitFields(child.report);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == "box" && i + 3 < fields.size()) {
            run.boxes.push_back({fields[i + 1], fields[i + 2], static_cast<MessageButtons>(std::stoi(fields[i + 3]))});
            i += 3;
        } else if (fields[i] == "end" && i + 4 < fields.size()) {
            run.newLogLines = std::stoul(fields[i + 1]);
            run.treeEmpty = fields[i + 2] == "1";
            if (fields[i + 3] == "1")
                run.odbcSysIni = fields[i + 4];
            i += 4;
        }
    }
    return run;
}

void expectOneDatabaseError(const CommandRun& run, const std::string& detail)
{
    ASSERT_TRUE(run.exitedCleanly);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text.rfind("Database error: ", 0), 0u) << run.boxes[0].text;
    EXPECT_NE(run.boxes[0].text.find(detail), std::string::npos) << run.boxes[0].text;
    EXPECT_EQ(run.boxes[0].caption, "Corvane");
    EXPECT_EQ(run.boxes[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(run.newLogLines, 0u);
    EXPECT_TRUE(run.treeEmpty);
}

void expectSilentSuccess(const CommandRun& run)
{
    ASSERT_TRUE(run.exitedCleanly);
    for (const MessageBoxShown& box : run.boxes)
        ADD_FAILURE() << "unexpected message: " << box.text;
    EXPECT_EQ(run.newLogLines, 0u);
    EXPECT_TRUE(run.treeEmpty);
}

class FillDatabase : public ::testing::Test {
protected:
    TempDir home;
    TempDir drivers;

    std::string databasePath() const
    {
        return home.path() + "/wexlo/Database/Wexlo Building Performance Database.accdb";
    }

    void placeDatabase(const std::string& source)
    {
        fs::create_directories(home.path() + "/wexlo/Database");
        fs::copy_file(source, databasePath());
    }

    // A SQLite file at the database path, made by the sqlite3 shell.
    void makeSqliteDatabase(const std::string& sql)
    {
        fs::create_directories(home.path() + "/wexlo/Database");
        std::FILE* shell = ::popen(("sqlite3 '" + databasePath() + "'").c_str(), "w");
        ASSERT_NE(shell, nullptr);
        std::fputs(sql.c_str(), shell);
        ASSERT_EQ(::pclose(shell), 0) << "sqlite3 failed on: " << sql;
    }

    // A driver list of the test's own naming driverLibrary under the Access driver's name.
    void registerAccessName(const std::string& iniPath, const std::string& driverLibrary)
    {
        writeFile(iniPath, std::string("[") + accessDriverName + "]\nDriver = " + driverLibrary + "\n");
    }

    // The environment of a user who has set up no ODBC drivers of their own.
    std::map<std::string, std::string> plainEnvironment() const
    {
        return {{"HOME", home.path()}, {"ODBCSYSINI", ""}, {"ODBCINSTINI", ""}};
    }

    std::map<std::string, std::string> sqliteEnvironment()
    {
        registerAccessName(drivers.file("odbcinst.ini"), sqliteDriver);
        auto environment = plainEnvironment();
        environment["ODBCSYSINI"] = drivers.path();
        return environment;
    }

    // Installed driver libraries and shared test files; a test without them is skipped.
    static bool missing(const std::string& path) { return !fileExists(path); }
};

TEST_F(FillDatabase, MissingFileIsReportedWithoutTouchingOdbc)
{
    CommandRun run = runFillDatabase(plainEnvironment());
    expectOneDatabaseError(run, databasePath());
    EXPECT_FALSE(run.odbcSysIni) << "the driver list was set up for a file that is not there";

    fs::create_directories(databasePath());
    expectOneDatabaseError(runFillDatabase(plainEnvironment()), "was not found");
}

TEST_F(FillDatabase, AccessFilesWithoutMetadataTableGiveTheDriversText)
{
    if (missing(mdbtoolsDriver) || missing(accessFolder))
        GTEST_SKIP() << "needs " << mdbtoolsDriver << " and " << accessFolder;
    for (const char* file : {"testV2007.accdb", "empty2007.accdb"}) {
        SCOPED_TRACE(file);
        fs::remove_all(home.path() + "/wexlo");
        placeDatabase(accessFolder + "/" + file);
        CommandRun run = runFillDatabase(plainEnvironment());
        expectOneDatabaseError(run, "Couldn't parse SQL");
        // The shipped driver list is the one that served the name.
        ASSERT_TRUE(run.odbcSysIni);
        EXPECT_EQ(shippedDriverFolder(accessDriverName), *run.odbcSysIni);
    }
}

TEST_F(FillDatabase, UnreadableAccessFileStillGivesAReason)
{
    if (missing(mdbtoolsDriver))
        GTEST_SKIP() << "needs " << mdbtoolsDriver;
    fs::create_directories(home.path() + "/wexlo/Database");
    writeFile(databasePath(), "not an Access database\n");
    CommandRun run = runFillDatabase(plainEnvironment());
    expectOneDatabaseError(run, "");
    EXPECT_GT(run.boxes.at(0).text.size(), std::string("Database error: ").size() + 5);
}

TEST_F(FillDatabase, ReadsEveryRowSilentlyThroughARegisteredDriver)
{
    if (missing(sqliteDriver))
        GTEST_SKIP() << "needs " << sqliteDriver;
    makeSqliteDatabase("CREATE TABLE Metadata (Season TEXT, FaultID INTEGER, Building TEXT);\n"
                       "INSERT INTO Metadata VALUES ('Summer', 12, 'North');\n"
                       "INSERT INTO Metadata VALUES (NULL, NULL, NULL);\n"
                       "INSERT INTO Metadata VALUES (printf('%.3000c', 'W'), 7, 'South');\n");
    CommandRun run = runFillDatabase(sqliteEnvironment());
    expectSilentSuccess(run);
    // The user's own registration is left in charge.
    EXPECT_EQ(run.odbcSysIni, drivers.path());
}

TEST_F(FillDatabase, EmptyMetadataTableEndsSilently)
{
    if (missing(sqliteDriver))
        GTEST_SKIP() << "needs " << sqliteDriver;
    makeSqliteDatabase("CREATE TABLE Metadata (Season TEXT, FaultID INTEGER);\n");
    expectSilentSuccess(runFillDatabase(sqliteEnvironment()));
}

TEST_F(FillDatabase, TableWithoutTheFaultIdColumnIsADatabaseError)
{
    if (missing(sqliteDriver))
        GTEST_SKIP() << "needs " << sqliteDriver;
    makeSqliteDatabase("CREATE TABLE Metadata (Season TEXT, \"Fault ID\" INTEGER);\n"
                       "INSERT INTO Metadata VALUES ('Winter', 3);\n");
    expectOneDatabaseError(runFillDatabase(sqliteEnvironment()), "FaultID");
}

TEST_F(FillDatabase, DriverRegisteredInTheUsersOwnListIsUsed)
{
    if (missing(sqliteDriver))
        GTEST_SKIP() << "needs " << sqliteDriver;
    makeSqliteDatabase("CREATE TABLE Metadata (Season TEXT, FaultID TEXT);\n"
                       "INSERT INTO Metadata VALUES ('Spring', 'F-1');\n");
    registerAccessName(home.file(".odbcinst.ini"), sqliteDriver);
    CommandRun run = runFillDatabase(plainEnvironment());
    expectSilentSuccess(run);
    EXPECT_FALSE(run.odbcSysIni);
}

TEST_F(FillDatabase, MissingDriverLibraryGivesTheDriverManagersText)
{
    if (missing(accessFolder))
        GTEST_SKIP() << "needs " << accessFolder;
    placeDatabase(accessFolder + "/empty2007.accdb");
    registerAccessName(drivers.file("odbcinst.ini"), drivers.file("libgone.so"));
    auto environment = plainEnvironment();
    environment["ODBCSYSINI"] = drivers.path();
    expectOneDatabaseError(runFillDatabase(environment), "libgone.so");
}

} // namespace
