#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tsl::testing {

// What a child process wrote back and how it ended.
struct ChildResult {
    bool exitedCleanly = false; // exit status 0 (a leak report makes it non-zero)
    std::string report;
};

// Runs body in a forked child and returns the text it produced. unixODBC
// reads its configuration once per process, so every test that makes ODBC
// calls runs them in a process of its own.
inline ChildResult runInChildProcess(const std::function<std::string()>& body)
{
    ChildResult result;
    int channel[2];
    if (::pipe(channel) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const std::string report = body();
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t written = ::write(channel[1], report.data() + done, report.size() - done);
            if (written <= 0)
                std::_Exit(3);
            done += static_cast<std::size_t>(written);
        }
        std::exit(0); // not _Exit: the leak checker of sanitizer builds runs at exit
    }
    ::close(channel[1]);
    char buffer[4096];
    for (ssize_t count; child > 0 && (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.report.append(buffer, static_cast<std::size_t>(count));
    ::close(channel[0]);
    int status = 0;
    result.exitedCleanly = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                           WEXITSTATUS(status) == 0;
    return result;
}

} // namespace tsl::testing
