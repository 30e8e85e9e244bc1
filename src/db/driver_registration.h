#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tsl {

// True when the driver list (odbcinst.ini form) at iniPath has a section for
// driverName. The driver manager matches driver names without regard to case.
bool iniRegistersDriver(const std::string& iniPath, const std::string& driverName);

// The driver lists unixODBC would read in this process's environment: the
// user's ~/.odbcinst.ini and the system list, $ODBCSYSINI/$ODBCINSTINI with
// /etc and odbcinst.ini standing in for whichever is unset.
std::vector<std::string> driverListsInEffect();

// The folder of the driver list shipped with the program that registers
// driverName: an "odbc" folder beside the executable or up to two folders
// above it (build trees keep some programs in subfolders), else the copy in
// the source tree.
std::optional<std::string> shippedDriverFolder(const std::string& driverName);

// Unless the environment already registers driverName, points unixODBC at
// the shipped driver list. unixODBC reads these variables once, at its first
// call in the process, so this must run before any ODBC call. Returns true
// when it changed the environment.
bool useShippedDriversUnlessRegistered(const std::string& driverName);

} // namespace tsl
