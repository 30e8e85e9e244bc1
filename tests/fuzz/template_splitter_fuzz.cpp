// A header line through the label template splitter, with both label limits.
#include "app/message_log.h"
#include "input/label_templates.h"
#include "tree/data_tree.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view header(reinterpret_cast<const char*>(data), size);
    tsl::DataTree tree;
    tsl::MessageLog log;
    tsl::DataNode* input = tree.addChild(tree.root(), "template");
    tsl::DataNode* output = tree.addChild(tree.root(), "outputTemplate");
    tsl::addTemplateLabels(tree, input, header.substr(0, 9998), 259, log);
    tsl::addTemplateLabels(tree, output, header.substr(0, 1989), 199, log);
    for (const tsl::DataNode* label = input->firstChild(); label; label = label->nextSibling())
        if (label->name() != "label")
            __builtin_trap();
    return 0;
}
