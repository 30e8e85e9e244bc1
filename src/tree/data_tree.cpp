#include "tree/data_tree.h"

#include <charconv>
#include <cstring>
#include <functional>
#include <unordered_map>

namespace tsl {

struct NameEntry {
    std::string text;
    std::uint32_t bit;
};

std::string_view DataAttribute::name() const { return name_->text; }
std::string_view DataNode::name() const { return name_->text; }

// Interns node and attribute names; a node stores a pointer to its name.
class NameTable {
public:
    NameTable()
    {
        // The layout's names come first so that each gets a search bit of its own.
        for (const char* name : {"DocRoot", "template", "outputTemplate", "fileLabels", "data",
                                 "dataYear", "dataMonth", "dataDay", "dataHour", "dataline",
                                 "label", "value", "order"})
            intern(name);
    }

    const NameEntry* intern(std::string_view text)
    {
        if (const NameEntry* found = find(text))
            return found;
        auto entry = std::make_unique<NameEntry>(
            NameEntry{std::string(text), 1u << (entries_.size() % 32)});
        const NameEntry* result = entry.get();
        byText_.emplace(std::string_view(entry->text), result);
        entries_.push_back(std::move(entry));
        return result;
    }

    const NameEntry* find(std::string_view text) const
    {
        auto it = byText_.find(text);
        return it == byText_.end() ? nullptr : it->second;
    }

private:
    std::vector<std::unique_ptr<NameEntry>> entries_;
    std::unordered_map<std::string_view, const NameEntry*> byText_;
};

// Fixed-size slots for nodes, handed out in blocks and recycled through a
// free list, so a node costs its own size and no allocator header.
class NodePool {
public:
    NodePool() = default;
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    DataNode* make(const NameEntry* name, DataNode* parent, std::int32_t depth)
    {
        void* slot = take();
        return new (slot) DataNode(name, parent, depth);
    }

    void destroy(DataNode* node)
    {
        node->~DataNode();
        auto* slot = reinterpret_cast<FreeSlot*>(node);
        slot->next = freeList_;
        freeList_ = slot;
    }

private:
    struct FreeSlot {
        FreeSlot* next;
    };
    union Slot {
        FreeSlot free;
        alignas(DataNode) unsigned char storage[sizeof(DataNode)];
    };
    static constexpr std::size_t blockSlots = 4096;

    void* take()
    {
        if (freeList_) {
            FreeSlot* slot = freeList_;
            freeList_ = slot->next;
            return slot;
        }
        if (blocks_.empty() || used_ == blockSlots) {
            blocks_.push_back(std::make_unique<Slot[]>(blockSlots));
            used_ = 0;
        }
        return &blocks_.back()[used_++];
    }

    std::vector<std::unique_ptr<Slot[]>> blocks_;
    std::size_t used_ = 0;
    FreeSlot* freeList_ = nullptr;
};

// Keeps every distinct attribute list once. A list is identified by its first
// attribute's name and value and the (already shared) rest of the list.
class AttributePool {
public:
    const DataAttribute* make(const NameEntry* name, std::string_view value, const DataAttribute* next)
    {
        Key probe{name, value, next};
        auto it = lists_.find(probe);
        if (it != lists_.end())
            return it->second.get();
        std::unique_ptr<DataAttribute> attribute(new DataAttribute(name, value, next));
        const DataAttribute* result = attribute.get();
        Key key{name, result->value(), next};
        lists_.emplace(key, std::move(attribute));
        return result;
    }

    // The list of the given attributes' names and values, in order, ahead of tail.
    const DataAttribute* rebuild(const std::vector<const DataAttribute*>& items, const DataAttribute* tail)
    {
        for (std::size_t i = items.size(); i-- > 0;)
            tail = make(items[i]->name_, items[i]->value(), tail);
        return tail;
    }

private:
    struct Key {
        const NameEntry* name;
        std::string_view value;
        const DataAttribute* next;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const
        {
            std::size_t h = std::hash<std::string_view>{}(key.value);
            h ^= std::hash<const void*>{}(key.name) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
            h ^= std::hash<const void*>{}(key.next) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
            return h;
        }
    };
    std::unordered_map<Key, std::unique_ptr<DataAttribute>, KeyHash> lists_;
};


DataTree::DataTree()
    : names_(std::make_unique<NameTable>()),
      nodes_(std::make_unique<NodePool>()),
      attributes_(std::make_unique<AttributePool>()),
      lineBuffer_(std::make_unique<char[]>(lineBufferSize))
{
    root_.reset(new DataNode(names_->intern("DocRoot"), nullptr, -1));
    lineBuffer_[0] = '\0';
}

DataTree::~DataTree()
{
    freeSubtree(root_.get());
    for (DataNode* node : detached_) {
        freeSubtree(node);
        nodes_->destroy(node);
    }
}

// ---- search -----------------------------------------------------------------

struct TreeSearch {
template <typename Match>
static DataNode* preOrder(const DataNode* start, std::uint32_t bit, Match matches)
{
    if (!start)
        return nullptr;
    if (matches(start))
        return const_cast<DataNode*>(start);
    const DataNode* node = start->firstChild();
    while (node) {
        if (matches(node))
            return const_cast<DataNode*>(node);
        if (node->firstChild() && (node->subtreeNames_ & bit)) {
            node = node->firstChild();
            continue;
        }
        while (node != start && !node->nextSibling())
            node = node->parent();
        if (node == start)
            break;
        node = node->nextSibling();
    }
    return nullptr;
}
};

DataNode* DataTree::findNode(const DataNode* start, std::string_view name) const
{
    const NameEntry* entry = names_->find(name);
    if (!entry)
        return nullptr;
    return TreeSearch::preOrder(start, entry->bit, [entry](const DataNode* n) { return n->name_ == entry; });
}

DataNode* DataTree::findNodeByAttribute(const DataNode* start, std::string_view name,
                                        std::string_view attributeName, std::string_view value) const
{
    const NameEntry* entry = names_->find(name);
    if (!entry)
        return nullptr;
    return TreeSearch::preOrder(start, entry->bit, [&](const DataNode* n) {
        if (n->name_ != entry)
            return false;
        const DataAttribute* attribute = findAttribute(n, attributeName);
        return attribute && attribute->value() == value;
    });
}

const DataAttribute* DataTree::findAttribute(const DataNode* node, std::string_view name)
{
    if (!node)
        return nullptr;
    for (const DataAttribute* a = node->attributes_; a; a = a->next_)
        if (a->name() == name)
            return a;
    return nullptr;
}

// ---- building ---------------------------------------------------------------

DataNode* DataTree::newNode(DataNode* parent, const NameEntry* name)
{
    return nodes_->make(name, parent, parent->depth_ + 1);
}

void DataTree::noteSubtreeNames(DataNode* ancestor, std::uint32_t bits)
{
    for (; ancestor && (ancestor->subtreeNames_ & bits) != bits; ancestor = ancestor->parent_)
        ancestor->subtreeNames_ |= bits;
}

void DataTree::linkLast(DataNode* parent, DataNode* child)
{
    DataNode* last = (lastAppendParent_ == parent) ? lastAppendChild_ : parent->firstChild_;
    if (!last) {
        parent->firstChild_ = child;
    } else {
        while (last->nextSibling_)
            last = last->nextSibling_;
        last->nextSibling_ = child;
    }
    lastAppendParent_ = parent;
    lastAppendChild_ = child;
    noteSubtreeNames(parent, child->name_->bit | child->subtreeNames_);
}

void DataTree::linkAfter(DataNode* parent, DataNode* previous, DataNode* child)
{
    if (!previous) {
        child->nextSibling_ = parent->firstChild_;
        parent->firstChild_ = child;
    } else {
        child->nextSibling_ = previous->nextSibling_;
        previous->nextSibling_ = child;
    }
    noteSubtreeNames(parent, child->name_->bit | child->subtreeNames_);
}

DataNode* DataTree::addChild(DataNode* parent, std::string_view name)
{
    if (!parent)
        return nullptr;
    DataNode* child = newNode(parent, names_->intern(name));
    linkLast(parent, child);
    return child;
}

DataNode* DataTree::insertChildSorted(DataNode* parent, std::string_view name,
                                      std::string_view keyName, std::string_view keyValue)
{
    if (!parent)
        return nullptr;
    auto keyOf = [&](const DataNode* n) { return findAttribute(n, keyName); };
    // A first child without a key is passed over as if its key sorted first.
    DataNode* previous = nullptr;
    DataNode* first = parent->firstChild_;
    if (first) {
        const DataAttribute* firstKey = keyOf(first);
        if (!(firstKey && firstKey->value() > keyValue)) {
            previous = first;
            while (previous->nextSibling_ && previous->attributes_) {
                const DataAttribute* nextKey = keyOf(previous->nextSibling_);
                if (!nextKey || nextKey->value() >= keyValue)
                    break;
                previous = previous->nextSibling_;
            }
        }
    }
    DataNode* child = newNode(parent, names_->intern(name));
    linkAfter(parent, previous, child);
    setAttribute(child, keyName, keyValue);
    return child;
}

DataNode* DataTree::copySubtree(DataNode* newParent, const DataNode* source)
{
    if (!newParent || !source)
        return nullptr;
    return copyInto(newParent, source);
}

DataNode* DataTree::copyInto(DataNode* newParent, const DataNode* source)
{
    DataNode* copy = newNode(newParent, source->name_);
    linkLast(newParent, copy);
    for (const DataNode* child = source->firstChild_; child; child = child->nextSibling_)
        copyInto(copy, child);
    copy->attributes_ = copiedAttributes(source->attributes_);
    return copy;
}

// The attributes a copy gets by setting each source attribute in turn: empty
// values are dropped and a repeated name only changes the first one's value.
// The usual list has neither and is shared as it is.
const DataAttribute* DataTree::copiedAttributes(const DataAttribute* source)
{
    std::vector<const DataAttribute*> kept;
    bool changed = false;
    for (const DataAttribute* a = source; a; a = a->next_) {
        if (a->value().empty()) {
            changed = true;
            continue;
        }
        bool repeated = false;
        for (auto& k : kept) {
            if (k->name_ == a->name_) {
                k = a; // the later value, in the first one's place
                repeated = changed = true;
                break;
            }
        }
        if (!repeated)
            kept.push_back(a);
    }
    if (!changed)
        return source;
    return attributes_->rebuild(kept, nullptr);
}

const DataAttribute* DataTree::setAttribute(DataNode* node, std::string_view name, std::string_view value)
{
    if (!node || name.empty() || value.empty())
        return nullptr;
    std::vector<const DataAttribute*> before;
    const DataAttribute* a = node->attributes_;
    for (; a && a->name() != name; a = a->next_)
        before.push_back(a);
    // A new name goes to the end of the list, an existing one keeps its place.
    const DataAttribute* rest = a ? a->next_ : nullptr;
    const NameEntry* entry = a ? a->name_ : names_->intern(name);
    const DataAttribute* changed = attributes_->make(entry, value, rest);
    node->attributes_ = attributes_->rebuild(before, changed);
    return changed;
}

const DataAttribute* DataTree::setAttributeInt(DataNode* node, std::string_view name, std::int32_t value)
{
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    return setAttribute(node, name, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

const DataAttribute* DataTree::appendAttribute(DataNode* node, std::string_view name, std::string_view value)
{
    if (!node)
        return nullptr;
    std::vector<const DataAttribute*> all;
    for (const DataAttribute* a = node->attributes_; a; a = a->next_)
        all.push_back(a);
    const DataAttribute* added = attributes_->make(names_->intern(name), value, nullptr);
    node->attributes_ = attributes_->rebuild(all, added);
    return added;
}

void DataTree::setName(DataNode* node, std::string_view name)
{
    if (!node)
        return;
    node->name_ = names_->intern(name);
    noteSubtreeNames(node->parent_, node->name_->bit);
}

// ---- removal ----------------------------------------------------------------

void DataTree::unlink(DataNode* node)
{
    DataNode* parent = node->parent_;
    if (parent->firstChild_ == node) {
        parent->firstChild_ = node->nextSibling_;
    } else {
        DataNode* previous = parent->firstChild_;
        while (previous && previous->nextSibling_ != node)
            previous = previous->nextSibling_;
        if (previous)
            previous->nextSibling_ = node->nextSibling_;
    }
    node->nextSibling_ = nullptr;
    lastAppendParent_ = lastAppendChild_ = nullptr;
}

void DataTree::detachNode(DataNode* node)
{
    if (!node || !node->parent_)
        return;
    unlink(node);
    node->parent_ = nullptr;
    detached_.push_back(node);
}

// Frees everything below node, without recursion: trees read from files may
// be deep.
void DataTree::freeSubtree(DataNode* node)
{
    DataNode* current = node->firstChild_;
    node->firstChild_ = nullptr;
    node->attributes_ = nullptr;
    while (current) {
        if (current->firstChild_) {
            DataNode* child = current->firstChild_;
            current->firstChild_ = nullptr;
            current = child;
            continue;
        }
        DataNode* next = current->nextSibling_ ? current->nextSibling_ : current->parent_;
        nodes_->destroy(current);
        current = (next == node) ? nullptr : next;
    }
    lastAppendParent_ = lastAppendChild_ = nullptr;
}

void DataTree::deleteNode(DataNode* node)
{
    if (!node)
        return;
    freeSubtree(node);
    node->subtreeNames_ = 0;
    if (!node->parent_)
        return; // the root, or a detached node, stays, emptied
    unlink(node);
    nodes_->destroy(node);
}

} // namespace tsl
