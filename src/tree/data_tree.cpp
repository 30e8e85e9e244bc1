#include "tree/data_tree.h"

#include "tree/block_arena.h"

#include <charconv>
#include <cstring>
#include <functional>
#include <new>
#include <unordered_map>

namespace tsl {

struct NameEntry {
    std::string text;
    std::uint32_t bit;
};

// A node that carries its own fields: everything but the cells of packed rows.
struct FullNode : DataNode {
    FullNode(const NameEntry* name, DataNode* parent, std::int32_t depth)
        : DataNode(Kind::Full, 0), name_(name), parent_(parent), depth_(depth)
    {
    }

    const NameEntry* name_;
    const DataAttribute* attributes_ = nullptr;
    DataNode* firstChild_ = nullptr;
    DataNode* parent_;
    DataNode* nextSibling_ = nullptr;
    // The block of cells when this node's children were copied as a packed row.
    PackedRow* packed_ = nullptr;
    std::int32_t depth_;
    // One bit per name (by interning order, modulo 32) of every node below this
    // one. Searches skip subtrees that cannot hold the name they look for.
    // Bits are added as nodes are linked and never removed.
    std::uint32_t subtreeNames_ = 0;
};

// What the cells of rows copied from one template share: each cell's name and
// attribute list, by position.
struct RowShape {
    std::vector<const NameEntry*> names;
    std::vector<const DataAttribute*> attributes;
    std::uint32_t bits = 0;
};

// A cell's own links, once its row has been changed in its structure (a child
// inserted among the cells, a cell deleted or renamed): from then on every cell
// of that row reads its fields from here.
struct CellLinks {
    const NameEntry* name;
    const DataAttribute* attributes;
    DataNode* firstChild;
    DataNode* parent;
    DataNode* nextSibling;
    std::uint32_t subtreeNames;
};

// The children of a copied template: a header, then the cells in order.
struct PackedRow {
    FullNode* row;
    const RowShape* shape;
    std::unique_ptr<CellLinks[]> links; // null while the cells keep their places
    std::uint32_t count;
    std::uint32_t pinned = 0; // cells detached from the row and still held

    DataNode* cell(std::uint32_t index);
    static PackedRow* of(const DataNode* cell);
    DataNode* implicitNext(std::uint32_t index) { return index + 1 < count ? cell(index + 1) : nullptr; }
};

constexpr std::size_t packedHeaderSize = (sizeof(PackedRow) + alignof(DataNode) - 1) / alignof(DataNode) * alignof(DataNode);

DataNode* PackedRow::cell(std::uint32_t index)
{
    return reinterpret_cast<DataNode*>(reinterpret_cast<char*>(this) + packedHeaderSize + index * sizeof(DataNode));
}

PackedRow* PackedRow::of(const DataNode* cell)
{
    const char* base = reinterpret_cast<const char*>(cell) - cell->index_ * sizeof(DataNode) - packedHeaderSize;
    return const_cast<PackedRow*>(reinterpret_cast<const PackedRow*>(base));
}

static_assert(sizeof(DataNode) == 16, "a cell of stored data costs sixteen bytes");

// ---- accessors --------------------------------------------------------------

const FullNode* DataNode::full() const { return static_cast<const FullNode*>(this); }
const PackedRow* DataNode::row() const { return PackedRow::of(this); }

std::string_view DataAttribute::name() const { return name_->text; }

std::string_view DataNode::name() const
{
    if (kind_ == Kind::Full)
        return full()->name_->text;
    const PackedRow* r = row();
    return (r->links ? r->links[index_].name : r->shape->names[index_])->text;
}

const DataAttribute* DataNode::attributes() const
{
    if (kind_ == Kind::Full)
        return full()->attributes_;
    const PackedRow* r = row();
    return r->links ? r->links[index_].attributes : r->shape->attributes[index_];
}

DataNode* DataNode::firstChild() const
{
    if (kind_ == Kind::Full)
        return full()->firstChild_;
    const PackedRow* r = row();
    return r->links ? r->links[index_].firstChild : nullptr;
}

DataNode* DataNode::parent() const
{
    if (kind_ == Kind::Full)
        return full()->parent_;
    const PackedRow* r = row();
    return r->links ? r->links[index_].parent : r->row;
}

DataNode* DataNode::nextSibling() const
{
    if (kind_ == Kind::Full)
        return full()->nextSibling_;
    PackedRow* r = PackedRow::of(this);
    return r->links ? r->links[index_].nextSibling : r->implicitNext(index_);
}

std::int32_t DataNode::depth() const
{
    if (kind_ == Kind::Full)
        return full()->depth_;
    return row()->row->depth_ + 1;
}

// Writable references to a node's links. For a cell, asking for them turns
// its row to explicit links first.
struct LinkRefs {
    const NameEntry*& name;
    const DataAttribute*& attributes;
    DataNode*& firstChild;
    DataNode*& parent;
    DataNode*& nextSibling;
    std::uint32_t& subtreeNames;
};

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

// Fixed-size slots for full nodes, handed out in blocks and recycled through
// a free list, so a node costs its own size and no allocator header.
class NodePool {
public:
    explicit NodePool(BlockArena& arena) : arena_(arena) {}
    ~NodePool()
    {
        for (Slot* block : blocks_)
            arena_.release(block, sizeof(Slot) * blockSlots);
    }
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    FullNode* make(const NameEntry* name, DataNode* parent, std::int32_t depth)
    {
        return new (take()) FullNode(name, parent, depth);
    }

    void destroy(FullNode* node)
    {
        node->~FullNode();
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
        alignas(FullNode) unsigned char storage[sizeof(FullNode)];
    };
    static constexpr std::size_t blockSlots = 1024;

    void* take()
    {
        if (freeList_) {
            FreeSlot* slot = freeList_;
            freeList_ = slot->next;
            return slot;
        }
        if (blocks_.empty() || used_ == blockSlots) {
            blocks_.push_back(static_cast<Slot*>(arena_.allocate(sizeof(Slot) * blockSlots)));
            used_ = 0;
        }
        return &blocks_.back()[used_++];
    }

    BlockArena& arena_;
    std::vector<Slot*> blocks_;
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

// The name and attribute list of one child of a node copied as a packed row.
struct ShapeSource {
    const NameEntry* name;
    const DataAttribute* attributes;
};

// Keeps each distinct row shape once.
class ShapeTable {
public:
    // The shape made last, and the children of the node it was made from.
    // Names and attribute lists are never freed, so equal pointers mean an
    // equal source.
    const RowShape* last = nullptr;
    std::vector<ShapeSource> lastSource;
    // The node that last gave that shape, and the count of changes among its
    // children since (DataTree::noteChangeBelow): while none, its copies
    // take the shape without a look at its children.
    const DataNode* lastSourceNode = nullptr;
    std::uint64_t changesBelowSource = 0;
    std::uint64_t changesWhenLastSeen = 0;

    const RowShape* intern(RowShape&& shape)
    {
        std::size_t h = 0;
        for (std::size_t i = 0; i < shape.names.size(); ++i) {
            h = h * 31 + std::hash<const void*>{}(shape.names[i]);
            h = h * 31 + std::hash<const void*>{}(shape.attributes[i]);
        }
        auto range = byHash_.equal_range(h);
        for (auto it = range.first; it != range.second; ++it)
            if (it->second->names == shape.names && it->second->attributes == shape.attributes)
                return it->second.get();
        for (const NameEntry* name : shape.names)
            shape.bits |= name->bit;
        auto stored = std::make_unique<RowShape>(std::move(shape));
        const RowShape* result = stored.get();
        byHash_.emplace(h, std::move(stored));
        return result;
    }

private:
    std::unordered_multimap<std::size_t, std::unique_ptr<RowShape>> byHash_;
};

namespace {

std::size_t packedRowSize(std::uint32_t count)
{
    return packedHeaderSize + count * sizeof(DataNode);
}

PackedRow* newPackedRow(BlockArena& arena, FullNode* row, const RowShape* shape)
{
    auto count = static_cast<std::uint32_t>(shape->names.size());
    void* memory = arena.allocate(packedRowSize(count));
    auto* packed = new (memory) PackedRow{row, shape, nullptr, count, 0};
    return packed;
}

void freePackedRow(BlockArena& arena, PackedRow* packed)
{
    const std::uint32_t count = packed->count;
    packed->~PackedRow();
    arena.release(packed, packedRowSize(count));
}

} // namespace

// A cell is a DataNode of its own; only the tree makes and ends them.
struct CellFactory {
    struct Cell : DataNode {
        explicit Cell(std::uint32_t index) : DataNode(Kind::Cell, index) {}
    };
    static void make(void* where, std::uint32_t index) { new (where) Cell(index); }
};

DataTree::DataTree()
    : arena_(std::make_unique<BlockArena>()),
      names_(std::make_unique<NameTable>()),
      nodes_(std::make_unique<NodePool>(*arena_)),
      attributes_(std::make_unique<AttributePool>()),
      shapes_(std::make_unique<ShapeTable>()),
      lineBuffer_(std::make_unique<char[]>(lineBufferSize))
{
    root_ = nodes_->make(names_->intern("DocRoot"), nullptr, -1);
    lineBuffer_[0] = '\0';
}

DataTree::~DataTree()
{
    freeSubtree(root_);
    nodes_->destroy(root_);
    for (DataNode* node : detached_) {
        freeSubtree(node);
        destroy(node);
    }
    for (PackedRow* packed : retiredRows_)
        freePackedRow(*arena_, packed);
}

DataNode* DataTree::root() { return root_; }
const DataNode* DataTree::root() const { return root_; }

LinkRefs DataTree::links(DataNode* node)
{
    if (node->kind_ == DataNode::Kind::Full) {
        auto* f = static_cast<FullNode*>(node);
        return {f->name_, f->attributes_, f->firstChild_, f->parent_, f->nextSibling_, f->subtreeNames_};
    }
    PackedRow* r = PackedRow::of(node);
    if (!r->links) {
        r->links = std::make_unique<CellLinks[]>(r->count);
        for (std::uint32_t i = 0; i < r->count; ++i)
            r->links[i] = {r->shape->names[i], r->shape->attributes[i], nullptr, r->row, r->implicitNext(i), 0};
    }
    CellLinks& l = r->links[node->index_];
    return {l.name, l.attributes, l.firstChild, l.parent, l.nextSibling, l.subtreeNames};
}

// ---- search -----------------------------------------------------------------

struct TreeSearch {
    static std::uint32_t namesBelow(const DataNode* node)
    {
        if (node->kind_ == DataNode::Kind::Full)
            return node->full()->subtreeNames_;
        const PackedRow* r = node->row();
        return r->links ? r->links[node->index_].subtreeNames : 0;
    }

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
            if ((namesBelow(node) & bit) && node->firstChild()) {
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

    static const NameEntry* nameEntry(const DataNode* node)
    {
        if (node->kind_ == DataNode::Kind::Full)
            return node->full()->name_;
        const PackedRow* r = node->row();
        return r->links ? r->links[node->index_].name : r->shape->names[node->index_];
    }
};

DataNode* DataTree::findNode(const DataNode* start, std::string_view name) const
{
    const NameEntry* entry = names_->find(name);
    if (!entry)
        return nullptr;
    return TreeSearch::preOrder(start, entry->bit,
                                [entry](const DataNode* n) { return TreeSearch::nameEntry(n) == entry; });
}

DataNode* DataTree::findNodeByAttribute(const DataNode* start, std::string_view name,
                                        std::string_view attributeName, std::string_view value) const
{
    const NameEntry* entry = names_->find(name);
    if (!entry)
        return nullptr;
    return TreeSearch::preOrder(start, entry->bit, [&](const DataNode* n) {
        if (TreeSearch::nameEntry(n) != entry)
            return false;
        const DataAttribute* attribute = findAttribute(n, attributeName);
        return attribute && attribute->value() == value;
    });
}

const DataAttribute* DataTree::findAttribute(const DataNode* node, std::string_view name)
{
    if (!node)
        return nullptr;
    for (const DataAttribute* a = node->attributes(); a; a = a->next_)
        if (a->name() == name)
            return a;
    return nullptr;
}

// ---- building ---------------------------------------------------------------

FullNode* DataTree::newNode(DataNode* parent, const NameEntry* name)
{
    return nodes_->make(name, parent, parent->depth() + 1);
}

void DataTree::noteSubtreeNames(DataNode* ancestor, std::uint32_t bits)
{
    while (ancestor && (TreeSearch::namesBelow(ancestor) & bits) != bits) {
        LinkRefs refs = links(ancestor);
        refs.subtreeNames |= bits;
        ancestor = refs.parent;
    }
}

void DataTree::linkLast(DataNode* parent, DataNode* child)
{
    DataNode* last = (lastAppendParent_ == parent) ? lastAppendChild_ : parent->firstChild();
    if (!last) {
        links(parent).firstChild = child;
    } else {
        while (DataNode* next = last->nextSibling())
            last = next;
        links(last).nextSibling = child;
    }
    lastAppendParent_ = parent;
    lastAppendChild_ = child;
    noteSubtreeNames(parent, TreeSearch::nameEntry(child)->bit | TreeSearch::namesBelow(child));
    noteChildrenChanged(parent);
}

// parent's children changed, or one of them did: its name, attributes or
// whether it has children of its own.
void DataTree::noteChildrenChanged(const DataNode* parent)
{
    noteChangeBelow(parent);
    if (parent)
        noteChangeBelow(parent->parent());
}

void DataTree::noteChangeBelow(const DataNode* node)
{
    if (node && node == shapes_->lastSourceNode)
        ++shapes_->changesBelowSource;
}

void DataTree::linkAfter(DataNode* parent, DataNode* previous, DataNode* child)
{
    if (!previous) {
        links(child).nextSibling = parent->firstChild();
        links(parent).firstChild = child;
    } else {
        links(child).nextSibling = previous->nextSibling();
        links(previous).nextSibling = child;
    }
    noteSubtreeNames(parent, TreeSearch::nameEntry(child)->bit | TreeSearch::namesBelow(child));
    noteChildrenChanged(parent);
}

DataNode* DataTree::addChild(DataNode* parent, std::string_view name)
{
    if (!parent)
        return nullptr;
    DataNode* child = newNode(parent, names_->intern(name));
    linkLast(parent, child);
    return child;
}

DataNode* DataTree::addChildAfter(DataNode* parent, DataNode* previous, std::string_view name)
{
    if (!parent)
        return nullptr;
    DataNode* child = newNode(parent, names_->intern(name));
    linkAfter(parent, previous, child);
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
    DataNode* first = parent->firstChild();
    if (first) {
        const DataAttribute* firstKey = keyOf(first);
        if (!(firstKey && firstKey->value() > keyValue)) {
            previous = first;
            while (previous->nextSibling() && previous->attributes()) {
                const DataAttribute* nextKey = keyOf(previous->nextSibling());
                if (!nextKey || nextKey->value() >= keyValue)
                    break;
                previous = previous->nextSibling();
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

DataNode* DataTree::copySubtreeAfter(DataNode* newParent, DataNode* previous, const DataNode* source)
{
    if (!newParent || !source)
        return nullptr;
    FullNode* copy = newNode(newParent, TreeSearch::nameEntry(source));
    linkAfter(newParent, previous, copy);
    copyBelow(copy, source);
    return copy;
}

DataNode* DataTree::copyInto(DataNode* newParent, const DataNode* source)
{
    FullNode* copy = newNode(newParent, TreeSearch::nameEntry(source));
    linkLast(newParent, copy);
    copyBelow(copy, source);
    return copy;
}

// The children and attributes of a copy just linked in.
void DataTree::copyBelow(FullNode* copy, const DataNode* source)
{
    if (!copyAsPackedRow(copy, source)) {
        for (const DataNode* child = source->firstChild(); child; child = child->nextSibling())
            copyInto(copy, child);
    }
    copy->attributes_ = copiedAttributes(source->attributes());
    noteChildrenChanged(copy->parent_);
}

// A node whose children are all leaves (a template and its labels) is copied
// as a packed row.
bool DataTree::copyAsPackedRow(FullNode* copy, const DataNode* source)
{
    const RowShape* shared = rowShapeOf(source);
    if (!shared)
        return false;
    PackedRow* packed = newPackedRow(*arena_, copy, shared);
    for (std::uint32_t i = 0; i < packed->count; ++i)
        CellFactory::make(packed->cell(i), i);
    copy->packed_ = packed;
    copy->firstChild_ = packed->cell(0);
    noteSubtreeNames(copy, shared->bits);
    return true;
}

// The shape of copies of source, null unless its children are all leaves.
// Copies of one template come by the thousand: a source whose children have
// the names and attribute lists that made the last shape gets that shape
// without its being made anew.
const RowShape* DataTree::rowShapeOf(const DataNode* source)
{
    if (source == shapes_->lastSourceNode && shapes_->changesBelowSource == shapes_->changesWhenLastSeen)
        return shapes_->last;
    shapes_->lastSourceNode = nullptr;
    const DataNode* first = source->firstChild();
    if (!first)
        return nullptr;
    const std::vector<ShapeSource>& seen = shapes_->lastSource;
    bool same = shapes_->last != nullptr;
    std::size_t count = 0;
    for (const DataNode* child = first; child; child = child->nextSibling(), ++count) {
        if (child->firstChild())
            return nullptr;
        same = same && count < seen.size() && seen[count].name == TreeSearch::nameEntry(child) &&
               seen[count].attributes == child->attributes();
    }
    shapes_->lastSourceNode = source;
    shapes_->changesWhenLastSeen = shapes_->changesBelowSource;
    if (same && count == seen.size())
        return shapes_->last;

    RowShape shape;
    std::vector<ShapeSource> made;
    for (const DataNode* child = first; child; child = child->nextSibling()) {
        made.push_back({TreeSearch::nameEntry(child), child->attributes()});
        shape.names.push_back(made.back().name);
        shape.attributes.push_back(copiedAttributes(child->attributes()));
    }
    shapes_->last = shapes_->intern(std::move(shape));
    shapes_->lastSource = std::move(made);
    return shapes_->last;
}

// The attributes a copy gets by setting each source attribute in turn: empty
// values are dropped and a repeated name only changes the first one's value.
// The usual list has neither and is shared as it is.
const DataAttribute* DataTree::copiedAttributes(const DataAttribute* source)
{
    bool plain = true;
    for (const DataAttribute* a = source; a && plain; a = a->next_) {
        if (a->value().empty())
            plain = false;
        for (const DataAttribute* b = source; b != a && plain; b = b->next_)
            if (b->name_ == a->name_)
                plain = false;
    }
    if (plain)
        return source;
    std::vector<const DataAttribute*> kept;
    for (const DataAttribute* a = source; a; a = a->next_) {
        if (a->value().empty())
            continue;
        bool repeated = false;
        for (auto& k : kept) {
            if (k->name_ == a->name_) {
                k = a; // the later value, in the first one's place
                repeated = true;
                break;
            }
        }
        if (!repeated)
            kept.push_back(a);
    }
    return attributes_->rebuild(kept, nullptr);
}

const DataAttribute* DataTree::setAttribute(DataNode* node, std::string_view name, std::string_view value)
{
    if (!node || name.empty() || value.empty())
        return nullptr;
    std::vector<const DataAttribute*> before;
    const DataAttribute* a = node->attributes();
    for (; a && a->name() != name; a = a->next_)
        before.push_back(a);
    // A new name goes to the end of the list, an existing one keeps its place.
    const DataAttribute* rest = a ? a->next_ : nullptr;
    const NameEntry* entry = a ? a->name_ : names_->intern(name);
    const DataAttribute* changed = attributes_->make(entry, value, rest);
    const DataAttribute* list = attributes_->rebuild(before, changed);
    if (list != node->attributes()) {
        links(node).attributes = list;
        noteChangeBelow(node->parent());
    }
    return changed;
}

const DataAttribute* DataTree::setAttributeInt(DataNode* node, std::string_view name, std::int32_t value)
{
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    return setAttribute(node, name, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void DataTree::shareAttributes(DataNode* node, const DataAttribute* list)
{
    if (node && node->attributes() != list) {
        links(node).attributes = list;
        noteChangeBelow(node->parent());
    }
}

const DataAttribute* DataTree::appendAttribute(DataNode* node, std::string_view name, std::string_view value)
{
    if (!node)
        return nullptr;
    std::vector<const DataAttribute*> all;
    for (const DataAttribute* a = node->attributes(); a; a = a->next_)
        all.push_back(a);
    const DataAttribute* added = attributes_->make(names_->intern(name), value, nullptr);
    links(node).attributes = attributes_->rebuild(all, added);
    noteChangeBelow(node->parent());
    return added;
}

void DataTree::setName(DataNode* node, std::string_view name)
{
    if (!node)
        return;
    const NameEntry* entry = names_->intern(name);
    if (TreeSearch::nameEntry(node) == entry)
        return;
    links(node).name = entry;
    noteSubtreeNames(node->parent(), entry->bit);
    noteChangeBelow(node->parent());
}

const void* DataTree::packedLayout(const DataNode* row)
{
    if (!row || row->kind_ != DataNode::Kind::Full)
        return nullptr;
    const PackedRow* packed = row->full()->packed_;
    return (packed && !packed->links) ? packed->shape : nullptr;
}

void DataTree::setChunkSupplier(ChunkSupplier* supplier)
{
    arena_->setSupplier(supplier);
}

void DataTree::adoptChunk(void* chunk) noexcept
{
    arena_->adoptChunk(chunk);
}

DataTree::PackedCells DataTree::packedCells(const DataNode* row)
{
    PackedCells cells;
    if (packedLayout(row)) {
        PackedRow* packed = row->full()->packed_;
        cells.first_ = reinterpret_cast<char*>(packed->cell(0));
        cells.count_ = packed->count;
    }
    return cells;
}

DataNode* DataTree::packedCell(const DataNode* row, std::size_t k)
{
    if (!packedLayout(row))
        return nullptr;
    PackedRow* packed = row->full()->packed_;
    return k < packed->count ? packed->cell(static_cast<std::uint32_t>(k)) : nullptr;
}

// ---- removal ----------------------------------------------------------------

void DataTree::unlink(DataNode* node)
{
    DataNode* parent = node->parent();
    DataNode* next = node->nextSibling();
    if (parent->firstChild() == node) {
        links(parent).firstChild = next;
    } else {
        DataNode* previous = parent->firstChild();
        while (previous && previous->nextSibling() != node)
            previous = previous->nextSibling();
        if (previous)
            links(previous).nextSibling = next;
    }
    links(node).nextSibling = nullptr;
    lastAppendParent_ = lastAppendChild_ = nullptr;
    noteChildrenChanged(parent);
}

void DataTree::detachNode(DataNode* node)
{
    if (!node || !node->parent())
        return;
    unlink(node);
    links(node).parent = nullptr;
    if (node->kind_ == DataNode::Kind::Cell)
        PackedRow::of(node)->pinned += 1;
    detached_.push_back(node);
}

// Ends one node whose children are already gone. A cell's storage belongs to
// its row and goes with the row.
void DataTree::destroy(DataNode* node)
{
    if (node == shapes_->lastSourceNode)
        shapes_->lastSourceNode = nullptr; // its slot may hold another node next
    noteChangeBelow(node->parent());
    if (node->kind_ == DataNode::Kind::Cell) {
        node->text_.clear();
        return;
    }
    auto* full = static_cast<FullNode*>(node);
    if (PackedRow* packed = full->packed_) {
        if (packed->pinned == 0)
            freePackedRow(*arena_, packed);
        else
            retiredRows_.push_back(packed);
    }
    nodes_->destroy(full);
}

// Frees everything below node, in post-order and without recursion: trees
// read from files may be deep.
void DataTree::freeSubtree(DataNode* node)
{
    DataNode* current = node->firstChild();
    while (current) {
        while (DataNode* child = current->firstChild())
            current = child;
        for (;;) {
            DataNode* next = current->nextSibling();
            DataNode* up = current->parent();
            destroy(current);
            if (next) {
                current = next;
                break;
            }
            if (up == node) {
                current = nullptr;
                break;
            }
            current = up;
        }
    }
    LinkRefs refs = links(node);
    refs.firstChild = nullptr;
    refs.attributes = nullptr;
    refs.subtreeNames = 0;
    noteChildrenChanged(node);
    if (node->kind_ == DataNode::Kind::Full) {
        auto* full = static_cast<FullNode*>(node);
        if (full->packed_) {
            // the cells are gone; the block goes unless a detached cell holds it
            if (full->packed_->pinned == 0)
                freePackedRow(*arena_, full->packed_);
            else
                retiredRows_.push_back(full->packed_);
            full->packed_ = nullptr;
        }
    }
    lastAppendParent_ = lastAppendChild_ = nullptr;
}

void DataTree::deleteNode(DataNode* node)
{
    if (!node)
        return;
    freeSubtree(node);
    if (!node->parent())
        return; // the root, or a detached node, stays, emptied
    unlink(node);
    destroy(node);
}

} // namespace tsl
