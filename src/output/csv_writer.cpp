#include "output/csv_writer.h"

#include "app/command_context.h"
#include "output/block_writer.h"
#include "output/date_time_prefix.h"
#include "output/edit_text.h"
#include "output/safe_file.h"
#include "output/split_files.h"
#include "tree/data_tree.h"

#include <ctime>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace tsl {

namespace {

constexpr std::time_t secondsPerDay = 86400;

const char* const openFailedLine =
    "ERROR: Problem encountered opening CSV output file.  No data was saved to file.";

// The settings that shape the text, read once when the save starts.
struct CsvFormat {
    std::string delimiter;        // no more than one character
    std::string dateTimeSeparator;
    DateFormatId dateFormat = 0;
    bool timeDelimiter = false;
    bool writeDateFrom = false;
    std::time_t writeStartDate = 0;
};

CsvFormat formatFrom(const ToolSettings& settings)
{
    CsvFormat format;
    format.delimiter = leadingCharacters(settings.delimiter, 1);
    // With nothing to separate by, date and time are kept apart by a blank,
    // as they are when the time delimiter is off.
    format.dateTimeSeparator =
        settings.timeDelimiter && !format.delimiter.empty() ? format.delimiter : std::string(" ");
    format.dateFormat = settings.dateFormat;
    format.timeDelimiter = settings.timeDelimiter;
    format.writeDateFrom = settings.writeDateFrom;
    format.writeStartDate = settings.writeStartDate;
    return format;
}

// The date value of a year, month, day or hour node: its only attribute.
std::string_view keyOf(const DataNode* node)
{
    const DataAttribute* key = node->attributes();
    return key ? key->value() : std::string_view{};
}

CalendarDate localDateOf(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// The columns an output template chooses. Rows share their label attribute
// lists, so each distinct list is looked up once and the answer kept.
class ColumnChoice {
public:
    ColumnChoice(const DataTree& tree, const DataNode* outputTemplate) : active_(outputTemplate != nullptr)
    {
        if (outputTemplate)
            collectLabelValues(tree, outputTemplate);
    }

    bool active() const { return active_; }

    bool includes(const DataNode* label)
    {
        auto known = known_.find(label->attributes());
        if (known != known_.end())
            return known->second;
        const DataAttribute* value = DataTree::findAttribute(label, "value");
        const bool chosen = value && values_.count(value->value()) > 0;
        known_.emplace(label->attributes(), chosen);
        return chosen;
    }

private:
    // Every "label" below the template counts, as a search from it would find.
    void collectLabelValues(const DataTree& tree, const DataNode* node)
    {
        for (const DataNode* child = node->firstChild(); child; child = child->nextSibling()) {
            if (child->name() == "label") {
                if (const DataAttribute* value = DataTree::findAttribute(child, "value"))
                    values_.insert(value->value());
            }
            collectLabelValues(tree, child);
        }
    }

    bool active_;
    std::unordered_set<std::string_view> values_;
    std::unordered_map<const DataAttribute*, bool> known_;
};

// Writes the header line and returns the header that later split files get:
// the same labels joined by "," whatever the delimiter.
std::string writeHeader(const DataTree& tree, const CsvFormat& format, BlockWriter& out)
{
    const std::string& d = format.delimiter;
    std::string laterHeader;
    if (format.timeDelimiter) {
        out.write("Date" + d + " Time" + d);
        laterHeader = "Date" + d + "Time" + d;
    } else {
        out.write("Date Time" + d);
        laterHeader = "Date Time" + d;
    }
    const DataNode* list = tree.findNode(tree.root(), "outputTemplate");
    if (!list)
        list = tree.findNode(tree.root(), "dataline");
    for (const DataNode* label = tree.findNode(list, "label"); label; label = label->nextSibling()) {
        const DataAttribute* value = DataTree::findAttribute(label, "value");
        if (!value)
            continue;
        out.write(value->value());
        if (label->nextSibling())
            out.write(d);
        else
            out.lineBreak();
        laterHeader += value->value();
        if (label->nextSibling())
            laterHeader += ',';
    }
    return laterHeader;
}

// One day as written: its node keys, its output date and how many lines it gave.
struct DayWritten {
    NodeDate nodes;
    CalendarDate outputDate;
    int rows = 0;
};

using DayEnded = std::function<bool(const DayWritten&)>;

class RowWriter {
public:
    RowWriter(const CsvFormat& format, ColumnChoice& columns, BlockWriter& out)
        : format_(format), timeSeparator_(timeSeparatorFor(format.dateFormat)), columns_(columns), out_(out)
    {
    }

    void startHour(const DayWritten& day, std::string_view hour)
    {
        prefix_ = format_.writeDateFrom
                      ? prefixFromDate(format_.dateFormat, day.outputDate, hour, format_.dateTimeSeparator)
                      : prefixFromNodes(format_.dateFormat, day.nodes, hour, format_.dateTimeSeparator);
    }

    // Writes one data line; 0 when the line has no time to be written with.
    int write(const DataTree& tree, const DataNode* line)
    {
        const DataAttribute* stamp = DataTree::findAttribute(line, "timestampCSV");
        if (!stamp)
            return 0;
        const std::string_view time = stamp->value();
        out_.write(prefix_);
        out_.write(time.substr(0, 2));
        out_.write(timeSeparator_);
        if (time.size() > 3)
            out_.write(time.substr(3, 2));
        out_.write(format_.delimiter);
        for (const DataNode* label = tree.findNode(line, "label"); label; label = label->nextSibling())
            writeCell(label);
        return 1;
    }

private:
    void writeCell(const DataNode* label)
    {
        const bool last = label->nextSibling() == nullptr;
        if (columns_.active() && !columns_.includes(label)) {
            if (last)
                out_.lineBreak();
            return;
        }
        out_.write(label->text());
        if (last)
            out_.lineBreak();
        else
            out_.write(format_.delimiter);
    }

    const CsvFormat& format_;
    std::string_view timeSeparator_;
    ColumnChoice& columns_;
    BlockWriter& out_;
    std::string prefix_;
};

// Walks the years of the first data in date order and writes a line per data
// line, telling dayEnded after every day. False when dayEnded stopped it.
bool writeRows(const DataTree& tree, const CsvFormat& format, BlockWriter& out, const DayEnded& dayEnded)
{
    ColumnChoice columns(tree, tree.findNode(tree.root(), "outputTemplate"));
    RowWriter rows(format, columns, out);
    std::time_t outputDate = format.writeStartDate;
    const std::time_t dayStep = format.writeDateFrom ? secondsPerDay : 0;

    for (const DataNode* year = tree.findNode(tree.root(), "dataYear"); year; year = year->nextSibling()) {
        for (const DataNode* month = tree.findNode(year, "dataMonth"); month; month = month->nextSibling()) {
            for (const DataNode* day = tree.findNode(month, "dataDay"); day; day = day->nextSibling()) {
                DayWritten written{{keyOf(year), keyOf(month), keyOf(day)}, {}, 0};
                if (format.writeDateFrom)
                    written.outputDate = localDateOf(outputDate);
                for (const DataNode* hour = tree.findNode(day, "dataHour"); hour; hour = hour->nextSibling()) {
                    rows.startHour(written, keyOf(hour));
                    for (const DataNode* line = tree.findNode(hour, "dataline"); line; line = line->nextSibling())
                        written.rows += rows.write(tree, line);
                }
                if (!dayEnded(written))
                    return false;
                outputDate += dayStep;
            }
        }
    }
    return true;
}

// A file that exists and may not be written is not replaced. Its mode bits
// decide, so that the answer is the same for the superuser.
bool isReadOnlyFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::unique_ptr<SafeFileWriter> openOutput(const std::string& path)
{
    if (isReadOnlyFile(path))
        return nullptr;
    auto writer = std::make_unique<SafeFileWriter>(path);
    if (!writer->open())
        return nullptr;
    return writer;
}

void appendWriteFailed(MessageLog& log, const std::string& path)
{
    log.append("ERROR: Problem encountered writing CSV output file '" + logText(path) +
               "'.  No data was saved to that file.");
}

SaveOutcome saveOneFile(CommandContext& context, const std::string& path, const CsvFormat& format)
{
    MessageLog& log = context.log();
    std::unique_ptr<SafeFileWriter> file = openOutput(path);
    if (!file) {
        log.append(openFailedLine);
        return SaveOutcome::OpenFailed;
    }
    log.append("Starting output to file... ");
    BlockWriter out(file->file());
    writeHeader(context.tree(), format, out);
    writeRows(context.tree(), format, out, [&out](const DayWritten&) { return !out.failed(); });
    if (!out.flush() || !file->commit()) {
        appendWriteFailed(log, path);
        return SaveOutcome::WriteFailed;
    }
    log.append("Saved data to CSV file '" + logText(path) + "'.");
    return SaveOutcome::Saved;
}

// A save split into files of at least `splitDays` data lines, each closed at
// the end of a day and named after the last day in it.
class SplitSave {
public:
    SplitSave(CommandContext& context, const std::string& mask, const CsvFormat& format, int splitDays)
        : context_(context), log_(context.log()), names_(mask), format_(format), splitDays_(splitDays)
    {
    }

    SaveOutcome run()
    {
        if (!openFile()) {
            log_.append(openFailedLine);
            return SaveOutcome::OpenFailed;
        }
        laterHeader_ = writeHeader(context_.tree(), format_, out_);
        const bool finished =
            writeRows(context_.tree(), format_, out_, [this](const DayWritten& day) { return dayEnded(day); });
        if (!finished)
            return outcome_;
        if (rowsInFile_ > 0) {
            if (!completeFile())
                return outcome_;
        } else {
            file_->discard();
        }
        log_.append("Saved data to CSV files.");
        return SaveOutcome::Saved;
    }

private:
    bool openFile()
    {
        workingName_ = names_.workingName(workingNumber_);
        file_ = openOutput(workingName_);
        out_.setFile(file_ ? file_->file() : nullptr);
        return file_ != nullptr;
    }

    bool dayEnded(const DayWritten& day)
    {
        if (day.rows > 0) {
            lastDayText_ = dateTextOf(day);
            rowsInFile_ += day.rows;
        }
        if (out_.failed()) {
            appendWriteFailed(log_, names_.datedName(lastDayText_));
            outcome_ = SaveOutcome::WriteFailed;
            return false;
        }
        if (rowsInFile_ < splitDays_)
            return true;
        if (!completeFile())
            return false;
        rowsInFile_ = 0;
        const bool opened = openFile();
        if (opened) {
            out_.write(laterHeader_);
            out_.lineBreak();
        }
        log_.append("Data output to file " + logText(placedName_));
        if (!opened) {
            log_.append(openFailedLine);
            outcome_ = SaveOutcome::OpenFailed;
        }
        return opened;
    }

    // Closes the file now written and gives it its dated name.
    bool completeFile()
    {
        const std::string dated = names_.datedName(lastDayText_);
        if (!out_.flush() || !file_->commit()) {
            appendWriteFailed(log_, dated);
            outcome_ = SaveOutcome::WriteFailed;
            return false;
        }
        const PlacedFile placed = moveToDatedName(workingName_, names_, lastDayText_);
        placedName_ = placed.name;
        if (!placed.asDated) {
            log_.append("NOTE- CSV file could not be named '" + logText(dated) + "'.  Data output kept in file '" +
                        logText(placed.name) + "'.");
            // The next file must not be written over this one.
            if (placed.name == workingName_)
                ++workingNumber_;
        }
        return true;
    }

    std::string dateTextOf(const DayWritten& day) const
    {
        return format_.writeDateFrom ? fileDateText(day.outputDate) : fileDateText(day.nodes);
    }

    CommandContext& context_;
    MessageLog& log_;
    SplitFileNames names_;
    const CsvFormat& format_;
    int splitDays_;
    int workingNumber_ = 1;
    std::string workingName_;
    std::unique_ptr<SafeFileWriter> file_;
    BlockWriter out_;
    std::string laterHeader_;
    int rowsInFile_ = 0;
    std::string lastDayText_;
    std::string placedName_;
    SaveOutcome outcome_ = SaveOutcome::Saved;
};

void prepareRequest(FileRequest& request, int splitDays)
{
    request.options = FileRequest::Explorer;
    request.defaultExtension = "CSV";
    request.filters = {{"CSV Files *.csv", "*.csv"}, {"All Files *.*", "*.*"}};
    request.title = splitDays != 0 ? "Enter CSV file mask:" : "Enter CSV file name:";
    request.result.clear();
    request.names.clear();
}

} // namespace

SaveOutcome OnSaveToCsv(CommandContext& context)
{
    const int splitDays = context.settings().splitDays;
    FileRequest& request = context.fileRequest();
    prepareRequest(request, splitDays);
    MessageLog& log = context.log();
    if (!context.runFileDialog(FileDialogMode::Save) || request.result.empty()) {
        log.append("ERROR: CSV save file name not entered.  No data was saved.");
        log.showLast();
        return SaveOutcome::Cancelled;
    }
    const std::string path = request.result;
    const ToolSettings settings = context.settings();
    const CsvFormat format = formatFrom(settings);
    const SaveOutcome outcome = settings.splitDays > 0 ? SplitSave(context, path, format, settings.splitDays).run()
                                                       : saveOneFile(context, path, format);
    log.showLast();
    return outcome;
}

} // namespace tsl
