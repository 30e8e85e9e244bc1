#include "db/odbc_handles.h"
#include "fresh_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

TEST(OdbcStatement, ReadsLongTextInPiecesNullAsEmptyAndColumnsByName)
{
    const std::string driver = std::string(TSL_ODBC_DRIVER_DIR) + "/libsqlite3odbc.so";
    if (!fileExists(driver))
        GTEST_SKIP() << driver << " is not installed";
    TempDir folder;
    writeFile(folder.file("odbcinst.ini"), "[Test SQLite]\nDriver = " + driver + "\n");
    std::FILE* shell = ::popen(("sqlite3 '" + folder.file("test.db") + "'").c_str(), "w");
    ASSERT_NE(shell, nullptr);
    std::fputs("CREATE TABLE T (Name TEXT, Value INTEGER);\n"
               "INSERT INTO T VALUES (printf('%.5000c', 'x') || 'end', 42);\n"
               "INSERT INTO T VALUES (NULL, NULL);\n",
               shell);
    ASSERT_EQ(::pclose(shell), 0);

    ChildResult child = runInChildProcess([&]() -> std::string {
        ::setenv("ODBCSYSINI", folder.path().c_str(), 1);
        odbc::Environment environment;
        odbc::Connection connection(environment);
        if (!connection.open("DRIVER={Test SQLite};Database=" + folder.file("test.db") + ";NoCreat=1"))
            return "connect failed: " + connection.error();
        odbc::Statement statement(connection);
        SQLUSMALLINT name = 0, value = 0;
        if (!statement.execute("SELECT Name, Value FROM T") || !statement.findColumn("value", value) ||
            !statement.findColumn("NAME", name))
            return "failed: " + statement.error();
        std::string rows, nameText, valueText;
        while (statement.fetch() == odbc::Statement::Fetch::Row) {
            if (!statement.readText(name, nameText) || !statement.readText(value, valueText))
                return "read failed: " + statement.error();
            rows += std::to_string(nameText.size()) + ":" + nameText.substr(nameText.size() > 3 ? nameText.size() - 3 : 0) +
                    ":" + valueText + ";";
        }
        if (statement.findColumn("Missing", name))
            return "found a column that is not there";
        return rows + statement.error();
    });
    EXPECT_TRUE(child.exitedCleanly);
    EXPECT_EQ(child.report, "5003:end:42;0::;no field named Missing in the result");
}
