// The XML text forms of the tree: the indented file form and the one-line form
// shown in the log. Nothing is escaped; the reader expects the text as stored.

#include "tree/data_tree.h"

namespace tsl {

namespace {

// Collects output and hands it to the file in large pieces. Every line feed
// goes out as CR LF, as a text-mode stream on the loggers' platform writes it.
class CrLfWriter {
public:
    explicit CrLfWriter(std::FILE* file) : file_(file) { buffer_.reserve(flushSize + 1024); }
    ~CrLfWriter() { flush(); }

    void put(std::string_view text)
    {
        std::size_t start = 0;
        for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', start)) {
            buffer_.append(text.substr(start, lf - start));
            buffer_.append("\r\n");
            start = lf + 1;
        }
        buffer_.append(text.substr(start));
        if (buffer_.size() >= flushSize)
            flush();
    }
    void put(char c) { put(std::string_view(&c, 1)); }

    void flush()
    {
        if (!buffer_.empty())
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t flushSize = 1 << 16;
    std::FILE* file_;
    std::string buffer_;
};

bool isSpecial(const DataNode* node) { return !node->name().empty() && node->name()[0] == '!'; }

bool isComment(const DataNode* node) { return node->name().size() > 1 && node->name()[1] == '-'; }

void appendSpecial(std::string& out, const DataNode* node)
{
    out += isComment(node) ? "<!-- " : "<! ";
    out += node->text();
    out += isComment(node) ? " -->" : " >";
}

// The attribute list: empty, or a space and then each attribute followed by a
// separator. With wrapping, the separator becomes a line feed once the list
// passes the limit, and the limit moves on by 200.
void appendAttributes(std::string& out, const DataNode* node, bool wrap)
{
    if (!node->attributes())
        return;
    std::size_t start = out.size();
    std::size_t limit = 200;
    out += ' ';
    for (const DataAttribute* a = node->attributes(); a; a = a->next()) {
        out += a->name();
        out += "=\"";
        out += a->value();
        out += '"';
        if (wrap && out.size() - start > limit) {
            out += '\n';
            limit += 200;
        } else {
            out += ' ';
        }
    }
}

void appendEmptyLeafEnd(std::string& out, const DataNode* node)
{
    out += (!node->name().empty() && node->name()[0] == '?') ? "?>" : "/>";
}

void appendStartTag(std::string& out, const DataNode* node, bool wrap)
{
    out += '<';
    out += node->name();
    appendAttributes(out, node, wrap);
}

void appendLeaf(std::string& out, const DataNode* node, bool wrap)
{
    appendStartTag(out, node, wrap);
    if (!node->text().empty()) {
        out += '>';
        out += node->text();
        out += "</";
        out += node->name();
        out += '>';
    } else {
        appendEmptyLeafEnd(out, node);
    }
}

void appendEndTag(std::string& out, const DataNode* node)
{
    out += "</";
    out += node->name();
    out += '>';
}

bool opensElement(const DataNode* node) { return !isSpecial(node) && node->firstChild(); }

// Visits the subtree of top in document order without recursion: open is
// called for every node on the way down, close for every node with children
// once its children are done.
template <typename Open, typename Close>
void walkDocument(const DataNode* top, Open open, Close close)
{
    const DataNode* node = top;
    for (;;) {
        open(node);
        if (opensElement(node)) {
            node = node->firstChild();
            continue;
        }
        while (node != top && !node->nextSibling()) {
            node = node->parent();
            close(node);
        }
        if (node == top)
            return;
        node = node->nextSibling();
    }
}

void writeSubtree(const DataNode* top, CrLfWriter& out)
{
    std::string line;
    auto indent = [&line](const DataNode* node) {
        if (node->depth() > 0)
            line.append(2 * static_cast<std::size_t>(node->depth()), ' ');
    };
    walkDocument(
        top,
        [&](const DataNode* node) {
            line.clear();
            if (isSpecial(node)) {
                appendSpecial(line, node);
            } else {
                indent(node);
                if (node->firstChild()) {
                    appendStartTag(line, node, true);
                    line += '>';
                } else {
                    appendLeaf(line, node, true);
                }
            }
            line += '\n';
            out.put(line);
        },
        [&](const DataNode* node) {
            line.clear();
            indent(node);
            appendEndTag(line, node);
            line += '\n';
            out.put(line);
        });
}

} // namespace

void DataTree::writeXml(const DataNode* node, std::FILE* file) const
{
    if (!node || !file)
        return;
    CrLfWriter out(file);
    if (node == root()) {
        for (const DataNode* child = node->firstChild(); child; child = child->nextSibling())
            writeSubtree(child, out);
        return;
    }
    writeSubtree(node, out);
}

std::string DataTree::formatNode(const DataNode* node)
{
    std::string out;
    if (!node)
        return out;
    walkDocument(
        node,
        [&](const DataNode* n) {
            if (isSpecial(n)) {
                appendSpecial(out, n);
            } else if (n->firstChild()) {
                appendStartTag(out, n, false);
                out += '>';
            } else {
                appendLeaf(out, n, false);
            }
        },
        [&](const DataNode* n) { appendEndTag(out, n); });
    return out;
}

} // namespace tsl
