#pragma once

#include "app/data_changes.h"
#include "app/file_request.h"
#include "app/files_read.h"
#include "app/message_log.h"
#include "app/tool_settings.h"

#include <ctime>
#include <string>
#include <vector>

namespace tsl {

class DataTree;
class DataNode;

// Identifiers of the window's controls; commands name the controls they
// enable, disable or fill by these.
enum class ControlId : int {
    Close = 1,
    FillDatabase = 1001,
    Log = 1003,
    IntervalList = 1008,
    TemplateFileName = 1009,
    ReadLabelTemplate = 1010,
    DataFileName = 1011,
    ReadCsvData = 1012,
    SaveToXml = 1013,
    SaveToCsv = 1015,
    ClearCsvData = 1016,
    Delimiter = 1017,
    BracketStart = 1018,
    BracketEnd = 1019,
    BracketEnable = 1020,
    ConvertUnits = 1021,
    ConversionList = 1022,
    FillBlanks = 1023,
    ConversionColumn = 1024,
    WriteDateFrom = 1027,
    DateFormatList = 1032,
    TimeDelimiter = 1033,
    WriteStartDate = 1034,
    ReductionList = 1035,
    SetOutputTemplate = 1036,
    SplitList = 1037,
    LineLabel = 1038,
    FillValue = 1039,
    PreviewData = 1040,
    ImportExports = 1041,
    PlotData = 1042,
    Decimals = 1043,
    SortRows = 1044,
    SaveToExcel = 1045,
};

// The controls a read disables: commands that would change the data under
// the read, save half of it, or start a read of their own.
inline constexpr ControlId readLockedControls[] = {
    ControlId::ClearCsvData,      ControlId::ConvertUnits,   ControlId::FillBlanks,
    ControlId::ReadLabelTemplate, ControlId::SaveToCsv,      ControlId::SaveToExcel,
    ControlId::SaveToXml,         ControlId::SetOutputTemplate, ControlId::DateFormatList,
    ControlId::ImportExports,
};

// The buttons of a question; YesNoDefaultNo for one whose Enter must not
// agree (a close that would lose data).
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// What a question is answered when the user declines it (Escape, the close
// box) or no one is there to answer: No, Cancel, or Ok for a notice.
constexpr MessageAnswer negativeAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
        break;
    }
    return MessageAnswer::No;
}
enum class FileDialogMode { Open, Save };

// The read button's two captions.
inline constexpr const char* readButtonCaption = "&Read CSV Data";
inline constexpr const char* stopButtonCaption = "Stop Reading";

// State the window keeps for the reader between and during reads.
struct ReadingState {
    int readInProgress = 0;
    int stopRequested = 0;
    // Batches of files under way (ReadBatch). A file that fails clears
    // readInProgress while its batch goes on with the next file, so only
    // this tells that the batch still runs.
    int batchDepth = 0;
    // Column labels of the file being read (the date parser may lower it).
    int labelCount = 0;
    // The "template" node found or made by the last read.
    DataNode* templateNode = nullptr;
    int leadingLabelsTrimmed = 0;
    char zoneLetter = 'Z';

    // A read, or a batch of reads, is under way: no other may start.
    bool busy() const { return readInProgress != 0 || batchDepth > 0; }
};

// What a command needs of the window it runs in. The Qt window implements it
// with widgets; the batch front end and the tests implement it headlessly.
class CommandContext {
public:
    virtual ~CommandContext() = default;

    // The settings as the controls show them now.
    virtual ToolSettings settings() const = 0;
    // The two settings the reader looks at on every line, without reading
    // every other control as well.
    virtual DateFormatId dateFormat() const { return settings().dateFormat; }
    virtual bool bracketEnabled() const { return settings().bracketEnabled; }
    // The few settings that commands change on their own: the date layout
    // list (the reader's format search), the time delimiter box, the first
    // output date and the conversion column.
    virtual void setDateFormat(DateFormatId format) = 0;
    virtual void setTimeDelimiter(bool checked) = 0;
    virtual void setWriteStartDate(std::time_t localTime) = 0;
    virtual void setConversionColumn(const std::string& text) = 0;

    virtual MessageLog& log() = 0;
    virtual DataTree& tree() = 0;
    virtual ReadingState& reading() = 0;
    // Whether the data changed since it was last saved.
    DataChanges& dataChanges() { return dataChanges_; }
    const DataChanges& dataChanges() const { return dataChanges_; }

    // The files read in this session, which no save may replace.
    virtual FilesRead& filesRead() = 0;

    // The shared file request, and the open or save dialog it drives. Returns
    // true when a name was chosen; the answer is stored in the request.
    virtual FileRequest& fileRequest() = 0;
    virtual bool runFileDialog(FileDialogMode mode) = 0;

    virtual MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                     MessageButtons buttons) = 0;

    // Lets the window handle what is waiting (clicks, drops, repaints) in the
    // middle of a long command. False when something went wrong doing so.
    virtual bool pumpMessages() = 0;

    virtual void enableControl(ControlId id, bool enabled) = 0;
    virtual void setControlText(ControlId id, const std::string& text) = 0;

    // The outermost batch of reads starts, with the files or folders it was
    // given, or has ended. The window shows the batch's progress, and keeps
    // its controls in the reading state from the first file to the last.
    virtual void readBatchStarted(const std::vector<std::string>& /*paths*/) {}
    virtual void readBatchEnded() {}

private:
    DataChanges dataChanges_;
};

// Disables the commands that must not run during a read (or enables them
// again) and relabels the read button.
void setReadingState(CommandContext& context, bool reading);

// One batch of reads, from its first file to its last, exceptions included:
// counted in the reading state, and told to the context when it is the
// outermost.
class ReadBatch {
public:
    ReadBatch(CommandContext& context, const std::vector<std::string>& paths);
    ~ReadBatch();
    ReadBatch(const ReadBatch&) = delete;
    ReadBatch& operator=(const ReadBatch&) = delete;

private:
    CommandContext& context_;
};

} // namespace tsl
