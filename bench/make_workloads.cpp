// Writes the benchmark workloads into a folder (seeded: the same files every
// time). Not a benchmark itself.
//
//   W1  labels200.csv: a label template of 200 labels; w1_01.csv .. w1_20.csv:
//       20 loggers, each one month (March 2025) of 30-second readings with a few
//       seconds of jitter, 10 columns each, in three layouts (MM/DD/YYYY with the
//       time in its own field; YYYYMMDD-hh:mm:ss; YYYY-MM-DDThh:mm:ssZ).
//   W2  w2.csv: one year (2025) of one-minute readings, 50 columns, MM/DD/YYYY.
//
//   make_workloads FOLDER [w1|w2|all]
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

enum class Layout { Slash, Compact, Iso };

struct Writer {
    std::FILE* file;
    std::string buffer;
    void flushIfFull()
    {
        if (buffer.size() > (1 << 20)) {
            std::fwrite(buffer.data(), 1, buffer.size(), file);
            buffer.clear();
        }
    }
    ~Writer()
    {
        std::fwrite(buffer.data(), 1, buffer.size(), file);
        std::fclose(file);
    }
};

void appendStamp(std::string& out, Layout layout, const std::tm& t)
{
    char text[40];
    switch (layout) {
    case Layout::Slash:
        std::snprintf(text, sizeof text, "%02d/%02d/%04d,%02d:%02d:%02d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900,
                      t.tm_hour, t.tm_min, t.tm_sec);
        break;
    case Layout::Compact:
        std::snprintf(text, sizeof text, "%04d%02d%02d-%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                      t.tm_hour, t.tm_min, t.tm_sec);
        break;
    case Layout::Iso:
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                      t.tm_hour, t.tm_min, t.tm_sec);
        break;
    }
    out += text;
}

std::string label(int column) { return "PT" + std::to_string(1000 + column); }

// One logger file: readings every step seconds from start for the given span,
// shifted by up to jitter seconds, columns [first, first + count).
void writeLogger(const std::string& path, Layout layout, std::time_t start, std::time_t span, int step, int jitter,
                 int first, int count, std::mt19937& random)
{
    Writer out{std::fopen(path.c_str(), "wb"), {}};
    if (!out.file) {
        std::perror(path.c_str());
        return;
    }
    out.buffer += layout == Layout::Slash ? "Date,Time" : "Timestamp";
    for (int c = 0; c < count; ++c)
        out.buffer += "," + label(first + c);
    out.buffer += "\r\n";
    std::uniform_int_distribution<int> shift(0, jitter);
    std::normal_distribution<float> noise(0.0f, 0.3f);
    std::vector<float> level(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c)
        level[static_cast<std::size_t>(c)] = 20.0f + static_cast<float>((first + c) % 50);
    char number[32];
    for (std::time_t t = start; t < start + span; t += step) {
        std::time_t stamp = t + (jitter ? shift(random) : 0);
        std::tm fields{};
        gmtime_r(&stamp, &fields);
        appendStamp(out.buffer, layout, fields);
        for (int c = 0; c < count; ++c) {
            float& value = level[static_cast<std::size_t>(c)];
            value += noise(random) * 0.1f;
            std::snprintf(number, sizeof number, ",%.2f", static_cast<double>(value));
            out.buffer += number;
        }
        out.buffer += "\r\n";
        out.flushIfFull();
    }
}

std::time_t utc(int year, int month, int day)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    return timegm(&fields);
}

void writeW1(const std::string& folder)
{
    std::mt19937 random(1);
    {
        Writer templ{std::fopen((folder + "/labels200.csv").c_str(), "wb"), {}};
        templ.buffer += "Timestamp";
        for (int c = 0; c < 200; ++c)
            templ.buffer += "," + label(c);
        templ.buffer += "\r\n";
    }
    const Layout layouts[] = {Layout::Slash, Layout::Compact, Layout::Iso};
    for (int logger = 0; logger < 20; ++logger) {
        char name[32];
        std::snprintf(name, sizeof name, "/w1_%02d.csv", logger + 1);
        writeLogger(folder + name, layouts[logger % 3], utc(2025, 3, 1), 31 * 86400, 30, 3, logger * 10, 10, random);
    }
}

void writeW2(const std::string& folder)
{
    std::mt19937 random(2);
    writeLogger(folder + "/w2.csv", Layout::Slash, utc(2025, 1, 1), 365 * 86400, 60, 0, 0, 50, random);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_workloads FOLDER [w1|w2|all]\n");
        return 2;
    }
    std::string folder = argv[1];
    std::string which = argc > 2 ? argv[2] : "all";
    if (which == "w1" || which == "all")
        writeW1(folder);
    if (which == "w2" || which == "all")
        writeW2(folder);
    return 0;
}
