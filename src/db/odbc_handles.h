#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace tsl::odbc {

// The message texts of the diagnostic records left on a handle, one line
// each, without the line ends some drivers put after them. Empty when the
// driver left none.
std::string diagnosticText(SQLSMALLINT handleType, SQLHANDLE handle);

// Each operation below reports failure by its result; error() then holds the
// driver's text, or a text of our own when the driver gave none.

// The driver manager's environment, for ODBC 3 behaviour.
class Environment {
public:
    Environment();
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    bool ok() const { return handle_ != SQL_NULL_HANDLE && error_.empty(); }
    const std::string& error() const { return error_; }
    SQLHENV handle() const { return handle_; }

private:
    SQLHENV handle_ = SQL_NULL_HANDLE;
    std::string error_;
};

// One connection; disconnected and freed when it goes.
class Connection {
public:
    explicit Connection(Environment& environment);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects without ever prompting the user.
    bool open(const std::string& connectString);
    const std::string& error() const { return error_; }
    SQLHDBC handle() const { return handle_; }

private:
    SQLHDBC handle_ = SQL_NULL_HANDLE;
    bool connected_ = false;
    std::string error_;
};

// One statement on an open connection, with the driver's default cursor:
// forward-only and read-only.
class Statement {
public:
    enum class Fetch { Row, End, Failed };

    explicit Statement(Connection& connection);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool execute(const std::string& sql);
    // Finds a result column by name, ignoring case as the database does;
    // columns are numbered from 1.
    bool findColumn(const std::string& name, SQLUSMALLINT& column);
    Fetch fetch();
    // The column of the current row as text, read in pieces however long it
    // is (up to maxTextBytes; the rest is skipped). NULL reads as empty.
    bool readText(SQLUSMALLINT column, std::string& text);

    const std::string& error() const { return error_; }

    static constexpr std::size_t maxTextBytes = 1 << 20;

private:
    void fail(const std::string& fallback);

    SQLHSTMT handle_ = SQL_NULL_HANDLE;
    std::string error_;
};

} // namespace tsl::odbc
