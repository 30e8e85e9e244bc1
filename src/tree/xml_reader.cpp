// Reads the XML files written by Save to XML back into the tree. A small
// line-oriented parser: every start tag on one line, values in quotes, text on
// the line of its tags. It never reports a syntax error; what it cannot parse
// it skips, and whatever it linked into the tree before stays there.

#include "tree/data_tree.h"

#include <cstring>
#include <new>

namespace tsl {

namespace {

// Element names, attribute names and values, and texts are cut to this size.
constexpr std::size_t workBufferChars = 499;
// Deeper nesting than this is skipped like any element that cannot be parsed,
// so that a hostile file cannot exhaust the stack.
constexpr int maxNesting = 1000;

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

char* skipSpace(char* p)
{
    while (isXmlSpace(*p))
        ++p;
    return p;
}

bool startsWith(const char* p, const char* prefix) { return std::strncmp(p, prefix, std::strlen(prefix)) == 0; }

std::string_view cut(const char* begin, const char* end)
{
    std::size_t length = static_cast<std::size_t>(end - begin);
    return {begin, length < workBufferChars ? length : workBufferChars};
}

// A file read in text mode: CR LF becomes LF, and a line is read in pieces of
// at most size - 1 characters, its line feed kept, as fgets does. The file
// ends early at a NUL byte, which no text holds (an endless device gives
// nothing else), and when the caller asks to stop.
class TextModeFile {
public:
    TextModeFile(std::FILE* file, const std::function<bool()>& keepReading)
        : file_(file), keepReading_(keepReading)
    {
    }

    bool readLine(char* buffer, std::size_t size)
    {
        buffer[0] = '\0';
        if (end_ != XmlReadEnd::Finished)
            return false;
        if (keepReading_ && !keepReading_()) {
            end_ = XmlReadEnd::Stopped;
            return false;
        }
        std::size_t length = 0;
        while (length + 1 < size) {
            int c = next();
            if (c == EOF)
                break;
            if (c == '\0') {
                end_ = XmlReadEnd::NotText;
                buffer[0] = '\0';
                return false;
            }
            if (c == '\r') {
                int following = next();
                if (following == '\n')
                    c = '\n';
                else
                    pushBack(following);
            }
            buffer[length++] = static_cast<char>(c);
            if (c == '\n')
                break;
        }
        buffer[length] = '\0';
        if (length == 0 && std::ferror(file_))
            end_ = XmlReadEnd::ReadError;
        return length > 0;
    }

    XmlReadEnd end() const { return end_; }

private:
    int next()
    {
        if (pending_ != EOF) {
            int c = pending_;
            pending_ = EOF;
            return c;
        }
        return std::getc(file_);
    }
    void pushBack(int c) { pending_ = c; }

    std::FILE* file_;
    const std::function<bool()>& keepReading_;
    int pending_ = EOF;
    XmlReadEnd end_ = XmlReadEnd::Finished;
};

class XmlReader {
public:
    XmlReader(DataTree& tree, std::FILE* file, const std::function<bool()>& keepReading)
        : tree_(tree), file_(file, keepReading), line_(tree.lineBuffer())
    {
    }

    XmlReadEnd run()
    {
        line_[0] = '\0';
        char* position = nullptr;
        while ((position = nextTag(position)) != nullptr)
            position = parseElement(tree_.root(), position, 0);
        return file_.end();
    }

private:
    bool readLine() { return file_.readLine(line_, DataTree::lineBufferSize); }

    static const char* terminatorFor(const char* line)
    {
        const char* open = std::strchr(line, '<');
        if (!open)
            return ">";
        if (startsWith(open, "<!--"))
            return "-->";
        if (open[1] == '?')
            return "?>";
        return ">";
    }

    // A start tag that Save to XML wrapped because its attributes ran long
    // ends its first line right after a quoted value; such a line is taken
    // although its ">" is on a later line.
    static bool endsInWrappedTag(const char* line)
    {
        const char* open = std::strchr(line, '<');
        if (!open || open[1] == '!' || open[1] == '?' || open[1] == '/')
            return false;
        std::size_t length = std::strlen(line);
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
            --length;
        return length > 0 && line[length - 1] == '"' && std::strchr(open, '=') != nullptr;
    }

    char* nextTag(char* position)
    {
        for (;;) {
            if (!position) {
                line_[0] = '\0';
                while (!position) {
                    if (!readLine())
                        return nullptr;
                    if (std::strstr(line_, terminatorFor(line_)) || endsInWrappedTag(line_))
                        position = line_;
                }
            }
            if (char* open = std::strchr(position, '<'))
                return open;
            position = nullptr;
        }
    }

    // Content lines: line feeds and tabs become spaces, single quotes double ones.
    static void normalize(char* p)
    {
        for (; *p; ++p) {
            if (*p == '\n' || *p == '\t')
                *p = ' ';
            else if (*p == '\'')
                *p = '"';
        }
    }

    // Reads lines until one holds more than white space; null at end of file.
    char* nextContentLine()
    {
        for (;;) {
            if (!readLine())
                return nullptr;
            normalize(line_);
            char* p = skipSpace(line_);
            if (*p)
                return p;
        }
    }

    // Position after the '>' that closes a tag whose '<' is at open (and one
    // more when another '>' follows); the end of the line when there is none.
    static char* afterClosingBracket(char* open)
    {
        char* from = open[1] ? open + 2 : open + 1;
        char* close = std::strchr(from, '>');
        if (!close)
            return from + std::strlen(from);
        ++close;
        return *close == '>' ? close + 1 : close;
    }

    char* parseElement(DataNode* parent, char* p, int nesting)
    {
        if (nesting > maxNesting)
            return nullptr;
        p = skipSpace(p);
        if (*p != '<')
            return nullptr;
        ++p;
        if (startsWith(p, "< "))
            return nullptr;
        if (startsWith(p, "!--"))
            return parseComment(parent, p);
        if (*p == '!')
            return parseDeclaration(parent, p);

        char* space = std::strchr(p, ' ');
        char* bracket = std::strchr(p, '>');
        char* nameEnd = (space && (!bracket || space < bracket)) ? space : bracket;
        if (!nameEnd)
            return nullptr;
        char* nameStop = (nameEnd > p && nameEnd[-1] == '/') ? nameEnd - 1 : nameEnd;
        if (nameStop == p)
            return nullptr;
        DataNode* node = tree_.addChild(parent, cut(p, nameStop));
        std::size_t nameLength = node->name().size();
        p = (nameEnd == space) ? nameEnd + 1 : nameEnd;

        bool closed = false;
        p = parseAttributes(node, p, closed);
        if (!p)
            return nullptr;
        if (closed)
            return p;

        if (p > line_ && p[-1] == '/')
            return p + 1;
        ++p; // over the '>'
        normalize(p);
        p = skipSpace(p);
        if (!*p && !(p = nextContentLine()))
            return nullptr; // the file ends inside the element: keep what was built
        if (*p == '<')
            return parseChildren(node, p, nameLength, nesting);
        return parseText(node, p);
    }

    char* parseComment(DataNode* parent, char* p)
    {
        char* end = std::strstr(p + 3, "-->");
        if (!end)
            return nullptr;
        char* textStart = p + 4;
        DataNode* node = tree_.addChild(parent, "!--");
        if (textStart < end)
            node->setText(cut(textStart, end));
        return end + 3;
    }

    char* parseDeclaration(DataNode* parent, char* p)
    {
        char* end = std::strchr(p, '>');
        if (!end)
            return nullptr;
        DataNode* node = tree_.addChild(parent, "!");
        node->setText(cut(p + 1, end));
        return end + 1;
    }

    // Reads name="value" pairs up to the tag's '>', which p is left at. Sets
    // closed and returns the position after "/>" or "?>" when the tag ends so.
    char* parseAttributes(DataNode* node, char* p, bool& closed)
    {
        while (*p != '>') {
            p = skipSpace(p);
            if (startsWith(p, "/>") || startsWith(p, "?>")) {
                closed = true;
                return p + 2;
            }
            if (!*p) {
                // A start tag that Save to XML wrapped goes on on the next line.
                if (!endsAfterQuote(p) || !(p = continuationLine()))
                    return nullptr;
                continue;
            }
            char* equals = std::strchr(p, '=');
            if (!equals)
                break;
            std::string_view name = cut(p, equals);
            char* valueStart = equals + 1;
            char* valueEnd;
            if (*valueStart == '"' || *valueStart == '\'') {
                ++valueStart;
                valueEnd = std::strpbrk(valueStart, "\"'");
                if (!valueEnd)
                    return nullptr;
                p = valueEnd + 1;
            } else {
                valueEnd = std::strchr(valueStart, ' ');
                if (!valueEnd)
                    return nullptr;
                p = valueEnd;
            }
            tree_.appendAttribute(node, name, cut(valueStart, valueEnd));
        }
        if (!*p)
            return nullptr;
        return p;
    }

    bool endsAfterQuote(const char* end) const
    {
        while (end > line_ && isXmlSpace(end[-1]))
            --end;
        return end > line_ && end[-1] == '"';
    }

    char* continuationLine()
    {
        if (!readLine())
            return nullptr;
        normalize(line_);
        return line_;
    }

    // Past an end tag: its name is not compared, only its length counts.
    static char* afterEndTag(char* p, std::size_t nameLength)
    {
        p += 2;
        for (std::size_t i = 0; i < nameLength && *p; ++i)
            ++p;
        return *p == '>' ? p + 1 : p;
    }

    char* parseChildren(DataNode* node, char* p, std::size_t nameLength, int nesting)
    {
        // <a></a>: an element whose content is its own end tag is empty.
        if (startsWith(p, "</"))
            return afterEndTag(p, nameLength);
        for (;;) {
            char* after = parseElement(node, p, nesting + 1);
            if (after) {
                normalize(after);
                p = skipSpace(after);
            }
            if (!after || !*p) {
                if (!(p = nextContentLine()))
                    return nullptr;
            }
            if (startsWith(p, "</"))
                return afterEndTag(p, nameLength);
        }
    }

    char* parseText(DataNode* node, char* p)
    {
        if (char* open = std::strchr(p, '<')) {
            node->setText(cut(p, open));
            return afterClosingBracket(open);
        }
        std::string text(cut(p, p + std::strlen(p)));
        for (;;) {
            if (!readLine())
                return nullptr;
            if (char* open = std::strchr(line_, '<')) {
                node->setText(text);
                return afterClosingBracket(open);
            }
            char* first = skipSpace(line_);
            if (!*first)
                continue;
            std::size_t length = std::strlen(first);
            if (first[length - 1] == '\n')
                --length;
            text.append(first, length);
            if (text.size() > workBufferChars)
                text.resize(workBufferChars);
        }
    }

    DataTree& tree_;
    TextModeFile file_;
    char* line_;
};

} // namespace

XmlReadEnd DataTree::readXml(std::FILE* file, const std::function<bool()>& keepReading)
{
    try {
        return XmlReader(*this, file, keepReading).run();
    } catch (const std::bad_alloc&) {
        return XmlReadEnd::OutOfMemory;
    }
}

int DataTree::readXmlFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    const XmlReadEnd end = readXml(file);
    std::fclose(file);
    return end == XmlReadEnd::Finished ? 1 : 0;
}

} // namespace tsl
