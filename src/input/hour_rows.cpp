#include "input/hour_rows.h"

namespace tsl {

namespace {

int digit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

} // namespace

int HourRows::slotOf(std::string_view key)
{
    if (key.size() != 5 || key[2] != ':')
        return -1;
    const int d[] = {digit(key[0]), digit(key[1]), digit(key[3]), digit(key[4])};
    if (d[0] < 0 || d[1] < 0 || d[2] < 0 || d[3] < 0)
        return -1;
    return (d[0] * 10 + d[1]) * 100 + d[2] * 10 + d[3];
}

DataNode* HourRows::find(std::string_view key) const
{
    const int slot = slotOf(key);
    if (slot >= 0)
        return slots_ ? slots_[slot] : nullptr;
    const auto found = others_.find(std::string(key));
    return found == others_.end() ? nullptr : found->second;
}

void HourRows::add(std::string_view key, DataNode* row)
{
    const int slot = slotOf(key);
    if (slot < 0) {
        others_.emplace(std::string(key), row);
        return;
    }
    if (!slots_)
        slots_ = std::make_unique<DataNode*[]>(slotCount);
    if (slots_[slot])
        return;
    slots_[slot] = row;
    used_.push_back(static_cast<std::uint16_t>(slot));
}

void HourRows::clear()
{
    for (const std::uint16_t slot : used_)
        slots_[slot] = nullptr;
    used_.clear();
    others_.clear();
}

} // namespace tsl
