#include "input/csv_reader.h"

#include "app/command_context.h"
#include "input/cell_number.h"
#include "input/column_labels.h"
#include "input/date_formats.h"
#include "input/line_fields.h"
#include "input/line_rules.h"
#include "input/log_lines.h"
#include "input/read_ahead.h"
#include "input/reader_warnings.h"
#include "input/text_line_reader.h"
#include "input/time_alignment.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace tsl {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool contains(std::string_view text, std::string_view word)
{
    return text.find(word) != npos;
}

// Prepared columns a line needs at most: the date's fields, the readings,
// and a few text fields that stand in for readings. Lines that need more are
// read on from their text.
constexpr std::size_t extraPreparedFields = 8;

std::string lineWithoutEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return std::string(line);
}

enum class LineOutcome { PassedOver, Counted, Failed };

class DataFileReader {
public:
    DataFileReader(CommandContext& context, const std::string& path, const ReadAheadTuning& tuning)
        : context_(context), log_(context.log()), tree_(context.tree()), reading_(context.reading()),
          path_(path), tuning_(tuning), lineBuffer_(std::make_unique<char[]>(dataLineLimit + 1)), warnings_(log_)
    {
    }

    ReadResult run();

private:
    void failAndEndReading(const char* message);
    bool readHeader(std::size_t& labelStart);
    void reportUnreadableText(std::string_view header);
    void readLabels(std::size_t labelStart);
    void readLineLabel();
    void addFileLabel(std::string_view text, bool logIt);
    bool makeTemplate();
    void prepareColumns();
    void startReadAhead();
    LineOutcome processLine();
    bool readLine();
    const char* parseWithFormatSearch(DateTimeFields& fields, bool& emptyFirstField, bool& failed);
    template <class Real>
    void readReadings(LineFields fields);
    void logSkippedLine(std::size_t length);
    void logSummary();

    CommandContext& context_;
    MessageLog& log_;
    DataTree& tree_;
    ReadingState& reading_;
    const std::string path_;

    const ReadAheadTuning tuning_;
    TextLineReader file_;
    std::unique_ptr<char[]> lineBuffer_;
    // The current line: in the buffer, or as the read-ahead prepared it.
    const char* line_ = nullptr;
    std::size_t length_ = 0;
    std::unique_ptr<ReadAhead> readAhead_;
    const PreparedLine* prepared_ = nullptr;
    int lineNumber_ = 0; // of the line in line_, the header being 1
    char delimiter_ = ',';
    bool templateFound_ = false;
    DataNode* fileLabels_ = nullptr;
    bool tooManyColumns_ = false;
    int linesRead_ = 0;
    int blanks_ = 0;

    TimeAlignment alignment_;
    ColumnLabelMap columnLabels_;
    ReaderWarnings warnings_;
};

bool DataFileReader::readLine()
{
    if (readAhead_) {
        prepared_ = readAhead_->next();
        if (!prepared_)
            return false;
        line_ = prepared_->text;
        length_ = prepared_->length;
    } else {
        line_ = lineBuffer_.get();
        if (!file_.readLine(lineBuffer_.get(), dataLineLimit, length_))
            return false;
    }
    ++lineNumber_;
    return true;
}

void DataFileReader::failAndEndReading(const char* message)
{
    log_.append(message);
    log_.showLast();
    setReadingState(context_, false);
    reading_.readInProgress = 0;
}

ReadResult DataFileReader::run()
{
    log_.append("Start Read File " + logText(path_));

    reading_.templateNode = tree_.findNode(tree_.root(), "template");
    templateFound_ = reading_.templateNode != nullptr;
    if (!templateFound_)
        log_.append("Column label template not found- will use current file as template.");

    if (!file_.open(path_)) {
        failAndEndReading("Error opening input data file");
        return ReadResult::Failed;
    }
    context_.filesRead().noteOpen(file_.descriptor(), path_, ReadKind::DataFile);

    std::size_t labelStart = 0;
    if (!readHeader(labelStart))
        return ReadResult::Failed;
    fileLabels_ = tree_.addChild(tree_.root(), "fileLabels");
    if (!fileLabels_) {
        failAndEndReading("Error creating file labels");
        return ReadResult::Failed;
    }
    tree_.setAttribute(fileLabels_, "filename", cutToBytes(path_, columnLabelLimit));
    context_.dataChanges().markChanged();
    reading_.labelCount = 0;

    if (context_.settings().lineLabelled)
        readLineLabel();
    else
        readLabels(labelStart);

    if (!makeTemplate())
        return ReadResult::Failed;

    DataNode* data = tree_.findNode(tree_.root(), "data");
    if (!data)
        data = tree_.addChild(tree_.root(), "data");
    alignment_.startFile(context_, data, reading_.templateNode);
    prepareColumns();
    startReadAhead();

    bool stopped = false;
    for (;;) {
        if (!readLine())
            break;
        if (reading_.stopRequested) {
            stopped = true;
            break;
        }
        try {
            LineOutcome outcome = processLine();
            if (outcome == LineOutcome::Failed) {
                warnings_.fileEnded();
                return ReadResult::Failed;
            }
            if (outcome == LineOutcome::PassedOver)
                continue;
        } catch (...) {
            logSkippedLine(length_);
        }
        ++linesRead_;
        context_.pumpMessages();
    }

    readAhead_.reset();
    file_.close();
    warnings_.fileEnded();
    logSummary();
    reading_.stopRequested = 0;
    return stopped ? ReadResult::Stopped : ReadResult::Finished;
}

// Two kinds of text the reader takes for something else: UTF-16, whose
// NUL bytes end every line's text, and lines ended by a CR alone, which run
// together into one. The read goes on as for any other file; the log says
// what it found.
void DataFileReader::reportUnreadableText(std::string_view header)
{
    if (header.starts_with("\xFF\xFE") || header.starts_with("\xFE\xFF")) {
        log_.append(std::string("ERROR- the file is UTF-16 text (it begins with the bytes ") +
                    (header[0] == '\xFF' ? "FF FE" : "FE FF") +
                    "), which the reader cannot read: import it, or save it as UTF-8 or ANSI text.");
        return;
    }
    const std::size_t cr = header.find('\r');
    if (cr != npos && cr + 1 < header.size() && header[cr + 1] != '\n')
        log_.append("ERROR- the file's lines end with a CR alone, so the reader takes them for one long line: "
                    "import it, or save it with CR LF or LF line ends.");
}

bool DataFileReader::readHeader(std::size_t& labelStart)
{
    if (!readLine())
        length_ = 0;
    const std::string_view header(line_, length_);
    reportUnreadableText(header);

    delimiter_ = '\0';
    for (char c : {',', ';', '\t'}) {
        if (contains(header, std::string_view(&c, 1))) {
            delimiter_ = c;
            break;
        }
    }
    if (delimiter_ == '\0')
        return false;

    std::size_t first = header.find(delimiter_);
    labelStart = first + 1;
    const DateFormatId layout = context_.settings().dateFormat;
    if (!context_.settings().lineLabelled)
        warnings_.headerRead(layout);
    if (leadingColumns(layout) == 2) {
        std::size_t second = header.find(delimiter_, first + 1);
        if (second == npos) {
            log_.append("ERROR- there is a discrepancy between the selected date format and the contents "
                        "of the data file.");
            return false;
        }
        labelStart = second + 1;
    }
    return true;
}

void DataFileReader::addFileLabel(std::string_view text, bool logIt)
{
    DataNode* label = tree_.addChild(fileLabels_, "label");
    tree_.setAttribute(label, "value", text);
    tree_.setAttributeInt(label, "order", reading_.labelCount);
    ++reading_.labelCount;
    if (logIt)
        log_.append("File has label '" + logText(text) + "'");
}

void DataFileReader::readLabels(std::size_t labelStart)
{
    const std::string_view header(line_, length_);
    bool added = false;
    std::size_t p = labelStart;
    while (p < header.size()) {
        while (p < header.size() && header[p] == ' ')
            ++p;
        const std::size_t next = header.find(delimiter_, p);
        const std::size_t fieldEnd = next == npos ? header.size() : next;
        if (fieldEnd - p < 2)
            break;

        std::string_view text = header.substr(p, std::min(fieldEnd - p, columnLabelLimit));
        if (static_cast<signed char>(text.back()) < 33)
            text.remove_suffix(1);

        if (!added && (contains(text, "TIME") || contains(text, "DATE"))) {
            // the heading of a date or time column
        } else if (reading_.labelCount >= maxColumns) {
            if (!tooManyColumns_)
                log_.append("ERROR- the file has more than " + std::to_string(maxColumns) +
                            " columns- the columns after the first " + std::to_string(maxColumns) +
                            " are ignored.");
            tooManyColumns_ = true;
            break;
        } else {
            addFileLabel(text, true);
            added = true;
        }
        if (next == npos)
            break;
        p = next + 1;
    }
    if (reading_.labelCount == 0)
        warnings_.noLabels();
}

void DataFileReader::readLineLabel()
{
    const std::string_view header(line_, length_);
    std::string_view text = header.substr(0, header.find(delimiter_));
    addFileLabel(text.substr(0, columnLabelLimit), false);
    file_.rewind();
    lineNumber_ = 0;
}

bool DataFileReader::makeTemplate()
{
    if (templateFound_)
        return true;
    DataNode* templateNode = tree_.addChild(tree_.root(), "template");
    if (!templateNode) {
        log_.append("Error- could not create label template.");
        return false;
    }
    reading_.templateNode = templateNode;
    int counter = 0;
    for (DataNode* label = fileLabels_->firstChild(); label; label = label->nextSibling()) {
        if (label->name() != "label")
            continue;
        const DataAttribute* value = DataTree::findAttribute(label, "value");
        if (!value) {
            log_.append("Error- could not retrieve label properties.");
            continue;
        }
        const std::string line = "Add label (" + std::to_string(counter) + ") '" + std::string(value->value()) + "'";
        log_.append(cappedLogText(line, readerLineCap));
        ++counter;
        tree_.copySubtree(templateNode, label);
    }
    return true;
}

// The label text of every column, as a search of this file's labels by
// "order" would find it.
void DataFileReader::prepareColumns()
{
    std::unordered_map<std::string_view, const DataNode*> byOrder;
    for (const DataNode* label = fileLabels_->firstChild(); label; label = label->nextSibling()) {
        if (label->name() != "label")
            continue;
        if (const DataAttribute* order = DataTree::findAttribute(label, "order"))
            byOrder.emplace(order->value(), label);
    }
    std::vector<std::optional<std::string>> values(static_cast<std::size_t>(std::max(reading_.labelCount, 0)));
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto found = byOrder.find(std::to_string(i));
        if (found == byOrder.end())
            continue;
        if (const DataAttribute* value = DataTree::findAttribute(found->second, "value"))
            values[i] = std::string(value->value());
    }
    columnLabels_.setColumns(std::move(values));
}

// Large files are read ahead on a second thread; where that cannot start,
// the file is read here line by line, with the same result.
void DataFileReader::startReadAhead()
{
    struct stat info {};
    const int fd = file_.descriptor();
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) < tuning_.fromFileSize)
        return;
    ReadAhead::Setup setup;
    setup.descriptor = fd;
    setup.from = file_.position();
    setup.fileSize = static_cast<std::size_t>(info.st_size);
    setup.lineLimit = dataLineLimit;
    setup.delimiter = delimiter_;
    setup.fieldsPerLine = static_cast<std::size_t>(std::clamp(reading_.labelCount, 0, maxColumns)) +
                          static_cast<std::size_t>(leadingColumns(context_.dateFormat())) + extraPreparedFields;
    if (tuning_.fieldsPerLine) {
        setup.fieldsPerLine = std::min(setup.fieldsPerLine, *tuning_.fieldsPerLine);
        setup.shareFields = false;
    }
    setup.linesPerBlock = tuning_.linesPerBlock;
    try {
        readAhead_ = std::make_unique<ReadAhead>(setup, tree_);
    } catch (const std::exception&) {
        readAhead_.reset();
    }
}

LineOutcome DataFileReader::processLine()
{
    const char* line = line_;
    const std::string_view text(line, length_);
    if (prepared_ ? prepared_->passedOver : isPassedOverLine(text))
        return LineOutcome::PassedOver;

    const LineDelimiter lineDelimiter = delimiterOfLine(delimiter_, text);
    delimiter_ = lineDelimiter.delimiter;
    if (lineDelimiter.passOver)
        return LineOutcome::PassedOver;

    DateTimeFields fields;
    bool emptyFirstField = false;
    bool failed = false;
    const char* readings = parseWithFormatSearch(fields, emptyFirstField, failed);
    if (failed)
        return LineOutcome::Failed;
    warnings_.lineDated(lineNumber_);

    switch (alignment_.placeLine(context_, fields)) {
    case LineStep::PassOver:
        return LineOutcome::PassedOver;
    case LineStep::Fail:
        return LineOutcome::Failed;
    case LineStep::Accumulate:
    case LineStep::Store:
        break;
    }
    if (emptyFirstField)
        warnings_.emptyFirstReading(lineNumber_);
    if (alignment_.precise())
        readReadings<double>(LineFields(line, readings, line + length_, delimiter_, prepared_));
    else
        readReadings<float>(LineFields(line, readings, line + length_, delimiter_, prepared_));
    return LineOutcome::Counted;
}

const char* DataFileReader::parseWithFormatSearch(DateTimeFields& fields, bool& emptyFirstField, bool& failed)
{
    const char* line = line_;
    if (const char* readings = parseDateTime(context_, std::string_view(line, length_), fields, &emptyFirstField))
        return readings;

    const DateFormatId selected = context_.settings().dateFormat;
    log_.append("Error- could not read date using specified format. Searching formats...");
    for (DateFormatId i = 0; i < static_cast<DateFormatId>(dateLayouts.size()); ++i) {
        if (i == selected)
            continue;
        context_.setDateFormat(i);
        if (const char* readings = parseDateTime(context_, std::string_view(line, length_), fields, &emptyFirstField)) {
            const std::string note = "NOTE- find matching time format in format # " +
                                     std::to_string(context_.settings().dateFormat + 1);
            log_.append(cappedLogText(note, 50));
            warnings_.layoutFound(selected, i, lineNumber_);
            return readings;
        }
        log_.append("NOTE- Type " + std::to_string(i + 1) + " does not match the format in the file.");
    }
    failAndEndReading("ERROR- could not read date from file.  Check correct format is selected.");
    failed = true;
    return nullptr;
}

// Readings are held as Real: single precision at two decimals, double
// precision at any other.
template <class Real>
void DataFileReader::readReadings(LineFields q)
{
    const bool boundary = alignment_.onBoundary();
    if (boundary)
        columnLabels_.bind(alignment_.dataline());

    const int columns = std::min(reading_.labelCount, maxColumns);
    for (int i = 0; i < columns; ++i) {
        if (q.atDelimiter()) {
            ++blanks_;
            q.stepOverDelimiter();
            continue;
        }
        if (q.atEnd()) {
            log_.append("!!!!! ERROR reading data- column mismatch !!!!!");
            return;
        }
        if (q.atLineEnd())
            return;

        DataNode* label = nullptr;
        if (boundary) {
            label = columnLabels_.label(i);
            if (!label) {
                if (!q.toNextField())
                    return;
                continue;
            }
        }
        // A field that starts like a word is not a reading: the next field
        // stands in for this column.
        while (static_cast<signed char>(q.here()) > '9' && !q.atTwoDelimiters()) {
            if (!q.toNextField())
                return;
        }
        if (q.atDelimiter()) {
            ++blanks_;
            q.stepOverDelimiter();
            continue;
        }
        alignment_.addReading(i, static_cast<Real>(q.reading()), label);
        q.pastReading();
    }
}

void DataFileReader::logSkippedLine(std::size_t length)
{
    log_.append("Error processing line- line skipped- line length " + std::to_string(length));
    log_.append(cappedLogText(lineWithoutEnd(std::string_view(line_, length)), readerLineCap));
}

void DataFileReader::logSummary()
{
    log_.append(cappedLogText("Done with file, read " + std::to_string(linesRead_) + " lines, found " +
                                  std::to_string(blanks_) + " blanks",
                              readerLineCap));
    auto timeLine = [&](const char* what, std::time_t t) {
        std::tm local{};
        localtime_r(&t, &local);
        char text[128];
        std::snprintf(text, sizeof text, "%s time read (D/M/Y): %02d/%02d/%04d %02d:%02d:%02d", what,
                      local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                      local.tm_sec);
        log_.append(cappedLogText(text, readerLineCap));
    };
    timeLine("First", alignment_.firstTime());
    timeLine("Last", alignment_.lastTime());
}

} // namespace

ReadResult readDataFile(CommandContext& context, const std::string& path, const ReadAheadTuning& tuning)
{
    try {
        DataFileReader reader(context, path, tuning);
        return reader.run();
    } catch (const std::bad_alloc&) {
        // Lines that run out of memory are skipped one by one; this is the
        // header or the tree set-up.
        context.log().append("ERROR- not enough memory to read the file.");
        context.log().showLast();
        return ReadResult::Failed;
    }
}

} // namespace tsl
