#include "output/csv_writer.h"

#include "app/command_context.h"
#include "app/edit_text.h"
#include "app/safe_file.h"
#include "output/block_writer.h"
#include "output/data_save.h"
#include "output/date_time_prefix.h"
#include "tree/data_tree.h"

namespace tsl {

namespace {

// The settings that shape the text, read once when the save starts.
struct CsvFormat {
    std::string delimiter; // no more than one character
    std::string dateTimeSeparator;
    DateFormatId dateFormat = 0;
    bool timeDelimiter = false;
    bool writeDateFrom = false;
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
    return format;
}

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

// A CSV file of the save: a header line, then a line per data line.
class CsvFile : public OutputFile, private RowSink {
public:
    CsvFile(const DataTree& tree, const ToolSettings& settings)
        : tree_(tree), format_(formatFrom(settings)), timeSeparator_(timeSeparatorFor(format_.dateFormat)),
          columns_(tree)
    {
    }

    bool open(const std::string& path, bool first, SafeFileWriter::Existing existing) override
    {
        file_ = openOutput(path, existing);
        out_.setFile(file_ ? file_->file() : nullptr);
        if (!file_)
            return false;
        if (first) {
            laterHeader_ = writeHeader(tree_, format_, out_);
        } else {
            out_.write(laterHeader_);
            out_.lineBreak();
        }
        return true;
    }
    RowSink& rows() override { return *this; }
    bool failed() const override { return out_.failed(); }
    bool commit() override { return out_.flush() && file_->commit(); }
    void discard() override
    {
        if (file_)
            file_->discard();
    }

private:
    void startHour(const DayWritten& day, std::string_view hour) override
    {
        prefix_ = format_.writeDateFrom
                      ? prefixFromDate(format_.dateFormat, day.outputDate, hour, format_.dateTimeSeparator)
                      : prefixFromNodes(format_.dateFormat, day.nodes, hour, format_.dateTimeSeparator);
    }

    void writeLine(const DataNode* line, std::string_view time) override
    {
        out_.write(prefix_);
        out_.write(time.substr(0, 2));
        out_.write(timeSeparator_);
        if (time.size() > 3)
            out_.write(time.substr(3, 2));
        out_.write(format_.delimiter);
        const DataNode* first = tree_.findNode(line, "label");
        const DataTree::PackedCells cells = DataTree::packedCells(line);
        if (cells.size() > 0 && first == cells[0] && !columns_.active()) {
            // The cells of a row copied from a template, by their places.
            for (std::size_t k = 0; k + 1 < cells.size(); ++k) {
                out_.write(cells[k]->text());
                out_.write(format_.delimiter);
            }
            out_.write(cells[cells.size() - 1]->text());
            out_.lineBreak();
            return;
        }
        for (const DataNode* label = first; label;) {
            const DataNode* next = label->nextSibling();
            writeCell(label, next == nullptr);
            label = next;
        }
    }

    void writeCell(const DataNode* label, bool last)
    {
        if (!columns_.includes(label)) {
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

    const DataTree& tree_;
    const CsvFormat format_;
    std::string_view timeSeparator_;
    ColumnChoice columns_;
    std::unique_ptr<SafeFileWriter> file_;
    BlockWriter out_;
    std::string laterHeader_;
    std::string prefix_;
};

} // namespace

SaveOutcome OnSaveToCsv(CommandContext& context)
{
    static const SaveKind csv{"CSV", "CSV", {{"CSV Files *.csv", "*.csv"}, {"All Files *.*", "*.*"}}, true};
    return runDataSave(context, csv, [&context](const ToolSettings& settings) {
        return std::make_unique<CsvFile>(context.tree(), settings);
    });
}

} // namespace tsl
