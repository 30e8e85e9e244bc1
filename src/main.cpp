// Until the window exists, the program runs one headless session and shows
// what it logs, so a fresh build can be tried at once.
#include "app/headless_context.h"

#include <cstdio>

int main()
{
    tsl::HeadlessContext context;
    for (const auto& line : context.log().lines())
        std::printf("%s\n", line.c_str());
    std::printf("(The window is not built yet; the tests show what the core does.)\n");
    return 0;
}
