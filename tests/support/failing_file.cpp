#include "support/failing_file.h"

#include <cerrno>
#include <stdio.h>

namespace tsl::testing {

namespace {

struct FailingDevice {
    std::size_t capacity;
    std::string* written;
    std::string ownBuffer;
};

ssize_t writeSome(void* cookie, const char* data, size_t size)
{
    auto* device = static_cast<FailingDevice*>(cookie);
    std::string& sink = device->written ? *device->written : device->ownBuffer;
    if (sink.size() >= device->capacity) {
        errno = ENOSPC;
        return -1;
    }
    size_t taken = std::min(size, device->capacity - sink.size());
    sink.append(data, taken);
    return static_cast<ssize_t>(taken);
}

int closeDevice(void* cookie)
{
    delete static_cast<FailingDevice*>(cookie);
    return 0;
}

} // namespace

std::FILE* openFailingFile(std::size_t capacity, std::string* written)
{
    cookie_io_functions_t functions{};
    functions.write = writeSome;
    functions.close = closeDevice;
    return ::fopencookie(new FailingDevice{capacity, written, {}}, "w", functions);
}

} // namespace tsl::testing
