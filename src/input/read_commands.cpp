#include "input/read_commands.h"

#include "app/command_context.h"
#include "input/csv_reader.h"
#include "input/log_lines.h"
#include "tree/data_tree.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace tsl {

namespace {

// Bytes of a path in its narrow form, as the window's path buffers hold it.
constexpr std::size_t narrowPathLimit = 259;

void askToStop(CommandContext& context)
{
    if (context.messageBox("Are you sure you want to stop data input?", "Tessaloom", MessageButtons::YesNo) ==
        MessageAnswer::Yes)
        context.reading().stopRequested = 1;
}


// Reads the XML file at path into the tree, pumping messages so that a stop
// request reaches the read. Returns why it could not be read, or read to its
// end; empty when it was, or when it was stopped (stopped is then set).
std::string readXmlInto(CommandContext& context, const std::string& path, bool& stopped)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::strerror(errno);
    struct stat info {};
    if (::fstat(::fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return "it is a folder";
    }
    context.filesRead().noteOpen(::fileno(file), path, ReadKind::XmlFile);
    ReadingState& reading = context.reading();
    const XmlReadEnd end = context.tree().readXml(file, [&context, &reading] {
        context.pumpMessages();
        return reading.stopRequested == 0;
    });
    const int readError = errno;
    std::fclose(file);
    switch (end) {
    case XmlReadEnd::Finished:
        return {};
    case XmlReadEnd::Stopped:
        stopped = true;
        return {};
    case XmlReadEnd::NotText:
        return "it holds NUL bytes, so it is not a text file (the read ended at the first)";
    case XmlReadEnd::ReadError:
        return std::strerror(readError);
    case XmlReadEnd::OutOfMemory:
        return "not enough memory";
    }
    return {};
}

void readChosenXml(CommandContext& context, const std::string& path, ReadBatchResult& batch)
{
    bool stopped = false;
    const std::string problem = readXmlInto(context, path, stopped);
    if (stopped) {
        reportReadResult(context, ReadResult::Stopped, "", batch);
        return;
    }
    if (problem.empty())
        return;
    MessageLog& log = context.log();
    log.append("ERROR- XML file '" + logText(path) + "' could not be read: " + problem + ".");
    log.append("Problem reading XML file.");
    ++batch.xmlFailed;
}

void readChosenFile(CommandContext& context, const std::string& path, ReadBatchResult& batch)
{
    MessageLog& log = context.log();
    if (path.find(".xml") != std::string::npos) {
        context.dataChanges().markChanged();
        readChosenXml(context, path, batch);
        return;
    }
    log.append("Reading file " + logText(path));
    reportReadResult(context, readDataFile(context, path), "There was an error while reading data.", batch);
}

} // namespace

ReadBatchResult OnReadCsvData(CommandContext& context)
{
    ReadBatchResult batch;
    ReadingState& reading = context.reading();
    MessageLog& log = context.log();
    if (reading.readInProgress == 1) {
        askToStop(context);
        return batch;
    }
    if (reading.busy()) {
        log.append("A read is already running: finish or stop it before reading more files.");
        return batch;
    }

    reading.readInProgress = 1;
    FileRequest& request = context.fileRequest();
    prepareOpenRequest(request, "Find CSV Datafile");
    if (!context.runFileDialog(FileDialogMode::Open) || request.result.empty()) {
        log.append("ERROR- CSV file name not entered");
        log.showLast();
        reading.readInProgress = 0;
        return batch;
    }

    const ReadBatch running(context, request.chosenPaths());
    batch.started = true;
    context.setControlText(ControlId::DataFileName, request.result);
    log.append(logText("Entered file '" + cutToBytes(request.result, narrowPathLimit) + "'"));
    setInitialFolder(request, request.folder());
    setReadingState(context, true);

    bool first = true;
    for (const std::string& path : request.chosenPaths()) {
        if (reading.stopRequested)
            break;
        if (!first)
            resumeReading(context);
        first = false;
        readChosenFile(context, path, batch);
    }
    log.showLast();
    setReadingState(context, false);
    reading.readInProgress = 0;
    return batch;
}

ReadBatchResult OnDropFiles(CommandContext& context, const std::vector<std::string>& paths)
{
    ReadBatchResult batch;
    ReadingState& reading = context.reading();
    MessageLog& log = context.log();
    if (reading.busy()) {
        log.append("Dropped files were not read: a read is already running. Drop them again when it has "
                   "finished.");
        return batch;
    }

    const ReadBatch running(context, paths);
    batch.started = true;
    setReadingState(context, true);
    bool relock = false;
    for (const std::string& path : paths) {
        // A failed file may have switched the reading state off.
        if (relock)
            setReadingState(context, true);
        reading.readInProgress = 1;
        const ReadResult result = readDataFile(context, path);
        reading.readInProgress = 0;
        relock = result == ReadResult::Failed;
        reportReadResult(context, result,
                         "There was an error while reading data.  Please check that this is a valid data file.", batch);
    }
    if (!paths.empty())
        setInitialFolder(context.fileRequest(), paths.back());
    setReadingState(context, false);
    if (paths.size() > 1)
        log.append("Finished reading files");
    return batch;
}

void prepareOpenRequest(FileRequest& request, const std::string& title)
{
    request.title = title;
    request.options = FileRequest::Explorer | FileRequest::AllowMultiSelect | FileRequest::FileMustExist |
                      FileRequest::HideReadOnly;
    request.defaultExtension = "CSV";
    request.filters = {{"CSV Files *.csv", "*.csv"}, {"All Files *.*", "*.*"}};
    request.result.clear();
    request.names.clear();
    request.namePosition = 0;
}

void resumeReading(CommandContext& context)
{
    if (!context.reading().readInProgress) {
        context.reading().readInProgress = 1;
        setReadingState(context, true);
    }
}

void reportReadResult(CommandContext& context, ReadResult result, const char* failedLine, ReadBatchResult& batch)
{
    MessageLog& log = context.log();
    switch (result) {
    case ReadResult::Finished:
        ++batch.finished;
        log.append("Finished reading file.");
        break;
    case ReadResult::Stopped:
        ++batch.stopped;
        log.append("Data entry stopped by manual command.");
        context.reading().stopRequested = 0;
        break;
    case ReadResult::Failed:
        ++batch.failed;
        log.append(failedLine);
        break;
    }
}

} // namespace tsl
