#include "db/odbc_handles.h"
#include "fresh_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace tsl;
using namespace tsl::testing;

namespace {

const std::string sqliteDriver = std::string(TSL_ODBC_DRIVER_DIR) + "/libsqlite3odbc.so";

class OdbcStatement : public ::testing::Test {
protected:
    TempDir folder;

    void SetUp() override
    {
        if (!fileExists(sqliteDriver))
            GTEST_SKIP() << sqliteDriver << " is not installed";
        writeFile(folder.file("odbcinst.ini"), "[Test SQLite]\nDriver = " + sqliteDriver + "\n");
        std::FILE* shell = ::popen(("sqlite3 '" + database() + "'").c_str(), "w");
        ASSERT_NE(shell, nullptr);
        std::fputs("CREATE TABLE T (Name TEXT, Value INTEGER);\n"
                   "INSERT INTO T VALUES (printf('%.5000c', 'x') || 'end', 42);\n"
                   "INSERT INTO T VALUES (NULL, NULL);\n",
                   shell);
        ASSERT_EQ(::pclose(shell), 0);
    }

    std::string database() const { return folder.file("test.db"); }

    // Runs body against an open connection in a process of its own.
    std::string withConnection(const std::function<std::string(odbc::Connection&)>& body)
    {
        ChildResult child = runInChildProcess([&] {
            ::setenv("ODBCSYSINI", folder.path().c_str(), 1);
            odbc::Environment environment;
            odbc::Connection connection(environment);
            if (!connection.open("DRIVER={Test SQLite};Database=" + database() + ";NoCreat=1"))
                return "connect failed: " + connection.error();
            return body(connection);
        });
        EXPECT_TRUE(child.exitedCleanly);
        return child.report;
    }
};

TEST_F(OdbcStatement, ReadsLongTextInPiecesNullAsEmptyAndColumnsByName)
{
    std::string report = withConnection([](odbc::Connection& connection) {
        odbc::Statement statement(connection);
        SQLUSMALLINT name = 0, value = 0;
        if (!statement.execute("SELECT Name, Value FROM T") || !statement.findColumn("value", value) ||
            !statement.findColumn("NAME", name))
            return "failed: " + statement.error();
        std::string rows;
        std::string nameText, valueText;
        while (statement.fetch() == odbc::Statement::Fetch::Row) {
            if (!statement.readText(name, nameText) || !statement.readText(value, valueText))
                return "read failed: " + statement.error();
            rows += std::to_string(nameText.size()) + ":" + nameText.substr(nameText.size() > 3 ? nameText.size() - 3 : 0) +
                    ":" + valueText + ";";
        }
        if (statement.findColumn("Missing", name))
            return std::string("found a column that is not there");
        return rows + statement.error();
    });
    EXPECT_EQ(report, "5003:end:42;0::;no field named Missing in the result");
}

} // namespace
