#include "app/headless_context.h"
#include "db/access_database.h"
#include "db/driver_registration.h"
#include "db/fill_database.h"
#include "fresh_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

using namespace tsl;
using namespace tsl::testing;
namespace fs = std::filesystem;

namespace {

const std::string accessFolder = std::string(TSL_TEST_DATA_DIR) + "/access";
const std::string mdbtoolsDriver = std::string(TSL_ODBC_DRIVER_DIR) + "/libmdbodbc.so";
const std::string sqliteDriver = std::string(TSL_ODBC_DRIVER_DIR) + "/libsqlite3odbc.so";

using Lines = std::vector<std::string>;

// Runs "Fill Database" in a process of its own with these environment
// variables set (an empty value unsets one). Gives each message box as
// "caption|buttons|text", then whether the log or tree changed, then
// ODBCSYSINI as the command left it.
Lines runFillDatabase(const std::map<std::string, std::string>& environment)
{
    ChildResult child = runInChildProcess([&] {
        for (const auto& [name, value] : environment)
            value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
        HeadlessContext context;
        const std::size_t logBefore = context.log().size();
        std::string report;
        context.setQuestionHandler([&](const std::string& text, const std::string& caption, MessageButtons buttons) {
            std::string flat = text;
            std::replace(flat.begin(), flat.end(), '\n', ' ');
            report += caption + "|" + std::to_string(static_cast<int>(buttons)) + "|" + flat + "\n";
            return MessageAnswer::Ok;
        });
        OnFillDatabase(context);
        bool unchanged = context.log().size() == logBefore && !context.tree().root()->firstChild();
        const char* sysIni = std::getenv("ODBCSYSINI");
        return report + (unchanged ? "unchanged\n" : "changed\n") + (sysIni ? sysIni : "(unset)") + "\n";
    });
    EXPECT_TRUE(child.exitedCleanly);
    Lines lines;
    std::istringstream in(child.report);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// One OK box, "Database error: " and a text holding detail, and nothing else changed.
void expectOneDatabaseError(const Lines& run, const std::string& detail)
{
    ASSERT_EQ(run.size(), 3u);
    EXPECT_EQ(run[0].rfind("Tessaloom|0|Database error: ", 0), 0u) << run[0];
    EXPECT_NE(run[0].find(detail, 26), std::string::npos) << run[0];
    EXPECT_EQ(run[1], "unchanged");
}

bool missing(const std::string& path) { return !fileExists(path); }

class FillDatabase : public ::testing::Test {
protected:
    TempDir home;
    TempDir drivers;

    // The fixed path under the test's home folder, its folders made.
    std::string databasePath() const
    {
        fs::create_directories(home.path() + "/wexlo/Database");
        return home.path() + "/wexlo/Database/Wexlo Building Performance Database.accdb";
    }

    void makeSqliteDatabase(const std::string& sql)
    {
        std::FILE* shell = ::popen(("sqlite3 '" + databasePath() + "'").c_str(), "w");
        ASSERT_NE(shell, nullptr);
        std::fputs(sql.c_str(), shell);
        ASSERT_EQ(::pclose(shell), 0) << "sqlite3 failed on: " << sql;
    }

    static void registerAccessName(const std::string& iniPath, const std::string& driverLibrary)
    {
        writeFile(iniPath, std::string("[") + accessDriverName + "]\nDriver = " + driverLibrary + "\n");
    }

    // A user who has set up no ODBC drivers of their own.
    std::map<std::string, std::string> plainEnvironment() const
    {
        return {{"HOME", home.path()}, {"ODBCSYSINI", ""}, {"ODBCINSTINI", ""}};
    }

    // A user whose own driver list names the SQLite driver as the Access driver.
    std::map<std::string, std::string> sqliteEnvironment()
    {
        registerAccessName(drivers.file("odbcinst.ini"), sqliteDriver);
        auto environment = plainEnvironment();
        environment["ODBCSYSINI"] = drivers.path();
        return environment;
    }
};

TEST_F(FillDatabase, MissingFileIsReportedBeforeAnyOdbcSetUp)
{
    const std::string path = databasePath();
    Lines run = runFillDatabase(plainEnvironment());
    expectOneDatabaseError(run, path + " was not found");
    EXPECT_EQ(run.back(), "(unset)");
    fs::create_directories(path);
    expectOneDatabaseError(runFillDatabase(plainEnvironment()), "was not found");
}

TEST_F(FillDatabase, AccessFilesWithoutMetadataTableGiveTheDriversTextThroughTheShippedList)
{
    if (missing(mdbtoolsDriver) || missing(accessFolder))
        GTEST_SKIP() << "needs " << mdbtoolsDriver << " and " << accessFolder;
    for (const char* file : {"testV2007.accdb", "empty2007.accdb"}) {
        fs::copy_file(accessFolder + "/" + file, databasePath(), fs::copy_options::overwrite_existing);
        Lines run = runFillDatabase(plainEnvironment());
        expectOneDatabaseError(run, "Couldn't parse SQL");
        EXPECT_EQ(run.back(), shippedDriverFolder(accessDriverName)) << file;
    }
    writeFile(databasePath(), "not an Access database\n");
    expectOneDatabaseError(runFillDatabase(plainEnvironment()), "could not open the database");
}

// Rows are read without a word; the user's own registration stays in charge.
TEST_F(FillDatabase, ReadsEveryRowAndEmptyTablesSilentlyThroughTheUsersDriver)
{
    if (missing(sqliteDriver))
        GTEST_SKIP() << "needs " << sqliteDriver;
    makeSqliteDatabase("CREATE TABLE Metadata (Season TEXT, FaultID INTEGER, Building TEXT);\n");
    EXPECT_EQ(runFillDatabase(sqliteEnvironment()), (Lines{"unchanged", drivers.path()}));
    makeSqliteDatabase("INSERT INTO Metadata VALUES ('Summer', 12, 'North');\n"
                       "INSERT INTO Metadata VALUES (NULL, NULL, NULL);\n"
                       "INSERT INTO Metadata VALUES (printf('%.3000c', 'W'), 7, 'South');\n");
    EXPECT_EQ(runFillDatabase(sqliteEnvironment()), (Lines{"unchanged", drivers.path()}));
    // A registration in ~/.odbcinst.ini counts as much as one in the system list.
    registerAccessName(home.file(".odbcinst.ini"), sqliteDriver);
    EXPECT_EQ(runFillDatabase(plainEnvironment()), (Lines{"unchanged", "(unset)"}));
}

TEST_F(FillDatabase, MissingColumnOrDriverIsADatabaseError)
{
    if (missing(sqliteDriver))
        GTEST_SKIP() << "needs " << sqliteDriver;
    makeSqliteDatabase("CREATE TABLE Metadata (Season TEXT, \"Fault ID\" INTEGER);\n"
                       "INSERT INTO Metadata VALUES ('Winter', 3);\n");
    expectOneDatabaseError(runFillDatabase(sqliteEnvironment()), "FaultID");
    auto environment = sqliteEnvironment();
    registerAccessName(drivers.file("odbcinst.ini"), drivers.file("libgone.so"));
    expectOneDatabaseError(runFillDatabase(environment), "Can't open lib '" + drivers.file("libgone.so"));
}

} // namespace
