#include "support/temp_dir.h"
#include "tree/data_tree.h"

#include <gtest/gtest.h>

#include <random>

using tsl::DataNode;
using tsl::DataTree;
using namespace tsl::testing;

namespace {

// Reads bytes as an XML file into the tree; returns the reader's result.
int readXml(DataTree& tree, const std::string& bytes)
{
    TempDir dir;
    std::string path = dir.file("in.xml");
    writeFile(path, bytes);
    return tree.readXmlFile(path);
}

// A compact picture of a subtree: name[attributes]{text}(children).
std::string shape(const DataNode* node)
{
    std::string out(node->name());
    if (node->attributes()) {
        out += '[';
        for (const auto* a = node->attributes(); a; a = a->next()) {
            out += a->name();
            out += '=';
            out += a->value();
            out += a->next() ? ";" : "";
        }
        out += ']';
    }
    if (!node->text().empty()) {
        out += '{';
        out += node->text();
        out += '}';
    }
    if (node->firstChild()) {
        out += '(';
        for (const DataNode* child = node->firstChild(); child; child = child->nextSibling()) {
            out += shape(child);
            out += child->nextSibling() ? "," : "";
        }
        out += ')';
    }
    return out;
}

std::string readShape(const std::string& bytes)
{
    DataTree tree;
    EXPECT_EQ(readXml(tree, bytes), 1);
    return shape(tree.root());
}

std::string written(const DataTree& tree)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    tree.writeXml(tree.root(), file);
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

} // namespace

TEST(XmlReader, RebuildsTheSavedFormWithDepths)
{
    std::string file = "<template fileName=\"C:\\labels.csv\" >\r\n"
                       "  <label value=\"TEMP\" order=\"1\" />\r\n"
                       "</template>\r\n"
                       "\r\n"
                       "stray words between elements\r\n"
                       "<data>\r\n"
                       "  <dataYear year=\"2015\" >\r\n"
                       "    <dataMonth month=\"03\" >\r\n"
                       "      <dataDay day=\"07\" >\r\n"
                       "        <dataHour hour=\"14\" >\r\n"
                       "          <dataline fileName=\"C:\\labels.csv\" timestamp=\"15:00\" timestampCSV=\"15:00\" >\r\n"
                       "            <label value=\"TEMP\" order=\"1\" > 9.50</label>\r\n"
                       "          </dataline>\r\n"
                       "        </dataHour>\r\n"
                       "      </dataDay>\r\n"
                       "    </dataMonth>\r\n"
                       "  </dataYear>\r\n"
                       "</data>\r\n";
    DataTree tree;
    ASSERT_EQ(readXml(tree, file), 1);
    EXPECT_EQ(shape(tree.root()),
              "DocRoot(template[fileName=C:\\labels.csv](label[value=TEMP;order=1]),"
              "data(dataYear[year=2015](dataMonth[month=03](dataDay[day=07](dataHour[hour=14]("
              "dataline[fileName=C:\\labels.csv;timestamp=15:00;timestampCSV=15:00](label[value=TEMP;order=1]{9.50})))))))");
    const DataNode* cell = tree.findNodeByAttribute(tree.root(), "label", "value", "TEMP");
    EXPECT_EQ(cell->depth(), 1);
    cell = tree.findNode(tree.findNode(tree.root(), "dataline"), "label");
    EXPECT_EQ(cell->depth(), 6);
}

TEST(XmlReader, SpecialNodesQuotesAndUnusualAttributes)
{
    EXPECT_EQ(readShape("<?xml version=\"1.0\"?>\n"), "DocRoot(?xml[version=1.0])");
    EXPECT_EQ(readShape("<!-- note -->\n"), "DocRoot(!--{note })");
    EXPECT_EQ(readShape("<!DOCTYPE x>\n"), "DocRoot(!{DOCTYPE x})");
    EXPECT_EQ(readShape("<!---->\n"), "DocRoot(!--)");
    EXPECT_EQ(readShape("<!-- spread\nover lines -->\n<a/>\n"), "DocRoot(a)");
    EXPECT_EQ(readShape("<label value='T1' order='2'/>\n"), "DocRoot(label[value=T1;order=2])");
    EXPECT_EQ(readShape("<a b ='1' />\n"), "DocRoot(a[b =1])");
    EXPECT_EQ(readShape("<a b=\"1\" b=\"\" />\n"), "DocRoot(a[b=1;b=])");
    EXPECT_EQ(readShape("<a b=1 c=\"2\" />\n"), "DocRoot(a[b=1;c=2])");
    // a value is ended by either kind of quote
    EXPECT_EQ(readShape("<a b=\"it's\" />\n"), "DocRoot(a[b=it])");
}

TEST(XmlReader, TextAndContentRules)
{
    // text over several lines: the first line's line feed becomes a space, later
    // lines are joined from their first non-blank, the closing line's text dropped
    EXPECT_EQ(readShape("<a>\nx\ny</a>\n"), "DocRoot(a{x })");
    EXPECT_EQ(readShape("<a>x\n   \n  y\nz</a>\n<b/>\n"), "DocRoot(a{x y},b)");
    EXPECT_EQ(readShape("<p>\n<c>it's</c>\n</p>\n"), "DocRoot(p(c{it\"s}))");
    EXPECT_EQ(readShape("<p><c/><d>1</d></p>\n"), "DocRoot(p(c,d{1}))");
    EXPECT_EQ(readShape("<a></a>\n<b/>\n"), "DocRoot(a,b)");
    // end tags are not compared with the start tag
    EXPECT_EQ(readShape("<p>\n<c/>\n</zz>\n<d/>\n"), "DocRoot(p(c),d)");
}

TEST(XmlReader, KeepsWhatWasBuiltWhenTheFileEndsInsideAnElement)
{
    EXPECT_EQ(readShape("<data>\n  <dataYear year=\"2015\" >\n    <dataMonth month=\"03\" >\n"),
              "DocRoot(data(dataYear[year=2015](dataMonth[month=03])))");
    EXPECT_EQ(readShape("<a>text without end"), "DocRoot(a)");
    EXPECT_EQ(readShape("<a b=\"unclosed >\n"), "DocRoot(a)");
    DataTree tree;
    EXPECT_EQ(tree.readXmlFile("/nonexistent/folder/file.xml"), 0);
}

TEST(XmlReader, WrappedStartTagsAreJoinedAgain)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    tree.setAttribute(templ, "fileName", std::string(250, 'p'));
    for (int i = 0; i < 30; ++i) {
        DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "a rather long column label number " + std::to_string(i));
        for (int k = 0; k < 6; ++k)
            tree.setAttributeInt(label, "extra" + std::to_string(k), i * 100 + k);
    }
    std::string original = written(tree);
    ASSERT_NE(original.find("\"\r\n"), std::string::npos);

    DataTree copy;
    ASSERT_EQ(readXml(copy, original), 1);
    EXPECT_EQ(written(copy), original);
}

TEST(XmlReader, RoundTripOfALargeTreeKeepsEverythingButLeadingBlanks)
{
    DataTree tree;
    DataNode* templ = tree.addChild(tree.root(), "template");
    for (int c = 0; c < 50; ++c) {
        DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "COL" + std::to_string(c));
        tree.setAttributeInt(label, "order", c);
    }
    DataNode* data = tree.addChild(tree.root(), "data");
    DataNode* year = tree.addChild(data, "dataYear");
    tree.setAttributeInt(year, "year", 2016);
    std::mt19937 random(7);
    int cells = 0;
    for (int day = 1; cells < 100000; ++day) {
        char key[16];
        std::snprintf(key, sizeof key, "%02d", day);
        DataNode* dayNode = tree.insertChildSorted(
            tree.findNodeByAttribute(year, "dataMonth", "month", "01")
                ? tree.findNodeByAttribute(year, "dataMonth", "month", "01")
                : tree.insertChildSorted(year, "dataMonth", "month", "01"),
            "dataDay", "day", key);
        for (int hour = 0; hour < 24 && cells < 100000; ++hour) {
            std::snprintf(key, sizeof key, "%02d", hour);
            DataNode* hourNode = tree.insertChildSorted(dayNode, "dataHour", "hour", key);
            DataNode* row = tree.copySubtree(hourNode, templ);
            tree.setName(row, "dataline");
            tree.setAttribute(row, "timestamp", "00:00");
            tree.setAttribute(row, "timestampCSV", "00:00");
            for (DataNode* cell = row->firstChild(); cell; cell = cell->nextSibling(), ++cells) {
                char value[16];
                std::snprintf(value, sizeof value, "%5.2f", static_cast<double>(random() % 20000) / 100.0);
                cell->setText(value);
            }
        }
    }

    DataTree copy;
    ASSERT_EQ(readXml(copy, written(tree)), 1);
    // strip the blanks that lead texts before comparing
    std::string expected = written(tree);
    for (std::size_t at = expected.find("\" > "); at != std::string::npos; at = expected.find("\" > ", at))
        expected.erase(at + 3, 1);
    EXPECT_EQ(written(copy), expected);
    EXPECT_EQ(shape(copy.findNode(copy.root(), "template")), shape(templ));
}

TEST(XmlReader, HostileInputNeverCrashesOrHangs)
{
    std::vector<std::string> inputs = {
        "", "<", "<<", "< a>", "<a", "<a ", "<a b", "<a b=", "<a b=\"", "<a b=c", "<!--", "<!-- x", "<!", "<?",
        "<a>", "<a><", "<a></", "<a>\n<", "<a>x<", "<a>x<\n", "<a>\n<b>\n<c", "<a/", "/>", "=\"\"",
        std::string(10000, '<'), std::string(10000, '>'), std::string(20000, 'x') + "<a>" + std::string(20000, 'y'),
        "<" + std::string(3000, 'n') + " " + std::string(3000, 'a') + "=\"" + std::string(3000, 'v') + "\">" +
            std::string(3000, 't') + "</n>",
        std::string("<a>\0</a>", 8), "\xff\xfe<\x80\x81>\r\r\n\r",
    };
    std::string nested;
    for (int i = 0; i < 5000; ++i)
        nested += "<n>\n";
    inputs.push_back(nested);
    std::mt19937 random(12345);
    const std::string alphabet = "<>/!?-=\"' \n\r\tabx";
    for (int i = 0; i < 300; ++i) {
        std::string bytes;
        std::size_t length = random() % 400;
        for (std::size_t k = 0; k < length; ++k)
            bytes += (random() % 4 == 0) ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        inputs.push_back(bytes);
    }
    for (const auto& input : inputs) {
        DataTree tree;
        EXPECT_EQ(readXml(tree, input), 1);
        // names and texts keep to the reader's work buffers
        for (const DataNode* node = tree.root(); node;) {
            EXPECT_LT(node->name().size(), 500u);
            EXPECT_LT(node->text().size(), 500u);
            if (node->firstChild()) {
                node = node->firstChild();
                continue;
            }
            while (node && !node->nextSibling())
                node = node->parent();
            if (node)
                node = node->nextSibling();
        }
        written(tree);
    }
}
