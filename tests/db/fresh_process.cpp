#include "fresh_process.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace tsl::testing {

ChildResult runInChildProcess(const std::function<std::string()>& body)
{
    ChildResult result;
    int channel[2];
    if (::pipe(channel) != 0)
        return result;
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return result;
    }
    if (child == 0) {
        ::close(channel[0]);
        std::string report = body();
        for (std::size_t done = 0; done < report.size();) {
            ssize_t written = ::write(channel[1], report.data() + done, report.size() - done);
            if (written <= 0)
                std::_Exit(3);
            done += static_cast<std::size_t>(written);
        }
        ::close(channel[1]);
        // exit, not _Exit: the leak checker of sanitizer builds runs at exit.
        std::exit(0);
    }
    ::close(channel[1]);
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(channel[0], buffer, sizeof buffer)) > 0)
        result.report.append(buffer, static_cast<std::size_t>(count));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

} // namespace tsl::testing
