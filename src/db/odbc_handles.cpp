#include "db/odbc_handles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace tsl::odbc {

namespace {

// unixODBC declares its text parameters without const.
SQLCHAR* sqlText(std::string& text) { return reinterpret_cast<SQLCHAR*>(text.data()); }

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string withoutTrailingSpace(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

// The driver's text for a failed call on handle, or fallback when it left none.
std::string errorText(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& fallback)
{
    std::string text = diagnosticText(handleType, handle);
    return text.empty() ? fallback : text;
}

} // namespace

std::string diagnosticText(SQLSMALLINT handleType, SQLHANDLE handle)
{
    if (handle == SQL_NULL_HANDLE)
        return {};
    std::string text;
    // A misbehaving driver could keep answering; a handful of records says it all.
    constexpr SQLSMALLINT maxRecords = 16;
    for (SQLSMALLINT record = 1; record <= maxRecords; ++record) {
        std::array<SQLCHAR, 6> state{};
        std::array<SQLCHAR, 1024> message{};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        SQLRETURN result = SQLGetDiagRec(handleType, handle, record, state.data(), &nativeError,
                                         message.data(), static_cast<SQLSMALLINT>(message.size()), &length);
        if (!SQL_SUCCEEDED(result))
            break;
        std::string line = withoutTrailingSpace(
            std::string(reinterpret_cast<const char*>(message.data()), strnlen(reinterpret_cast<const char*>(message.data()), message.size() - 1)));
        if (line.empty())
            continue;
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

Environment::Environment()
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_))) {
        handle_ = SQL_NULL_HANDLE;
        error_ = "the ODBC driver manager could not be started";
        return;
    }
    SQLRETURN result = SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0);
    if (!SQL_SUCCEEDED(result))
        error_ = errorText(SQL_HANDLE_ENV, handle_, "the ODBC driver manager refused ODBC version 3");
}

Environment::~Environment()
{
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(SQL_HANDLE_ENV, handle_);
}

Connection::Connection(Environment& environment)
{
    if (!environment.ok() ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment.handle(), &handle_))) {
        handle_ = SQL_NULL_HANDLE;
        error_ = environment.ok() ? errorText(SQL_HANDLE_ENV, environment.handle(), "no ODBC connection could be made")
                                  : environment.error();
    }
}

Connection::~Connection()
{
    if (connected_)
        SQLDisconnect(handle_);
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(SQL_HANDLE_DBC, handle_);
}

bool Connection::open(const std::string& connectString)
{
    if (handle_ == SQL_NULL_HANDLE)
        return false;
    std::string input = connectString;
    std::array<SQLCHAR, 1024> completed{};
    SQLSMALLINT completedLength = 0;
    SQLRETURN result = SQLDriverConnect(handle_, nullptr, sqlText(input), SQL_NTS, completed.data(),
                                        static_cast<SQLSMALLINT>(completed.size()), &completedLength,
                                        SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(result)) {
        error_ = errorText(SQL_HANDLE_DBC, handle_, "the ODBC driver could not open the database");
        return false;
    }
    connected_ = true;
    return true;
}

Statement::Statement(Connection& connection)
{
    if (connection.handle() == SQL_NULL_HANDLE ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &handle_))) {
        handle_ = SQL_NULL_HANDLE;
        error_ = errorText(SQL_HANDLE_DBC, connection.handle(), "no ODBC statement could be made");
    }
}

Statement::~Statement()
{
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(SQL_HANDLE_STMT, handle_);
}

void Statement::fail(const std::string& fallback) { error_ = errorText(SQL_HANDLE_STMT, handle_, fallback); }

bool Statement::execute(const std::string& sql)
{
    if (handle_ == SQL_NULL_HANDLE)
        return false;
    std::string text = sql;
    if (!SQL_SUCCEEDED(SQLExecDirect(handle_, sqlText(text), SQL_NTS))) {
        fail("the ODBC driver could not run the query");
        return false;
    }
    return true;
}

bool Statement::findColumn(const std::string& name, SQLUSMALLINT& column)
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(handle_, &count))) {
        fail("the ODBC driver could not describe the result");
        return false;
    }
    for (SQLSMALLINT index = 1; index <= count; ++index) {
        std::array<SQLCHAR, 256> columnName{};
        SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (!SQL_SUCCEEDED(SQLDescribeCol(handle_, static_cast<SQLUSMALLINT>(index), columnName.data(),
                                          static_cast<SQLSMALLINT>(columnName.size()), &nameLength, &dataType,
                                          &size, &digits, &nullable))) {
            fail("the ODBC driver could not describe the result");
            return false;
        }
        const char* raw = reinterpret_cast<const char*>(columnName.data());
        if (sameNameIgnoringCase(std::string(raw, strnlen(raw, columnName.size() - 1)), name)) {
            column = static_cast<SQLUSMALLINT>(index);
            return true;
        }
    }
    error_ = "no field named " + name + " in the result";
    return false;
}

Statement::Fetch Statement::fetch()
{
    SQLRETURN result = SQLFetch(handle_);
    if (result == SQL_NO_DATA)
        return Fetch::End;
    if (SQL_SUCCEEDED(result))
        return Fetch::Row;
    fail("the ODBC driver could not fetch the next row");
    return Fetch::Failed;
}

bool Statement::readText(SQLUSMALLINT column, std::string& text)
{
    text.clear();
    std::array<char, 1024> piece{};
    const SQLLEN room = static_cast<SQLLEN>(piece.size() - 1);
    // Every piece but the last fills the buffer, so this bounds the loop even
    // for a driver that never says it is done.
    for (std::size_t pieces = 0; pieces * (piece.size() - 1) < maxTextBytes; ++pieces) {
        SQLLEN indicator = 0;
        SQLRETURN result = SQLGetData(handle_, column, SQL_C_CHAR, piece.data(),
                                      static_cast<SQLLEN>(piece.size()), &indicator);
        if (result == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(result)) {
            fail("the ODBC driver could not read a field");
            return false;
        }
        if (indicator == SQL_NULL_DATA)
            return true;
        text.append(piece.data(), strnlen(piece.data(), piece.size() - 1));
        bool truncated = result == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        if (!truncated)
            return true;
    }
    return true;
}

} // namespace tsl::odbc
