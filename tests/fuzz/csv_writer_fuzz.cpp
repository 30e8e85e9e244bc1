// The CSV writer over trees built from the input: keys of any text or none,
// data lines without times or cells, output templates, nodes of other names
// where data is expected, a second "data". Each tree is saved as one file and
// split by days; both saves must hold the same lines, and neither may leave
// a temporary file behind.
#include "app/headless_context.h"
#include "output/csv_writer.h"
#include "tree/data_tree.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Bytes of the input, taken one at a time; zeros once it is used up.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    unsigned next() { return at_ < size_ ? data_[at_++] : 0u; }

    // A key or label text: short, of characters that keep a file name in its
    // folder and a header on its line.
    std::string text(std::size_t maxLength)
    {
        static const char characters[] = "0123456789 -:.,;xAZ\t\xe9";
        std::string out(next() % (maxLength + 1), ' ');
        for (char& c : out)
            c = characters[next() % (sizeof characters - 1)];
        return out;
    }
    std::string anyBytes(std::size_t maxLength)
    {
        std::string out(next() % (maxLength + 1), ' ');
        for (char& c : out)
            c = static_cast<char>(next());
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

const char* const labels[] = {"A", "B", "C", ""};

class TreeBuilder {
public:
    TreeBuilder(tsl::DataTree& tree, Bytes& bytes) : tree_(tree), in_(bytes) {}

    void build()
    {
        while (!in_.empty())
            step(in_.next() % 10);
    }

private:
    tsl::DataNode* level(tsl::DataNode*& node, tsl::DataNode* parent, const char* name, const char* key,
                         std::size_t keyLength)
    {
        node = tree_.addChild(parent, name);
        if (in_.next() % 8 != 0)
            tree_.setAttribute(node, key, in_.text(keyLength));
        return node;
    }
    tsl::DataNode* data() { return data_ ? data_ : data_ = tree_.addChild(tree_.root(), "data"); }
    tsl::DataNode* year() { return year_ ? year_ : level(year_, data(), "dataYear", "year", 4); }
    tsl::DataNode* month() { return month_ ? month_ : level(month_, year(), "dataMonth", "month", 2); }
    tsl::DataNode* day() { return day_ ? day_ : level(day_, month(), "dataDay", "day", 2); }
    tsl::DataNode* hour() { return hour_ ? hour_ : level(hour_, day(), "dataHour", "hour", 2); }

    void addLine()
    {
        line_ = tree_.addChild(hour(), "dataline");
        if (in_.next() % 6 != 0)
            tree_.setAttribute(line_, "timestampCSV", in_.text(6));
        for (unsigned cells = in_.next() % 5; cells > 0; --cells) {
            tsl::DataNode* cell = tree_.addChild(line_, "label");
            if (in_.next() % 6 != 0)
                tree_.setAttribute(cell, "value", labels[in_.next() % 4]);
            cell->setText(in_.anyBytes(12));
        }
    }

    void step(unsigned op)
    {
        switch (op) {
        case 0:
            level(year_, data(), "dataYear", "year", 4), month_ = day_ = hour_ = nullptr;
            break;
        case 1:
            level(month_, year(), "dataMonth", "month", 2), day_ = hour_ = nullptr;
            break;
        case 2:
            level(day_, month(), "dataDay", "day", 2), hour_ = nullptr;
            break;
        case 3:
            level(hour_, day(), "dataHour", "hour", 2);
            break;
        case 4:
        case 5:
            addLine();
            break;
        case 6: {
            if (!outputTemplate_)
                outputTemplate_ = tree_.addChild(tree_.root(), "outputTemplate");
            tsl::DataNode* label = tree_.addChild(outputTemplate_, "label");
            tree_.setAttribute(label, "value", in_.next() % 2 ? labels[in_.next() % 4] : in_.text(3).c_str());
            break;
        }
        case 7: {
            // A node of another name, or one of a data level's names out of place.
            static const char* const names[] = {"label", "dataline", "dataHour", "x"};
            tsl::DataNode* parents[] = {tree_.root(), data(), year(), day(), hour()};
            tree_.addChild(parents[in_.next() % 5], names[in_.next() % 4]);
            break;
        }
        case 8:
            // A second "data": the writer keeps to the first.
            data_ = tree_.addChild(tree_.root(), "data");
            year_ = month_ = day_ = hour_ = nullptr;
            break;
        case 9:
            // An attribute before the key, which the writer takes for the date value.
            if (line_)
                tree_.setAttribute(line_, in_.next() % 2 ? "timestampCSV" : "timestamp", in_.text(6));
            else
                tree_.setAttribute(hour(), "other", in_.text(2));
            break;
        }
    }

    tsl::DataTree& tree_;
    Bytes& in_;
    tsl::DataNode* data_ = nullptr;
    tsl::DataNode* year_ = nullptr;
    tsl::DataNode* month_ = nullptr;
    tsl::DataNode* day_ = nullptr;
    tsl::DataNode* hour_ = nullptr;
    tsl::DataNode* line_ = nullptr;
    tsl::DataNode* outputTemplate_ = nullptr;
};

std::string folder;

std::vector<std::string> filesInFolder()
{
    std::vector<std::string> names;
    if (DIR* entries = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(entries))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(folder + "/" + entry->d_name);
        ::closedir(entries);
    }
    return names;
}

void emptyFolder()
{
    for (const std::string& name : filesInFolder())
        ::unlink(name.c_str());
}

std::size_t lineBreaks(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        std::abort();
    std::size_t count = 0;
    int previous = 0;
    for (int c; (c = std::fgetc(file)) != EOF; previous = c)
        count += previous == '\r' && c == '\n';
    std::fclose(file);
    return count;
}

// Saves to out.csv in the folder; the files the save left there.
std::vector<std::string> save(tsl::HeadlessContext& context, int splitDays)
{
    emptyFolder();
    context.editSettings().splitDays = splitDays;
    if (tsl::OnSaveToCsv(context) != tsl::SaveOutcome::Saved)
        std::abort();
    const std::vector<std::string> files = filesInFolder();
    for (const std::string& file : files)
        if (file.find(".tessaloom-save-") != std::string::npos)
            std::abort();
    return files;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "UTC", 1);
    tzset();
    // Memory-backed where there is such a folder: the saves sync every file.
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/tsl-fuzz-XXXXXX");
    if (!::mkdtemp(pattern.data()))
        std::abort();
    folder = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    Bytes bytes(data, size);
    tsl::HeadlessContext context;
    tsl::ToolSettings& settings = context.editSettings();
    static const char* const delimiters[] = {",", ";", "\t", "", " ", "\xe9"};
    settings.delimiter = delimiters[bytes.next() % 6];
    const unsigned flags = bytes.next();
    settings.dateFormat = static_cast<int>(flags % 15); // 13 and 14 are written as layout 0
    settings.timeDelimiter = (flags & 16) != 0;
    settings.writeDateFrom = (flags & 32) != 0;
    settings.writeStartDate = static_cast<std::time_t>(bytes.next() * 86400LL * 97);
    const int splitDays = 1 + static_cast<int>(bytes.next() % 7);
    TreeBuilder(context.tree(), bytes).build();
    const std::string path = folder + "/out.csv";
    context.setFileDialogHandler([&path](tsl::FileDialogMode, tsl::FileRequest& request) {
        request.setChosenPaths({path});
        return true;
    });

    const std::vector<std::string> single = save(context, 0);
    if (single.size() != 1)
        std::abort();
    const std::size_t singleBreaks = lineBreaks(path);
    // Split, the same lines: each file after the first adds its header's line break.
    const std::vector<std::string> split = save(context, splitDays);
    std::size_t splitBreaks = 0;
    for (const std::string& file : split)
        splitBreaks += lineBreaks(file);
    if (!split.empty() && splitBreaks != singleBreaks + split.size() - 1)
        std::abort();
    emptyFolder();
    return 0;
}
