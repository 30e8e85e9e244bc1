#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tsl {

class DataNode;

// The rows of one hour by their key. Keys of the usual form "MM:SS" (two
// digits each) are found in a table by their numbers, without hashing or
// allocating; any other key a file or an XML tree brings is kept in a map.
class HourRows {
public:
    DataNode* find(std::string_view key) const;
    // Keeps the first row of a key.
    void add(std::string_view key, DataNode* row);
    void clear();

private:
    static constexpr int slotCount = 100 * 100;
    // The slot of a key "MM:SS", or -1 for any other key.
    static int slotOf(std::string_view key);

    std::unique_ptr<DataNode*[]> slots_; // made on first use
    std::vector<std::uint16_t> used_;
    std::unordered_map<std::string, DataNode*> others_;
};

} // namespace tsl
