#pragma once

#include <functional>
#include <string>

namespace tsl::testing {

// What a child process wrote back and how it ended.
struct ChildResult {
    bool exitedCleanly = false; // exit status 0 (a leak report makes it non-zero)
    std::string report;
};

// Runs body in a forked child and returns the text it produced. unixODBC
// reads its configuration once per process, so every test that makes ODBC
// calls runs them in a process of its own.
ChildResult runInChildProcess(const std::function<std::string()>& body);

} // namespace tsl::testing
