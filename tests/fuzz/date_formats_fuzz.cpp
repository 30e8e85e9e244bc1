// One line through the date and time parser in each of the thirteen layouts.
#include "app/headless_context.h"
#include "input/date_formats.h"
#include "tree/data_tree.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), size);
    tsl::HeadlessContext context;
    tsl::DataTree& tree = context.tree();
    // a template for the line prefix rule to trim
    tsl::DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(tree.addChild(templ, "label"), "value", "A");
    context.reading().labelCount = 1;
    for (int format = 0; format < 13; ++format) {
        context.setDateFormat(format);
        tsl::DateTimeFields fields;
        try {
            const char* readings = tsl::parseDateTime(context, line.c_str(), fields);
            if (readings && (readings < line.c_str() || readings > line.c_str() + line.size()))
                std::abort(); // the readings must start inside the line
        } catch (const tsl::LocalTimeError&) {
        }
    }
    return 0;
}
