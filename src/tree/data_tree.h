#pragma once

#include "tree/compact_text.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

class DataTree;
struct NameEntry;
struct PackedRow;
struct FullNode;
struct RowShape;

// One attribute of a node. Attribute lists are immutable and shared: every row
// of the data carries the same "value"/"order" pair per column, so the tree
// keeps each distinct list once and a node points at the head of its list.
class DataAttribute {
public:
    std::string_view name() const;
    std::string_view value() const { return value_; }
    const DataAttribute* next() const { return next_; }

private:
    friend class DataTree;
    friend class AttributePool;
    DataAttribute(const NameEntry* name, std::string_view value, const DataAttribute* next)
        : name_(name), value_(value), next_(next)
    {
    }

    const NameEntry* name_;
    std::string value_;
    const DataAttribute* next_;
};

// An element of the tree. Nodes are made, renamed, linked and freed only by
// their DataTree; texts may be set directly.
//
// Most nodes of a large tree are the cells of data rows: the "label" children
// that a row gets as a copy of the template. Those are stored packed, sixteen
// bytes each, behind their row; their name, attributes and links follow from
// their place in the row. Every other node carries its fields itself. Both
// kinds answer the same accessors.
class DataNode {
public:
    std::string_view name() const;
    std::string_view text() const { return text_.view(); }
    void setText(std::string_view text) { text_.assign(text); }
    const DataAttribute* attributes() const;
    DataNode* firstChild() const;
    DataNode* parent() const;
    DataNode* nextSibling() const;
    std::int32_t depth() const;

    DataNode(const DataNode&) = delete;
    DataNode& operator=(const DataNode&) = delete;

protected:
    enum class Kind : std::uint8_t { Full, Cell };
    DataNode(Kind kind, std::uint32_t index) : kind_(kind), index_(index) {}
    ~DataNode() = default;

private:
    friend class DataTree;
    friend struct TreeSearch;
    friend struct PackedRow;

    const FullNode* full() const;
    const PackedRow* row() const;

    Kind kind_;
    // A cell's position in its row.
    std::uint32_t index_;
    CompactText text_;
};

// How the read of an XML file ended.
enum class XmlReadEnd {
    Finished,   // read to its end
    Stopped,    // the caller asked to stop
    NotText,    // a NUL byte: binary data, such as a device or an image
    ReadError,  // the system could not read on
    OutOfMemory,
};

class BlockArena;
class ChunkSupplier;
class NameTable;
class NodePool;
class AttributePool;
class ShapeTable;
struct LinkRefs;

// The one in-memory document: templates, file labels and all data read.
class DataTree {
public:
    DataTree();
    ~DataTree();
    DataTree(const DataTree&) = delete;
    DataTree& operator=(const DataTree&) = delete;

    DataNode* root();
    const DataNode* root() const;

    // Pre-order search below start; start itself is a candidate.
    DataNode* findNode(const DataNode* start, std::string_view name) const;
    DataNode* findNodeByAttribute(const DataNode* start, std::string_view name,
                                  std::string_view attributeName, std::string_view value) const;

    DataNode* addChild(DataNode* parent, std::string_view name);
    DataNode* insertChildSorted(DataNode* parent, std::string_view name,
                                std::string_view keyName, std::string_view keyValue);
    DataNode* copySubtree(DataNode* newParent, const DataNode* source);
    // As addChild and copySubtree, but linked directly after previous, a
    // child of parent (as the first child when previous is null).
    DataNode* addChildAfter(DataNode* parent, DataNode* previous, std::string_view name);
    DataNode* copySubtreeAfter(DataNode* newParent, DataNode* previous, const DataNode* source);

    const DataAttribute* setAttribute(DataNode* node, std::string_view name, std::string_view value);
    const DataAttribute* setAttributeInt(DataNode* node, std::string_view name, std::int32_t value);
    static const DataAttribute* findAttribute(const DataNode* node, std::string_view name);
    // Gives node an attribute list that a node of this tree has or had:
    // lists are kept once, for the tree's life, and never change.
    void shareAttributes(DataNode* node, const DataAttribute* list);
    // Appends an attribute as it stands, duplicates and empty values included
    // (the XML reader keeps what the file says).
    const DataAttribute* appendAttribute(DataNode* node, std::string_view name, std::string_view value);

    void setName(DataNode* node, std::string_view name);
    // Unlinks a node from its parent; it stays in the tree's keeping until
    // deleteNode or the tree's end.
    void detachNode(DataNode* node);
    void deleteNode(DataNode* node);

    // Rows copied from one template share the layout of their cells. While a
    // row's children are exactly those cells, in their places, this gives the
    // same key for every row of that layout (null otherwise), and packedCell
    // its k-th child without walking the row.
    static const void* packedLayout(const DataNode* row);
    static DataNode* packedCell(const DataNode* row, std::size_t k);
    // All of them at once, for walks over every cell (none when the row is
    // not such a row).
    class PackedCells {
    public:
        std::size_t size() const { return count_; }
        DataNode* operator[](std::size_t k) const { return reinterpret_cast<DataNode*>(first_ + k * sizeof(DataNode)); }

    private:
        friend class DataTree;
        char* first_ = nullptr;
        std::size_t count_ = 0;
    };
    static PackedCells packedCells(const DataNode* row);

    // While a supplier is set, new memory for nodes and rows comes from it
    // where it has some ready (see ChunkSupplier); a chunk it has left over
    // can be handed to the tree for later.
    void setChunkSupplier(ChunkSupplier* supplier);
    void adoptChunk(void* chunk) noexcept;

    void writeXml(const DataNode* node, std::FILE* file) const;
    static std::string formatNode(const DataNode* node);
    // 1 when the file was opened and read to its end, else 0.
    int readXmlFile(const std::string& path);
    // Reads an open file. keepReading, when given, is asked before each line
    // and stops the read by answering false. What was built stays in the tree.
    XmlReadEnd readXml(std::FILE* file, const std::function<bool()>& keepReading = {});

    // The XML reader's one line buffer.
    static constexpr std::size_t lineBufferSize = 4799;
    char* lineBuffer() { return lineBuffer_.get(); }

private:
    FullNode* newNode(DataNode* parent, const NameEntry* name);
    LinkRefs links(DataNode* node);
    void linkLast(DataNode* parent, DataNode* child);
    void linkAfter(DataNode* parent, DataNode* previous, DataNode* child);
    void noteSubtreeNames(DataNode* ancestor, std::uint32_t bits);
    DataNode* copyInto(DataNode* newParent, const DataNode* source);
    void copyBelow(FullNode* copy, const DataNode* source);
    bool copyAsPackedRow(FullNode* copy, const DataNode* source);
    const RowShape* rowShapeOf(const DataNode* source);
    void noteChildrenChanged(const DataNode* parent);
    void noteChangeBelow(const DataNode* node);
    const DataAttribute* copiedAttributes(const DataAttribute* source);
    void freeSubtree(DataNode* node);
    void destroy(DataNode* node);
    void unlink(DataNode* node);

    // First, so that it goes last: every node and row lives in its chunks.
    std::unique_ptr<BlockArena> arena_;
    std::unique_ptr<NameTable> names_;
    std::unique_ptr<NodePool> nodes_;
    std::unique_ptr<AttributePool> attributes_;
    std::unique_ptr<ShapeTable> shapes_;
    FullNode* root_;
    std::unique_ptr<char[]> lineBuffer_;
    std::vector<DataNode*> detached_;
    // Rows freed while one of their cells was detached and still held.
    std::vector<PackedRow*> retiredRows_;
    // The last child linked by addChild, so that building a long child list
    // does not walk the list once per child.
    DataNode* lastAppendParent_ = nullptr;
    DataNode* lastAppendChild_ = nullptr;
};

} // namespace tsl
