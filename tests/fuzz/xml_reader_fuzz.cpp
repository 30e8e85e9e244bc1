// Feeds arbitrary bytes to the XML reader as a file, then writes the tree it
// built in both text forms.
#include "tree/data_tree.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/tsl-fuzz-xml-" + std::to_string(::getpid()) + ".xml";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    tsl::DataTree tree;
    tree.readXmlFile(path);
    std::FILE* sink = std::fopen("/dev/null", "wb");
    tree.writeXml(tree.root(), sink);
    std::fclose(sink);
    for (const tsl::DataNode* node = tree.root()->firstChild(); node; node = node->nextSibling())
        tsl::DataTree::formatNode(node);
    return 0;
}
