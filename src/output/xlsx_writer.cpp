#include "output/xlsx_writer.h"

#include "app/command_context.h"
#include "app/safe_file.h"
#include "ops/data_columns.h"
#include "output/data_save.h"
#include "output/date_time_prefix.h"
#include "tree/data_tree.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

namespace tsl {

namespace {

// Excel's own limits: the width of a column, and a cell's text.
constexpr double widestColumn = 255;
constexpr std::size_t longestCellText = 32767;
// Columns are not fitted wider than this many characters: a long text
// stays readable in its cell without pushing the data off the screen.
constexpr std::size_t widestFit = 80;

// How Excel shows the date-times of each layout: the layout itself, with
// date and time in one cell, joined by a blank where the CSV joins them by
// the delimiter. Characters that Excel might take for codes are escaped.
const char* dateTimeFormat(DateFormatId layout)
{
    switch (layout) {
    case 1:
        return "mm\\/dd\\/yyyy hh:mm:ss";
    case 2:
        return "dd\\/mm\\/yy hh:mm:ss";
    case 3:
        return "mm\\/dd\\/yy hh:mm:ss";
    case 4:
        return "yyyy\\/mm\\/dd hh:mm:ss";
    case 5:
        return "yymmdd\\-hh:mm:ss";
    case 6:
        return "yyyymmdd\\-hh:mm:ss";
    case 7:
    case 8:
    case 9:
        return "yyyymmdd\\-hhmmss";
    case 10:
        return "yyyy\\-mm\\-dd\\Thh:mm:ss";
    case 11:
        return "yyyymmdd\\Thhmmss";
    case 12:
        return "yymmdd\\,\\ hhmmss";
    default:
        return "dd\\/mm\\/yyyy hh:mm:ss";
    }
}

// A whole decimal number, or -1.
int keyNumber(std::string_view text)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A date and time Excel can hold: a calendar day of the years 1900 to 9999.
bool isExcelDateTime(const lxw_datetime& t)
{
    static const int daysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1900 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1)
        return false;
    const int lastDay = daysIn[t.month - 1] + (t.month == 2 && isLeapYear(t.year) ? 1 : 0);
    return t.day <= lastDay && t.hour >= 0 && t.hour <= 23 && t.min >= 0 && t.min <= 59 && t.sec >= 0 &&
           t.sec <= 59;
}

// Characters, not bytes: what a column must be wide enough to show.
std::size_t displayWidth(std::string_view utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Decimals after the point of a plain decimal text ("71.20": 2); -1 for
// other forms of number ("1e5").
int decimalsOf(std::string_view number)
{
    if (number.find_first_of("eE") != std::string_view::npos)
        return -1;
    const std::size_t point = number.find('.');
    if (point == std::string_view::npos)
        return 0;
    std::size_t end = point + 1;
    while (end < number.size() && number[end] >= '0' && number[end] <= '9')
        ++end;
    return static_cast<int>(end - point - 1);
}

// The workbook of one output file, written in constant memory: a row goes
// to disk once the next one starts, so the rows must come in order.
class WorkbookFile : public OutputFile, private RowSink {
public:
    WorkbookFile(CommandContext& context, const ToolSettings& settings, int rowsPerSheet)
        : tree_(context.tree()), log_(context.log()), layout_(settings.dateFormat),
          writeDateFrom_(settings.writeDateFrom), rowsPerSheet_(std::max(rowsPerSheet, 2)),
          labels_(chosenLabels(tree_)), finder_(tree_, labels_)
    {
        const std::string sample =
            prefixFromDate(layout_, {2019, 1, 15}, "13", " ") + "05" + std::string(timeSeparatorFor(layout_)) + "00";
        dateWidth_ = displayWidth(sample);
    }
    ~WorkbookFile() override { WorkbookFile::discard(); }

    bool open(const std::string& path, bool, SafeFileWriter::Existing existing) override
    {
        discard();
        file_ = openOutput(path, existing);
        if (!file_)
            return false;
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        workbook_ = workbook_new_opt(file_->temporaryPath().c_str(), &options);
        if (!workbook_) {
            file_->discard();
            return false;
        }
        error_ = LXW_NO_ERROR;
        textDates_ = 0;
        numberFormats_.clear();
        headerFormat_ = workbook_add_format(workbook_);
        format_set_bold(headerFormat_);
        dateFormat_ = workbook_add_format(workbook_);
        format_set_num_format(dateFormat_, dateTimeFormat(layout_));
        sheetNumber_ = 0;
        startSheet();
        return true;
    }
    RowSink& rows() override { return *this; }
    bool failed() const override { return error_ != LXW_NO_ERROR || sheetDataLost(sheet_); }

    bool commit() override
    {
        if (!workbook_)
            return false;
        finishSheet();
        const lxw_error closed = workbook_close(workbook_);
        workbook_ = nullptr;
        if (closed != LXW_NO_ERROR || failed())
            return false;
        if (textDates_ > 0)
            log_.append("WARNING: " + std::to_string(textDates_) +
                        " data lines have no calendar date and time Excel can hold; their date and time are "
                        "written as text.");
        return file_->commit();
    }

    void discard() override
    {
        if (workbook_) {
            lxw_workbook_free(workbook_);
            workbook_ = nullptr;
        }
        if (file_)
            file_->discard();
    }

private:
    // The columns a CSV save writes cells of, in the order it writes them.
    static std::vector<std::string> chosenLabels(const DataTree& tree)
    {
        const ColumnChoice choice(tree);
        std::vector<std::string> labels = dataColumnLabels(tree);
        std::erase_if(labels, [&](const std::string& label) { return !choice.includes(label); });
        return labels;
    }

    void note(lxw_error error)
    {
        if (error != LXW_NO_ERROR && error_ == LXW_NO_ERROR)
            error_ = error;
    }

    std::string sheetName() const
    {
        return sheetNumber_ == 1 ? std::string("Data") : "Data " + std::to_string(sheetNumber_);
    }

    void startSheet()
    {
        ++sheetNumber_;
        sheet_ = workbook_add_worksheet(workbook_, sheetName().c_str());
        if (!sheet_) {
            note(LXW_ERROR_MEMORY_MALLOC_FAILED);
            return;
        }
        widths_.assign(labels_.size() + 1, 0);
        writeHeaderCell(0, "Date Time");
        for (std::size_t i = 0; i < labels_.size(); ++i)
            writeHeaderCell(static_cast<lxw_col_t>(i + 1), logText(labels_[i]));
        widths_[0] = std::max(widths_[0], dateWidth_);
        worksheet_freeze_panes(sheet_, 1, 0);
        row_ = 1;
    }

    void writeHeaderCell(lxw_col_t column, const std::string& text)
    {
        note(worksheet_write_string(sheet_, 0, column, text.c_str(), headerFormat_));
        // Room for the autofilter's button beside the label.
        fit(column, displayWidth(text) + 2);
    }

    // The library keeps a sheet's rows in a temporary file and does not
    // check its writes: on a full disk the sheet would come out cut short,
    // and the workbook would still be closed as if whole.
    static bool sheetDataLost(lxw_worksheet* sheet)
    {
        return sheet && sheet->optimize_tmpfile && std::ferror(sheet->optimize_tmpfile);
    }

    void finishSheet()
    {
        if (!sheet_)
            return;
        // The last row is held until the next one starts: out with it, so
        // that a write of it that fails is seen here.
        lxw_worksheet_write_single_row(sheet_);
        if (sheet_->optimize_tmpfile && std::fflush(sheet_->optimize_tmpfile) != 0)
            note(LXW_ERROR_CREATING_TMPFILE);
        if (sheetDataLost(sheet_))
            note(LXW_ERROR_CREATING_TMPFILE);
        for (std::size_t column = 0; column < widths_.size(); ++column) {
            const double width = std::min(widestColumn, static_cast<double>(widths_[column] + 1));
            const auto col = static_cast<lxw_col_t>(column);
            note(worksheet_set_column(sheet_, col, col, width, nullptr));
        }
        note(worksheet_autofilter(sheet_, 0, 0, row_ - 1, static_cast<lxw_col_t>(labels_.size())));
        sheet_ = nullptr;
    }

    void fit(lxw_col_t column, std::size_t width)
    {
        widths_[column] = std::max(widths_[column], std::min(width, widestFit));
    }

    void startHour(const DayWritten& day, std::string_view hour) override
    {
        day_ = &day;
        hour_ = hour;
        if (writeDateFrom_)
            hourStart_ = {day.outputDate.year, day.outputDate.month, day.outputDate.day, keyNumber(hour), 0, 0};
        else
            hourStart_ = {keyNumber(day.nodes.year), keyNumber(day.nodes.month), keyNumber(day.nodes.day),
                          keyNumber(hour), 0, 0};
    }

    void writeLine(const DataNode* line, std::string_view time) override
    {
        if (row_ >= static_cast<lxw_row_t>(rowsPerSheet_)) {
            const std::string full = sheetName();
            finishSheet();
            startSheet();
            log_.append("NOTE- Sheet '" + full + "' holds the " + std::to_string(rowsPerSheet_) +
                        " rows a sheet can: the data goes on on sheet '" + sheetName() + "'.");
        }
        if (!sheet_)
            return;
        writeDateTime(time);
        finder_.forEachChosenCell(line, [this](int column, const DataNode* cell) {
            writeCell(static_cast<lxw_col_t>(column + 1), cell->text());
        });
        ++row_;
    }

    void writeDateTime(std::string_view time)
    {
        lxw_datetime at = hourStart_;
        if (time.size() == 5 && time[2] == ':') {
            at.min = keyNumber(time.substr(0, 2));
            at.sec = keyNumber(time.substr(3, 2));
        } else {
            at.min = -1;
        }
        if (isExcelDateTime(at)) {
            note(worksheet_write_datetime(sheet_, row_, 0, &at, dateFormat_));
            return;
        }
        // No date Excel can hold: the text a CSV line would begin with.
        ++textDates_;
        std::string text = writeDateFrom_ ? prefixFromDate(layout_, day_->outputDate, hour_, " ")
                                          : prefixFromNodes(layout_, day_->nodes, hour_, " ");
        text += time.substr(0, 2);
        text += timeSeparatorFor(layout_);
        if (time.size() > 3)
            text += time.substr(3, 2);
        writeText(0, text);
    }

    void writeCell(lxw_col_t column, std::string_view text)
    {
        if (text.empty())
            return;
        if (const std::optional<double> number = cellNumber(text)) {
            note(worksheet_write_number(sheet_, row_, column, *number, numberFormat(text)));
            fit(column, displayWidth(text));
            return;
        }
        writeText(column, text);
    }

    void writeText(lxw_col_t column, std::string_view bytes)
    {
        std::string text = logText(bytes);
        if (text.size() > longestCellText) {
            std::size_t end = longestCellText;
            while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                --end;
            text.resize(end);
        }
        note(worksheet_write_string(sheet_, row_, column, text.c_str(), nullptr));
        fit(column, displayWidth(text));
    }

    // A number is shown with as many decimals as its text has.
    lxw_format* numberFormat(std::string_view text)
    {
        const int decimals = decimalsOf(text);
        if (decimals < 0)
            return nullptr;
        const int shown = std::min(decimals, 30);
        auto [entry, added] = numberFormats_.try_emplace(shown, nullptr);
        if (added) {
            entry->second = workbook_add_format(workbook_);
            const std::string code = shown == 0 ? std::string("0") : "0." + std::string(static_cast<std::size_t>(shown), '0');
            format_set_num_format(entry->second, code.c_str());
        }
        return entry->second;
    }

    const DataTree& tree_;
    MessageLog& log_;
    const DateFormatId layout_;
    const bool writeDateFrom_;
    const int rowsPerSheet_;
    const std::vector<std::string> labels_;
    ColumnFinder finder_;
    std::size_t dateWidth_ = 0;

    std::unique_ptr<SafeFileWriter> file_;
    lxw_workbook* workbook_ = nullptr;
    lxw_format* headerFormat_ = nullptr;
    lxw_format* dateFormat_ = nullptr;
    std::map<int, lxw_format*> numberFormats_;
    lxw_worksheet* sheet_ = nullptr;
    int sheetNumber_ = 0;
    lxw_row_t row_ = 0;
    std::vector<std::size_t> widths_;
    lxw_error error_ = LXW_NO_ERROR;
    int textDates_ = 0;

    const DayWritten* day_ = nullptr;
    std::string_view hour_;
    lxw_datetime hourStart_{};
};

} // namespace

SaveOutcome OnSaveToExcel(CommandContext& context, int rowsPerSheet)
{
    static const SaveKind excel{"Excel", "XLSX", {{"Excel Workbooks *.xlsx", "*.xlsx"}, {"All Files *.*", "*.*"}}};
    return runDataSave(context, excel, [&context, rowsPerSheet](const ToolSettings& settings) {
        return std::make_unique<WorkbookFile>(context, settings, rowsPerSheet);
    });
}

} // namespace tsl
