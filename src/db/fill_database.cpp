#include "db/fill_database.h"

#include "app/command_context.h"
#include "db/access_database.h"
#include "db/driver_registration.h"
#include "db/odbc_handles.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tsl {

namespace {

// The application's name, as message boxes without a title of their own show it.
constexpr const char* messageCaption = "Tessaloom";

// The fault identifier is requested under the name the query selects,
// FaultID, so a "Metadata" table with that column reads through.
constexpr const char* metadataQuery = "SELECT Season, FaultID FROM Metadata";
constexpr const char* seasonField = "Season";
constexpr const char* faultIdField = "FaultID";

// Reads every row of the open result; the values are not kept.
std::optional<std::string> readMetadataRows(odbc::Statement& records)
{
    SQLUSMALLINT seasonColumn = 0;
    SQLUSMALLINT faultIdColumn = 0;
    bool columnsFound = false;
    std::string season;
    std::string faultId;
    for (;;) {
        switch (records.fetch()) {
        case odbc::Statement::Fetch::End:
            return std::nullopt;
        case odbc::Statement::Fetch::Failed:
            return records.error();
        case odbc::Statement::Fetch::Row:
            break;
        }
        // Fields are requested by name, so a missing one only shows once a row is read.
        if (!columnsFound) {
            if (!records.findColumn(seasonField, seasonColumn) || !records.findColumn(faultIdField, faultIdColumn))
                return records.error();
            columnsFound = true;
        }
        if (!records.readText(seasonColumn, season) || !records.readText(faultIdColumn, faultId))
            return records.error();
    }
}

// The whole database session; the error text of the first step that fails.
// Locals go in reverse order: the record set, then the connection. The
// driver's own cursor serves: unixODBC's cursor library refuses SQLFetch
// without bound columns, and a forward-only read needs nothing it adds.
std::optional<std::string> queryMetadata(const std::string& connectString)
{
    odbc::Environment environment;
    if (!environment.ok())
        return environment.error();
    odbc::Connection database(environment);
    if (!database.open(driverManagerConnectString(connectString)))
        return database.error();
    odbc::Statement records(database);
    if (!records.execute(metadataQuery))
        return records.error();
    return readMetadataRows(records);
}

} // namespace

void OnFillDatabase(CommandContext& context)
{
    const std::string path = metadataDatabasePath();
    std::optional<std::string> failure;
    // The mdbtools driver says nothing useful about a missing file.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        failure = "the database file " + path + " was not found";
    } else {
        useShippedDriversUnlessRegistered(accessDriverName);
        failure = queryMetadata(accessConnectString(accessDriverName, path));
    }
    if (failure)
        context.messageBox("Database error: " + *failure, messageCaption, MessageButtons::Ok);
}

} // namespace tsl
