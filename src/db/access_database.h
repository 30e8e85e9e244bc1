#pragma once

#include <string>

namespace tsl {

// The ODBC driver name the building-performance database is opened through.
inline constexpr const char* accessDriverName = "MICROSOFT ACCESS DRIVER (*.accdb)";

// "wexlo/Database/Wexlo Building Performance Database.accdb" in the user's
// home folder ($HOME, else the home folder of the user's account).
std::string metadataDatabasePath();

// The connect string in the database classes' form:
// "ODBC;DRIVER={driver};DSN='';DBQ=path".
std::string accessConnectString(const std::string& driverName, const std::string& databasePath);

// The same connection as SQLDriverConnect wants it. The "ODBC;" prefix is the
// database classes' marker, not an attribute, and goes. DSN goes when DRIVER
// comes before it: ODBC then ignores it anyway, but the mdbtools driver would
// look the name up and fail. Database= repeats DBQ= for drivers that name
// the file that way (the SQLite driver does).
std::string driverManagerConnectString(const std::string& connectString);

} // namespace tsl
