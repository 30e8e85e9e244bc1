#include "output/data_save.h"

#include "app/command_context.h"
#include "app/safe_file.h"
#include "output/save_target.h"
#include "output/split_files.h"
#include "output/template_mismatch.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tsl {

namespace {

// A file that exists and may not be written is not replaced. Its mode bits
// decide, so that the answer is the same for the superuser.
bool isReadOnlyFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool nameExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The log lines of a save, naming its format.
struct SaveLines {
    explicit SaveLines(const SaveKind& kind) : kind_(kind.name) {}

    std::string notEntered() const
    {
        return "ERROR: " + kind_ + " save file name not entered.  No data was saved.";
    }
    std::string openFailed() const
    {
        return "ERROR: Problem encountered opening " + kind_ + " output file.  No data was saved to file.";
    }
    std::string writeFailed(const std::string& path) const
    {
        return "ERROR: Problem encountered writing " + kind_ + " output file '" + logText(path) +
               "'.  No data was saved to that file.";
    }
    std::string saved(const std::string& path) const
    {
        return "Saved data to " + kind_ + " file '" + logText(path) + "'.";
    }
    std::string savedSeries() const { return "Saved data to " + kind_ + " files."; }
    std::string notNamed(const std::string& dated, const std::string& why, const std::string& placed) const
    {
        return "NOTE- " + kind_ + " file could not be named '" + logText(dated) + "'" + (why.empty() ? "" : ": " + why) +
               ".  Data output kept in file '" + logText(placed) + "'.";
    }

private:
    std::string kind_;
};

SaveOutcome saveOneFile(CommandContext& context, const std::string& path, const SaveLines& lines,
                        OutputFile& file, const RowDates& dates)
{
    const std::optional<SaveTarget> target = admitSaveTarget(context, path);
    if (!target)
        return SaveOutcome::Refused;
    MessageLog& log = context.log();
    if (!file.open(target->path, true, SafeFileWriter::Existing::Replace)) {
        log.append(lines.openFailed());
        return SaveOutcome::OpenFailed;
    }
    log.append("Starting output to file... ");
    walkRows(context.tree(), dates, file.rows(), [&file](const DayWritten&) { return !file.failed(); });
    if (file.failed() || !file.commit()) {
        file.discard();
        log.append(lines.writeFailed(path));
        return SaveOutcome::WriteFailed;
    }
    log.append(lines.saved(path));
    noteOtherNames(log, path, *target);
    return SaveOutcome::Saved;
}

// A save split into files of at least `splitDays` data lines, each closed at
// the end of a day and named after the last day in it.
class SplitSave {
public:
    SplitSave(CommandContext& context, const std::string& mask, const SaveLines& lines, OutputFile& file,
              const RowDates& dates, int splitDays)
        : context_(context), log_(context.log()), names_(mask), lines_(lines), file_(file), dates_(dates),
          splitDays_(splitDays)
    {
    }

    SaveOutcome run()
    {
        if (!openFile(true)) {
            log_.append(lines_.openFailed());
            return SaveOutcome::OpenFailed;
        }
        const bool finished =
            walkRows(context_.tree(), dates_, file_.rows(), [this](const DayWritten& day) { return dayEnded(day); });
        if (!finished)
            return outcome_;
        if (rowsInFile_ > 0) {
            if (!completeFile())
                return outcome_;
        } else {
            file_.discard();
        }
        log_.append(lines_.savedSeries());
        return SaveOutcome::Saved;
    }

private:
    // The working name is one that no file has: a file kept under such a
    // name by an earlier save stays as it is.
    bool openFile(bool first)
    {
        while (nameExists(names_.workingName(workingNumber_)) && workingNumber_ < lastWorkingNumber)
            ++workingNumber_;
        workingName_ = names_.workingName(workingNumber_);
        return file_.open(workingName_, first, SafeFileWriter::Existing::Keep);
    }

    bool dayEnded(const DayWritten& day)
    {
        if (day.rows > 0) {
            lastDayText_ = fileDateTextOf(day, dates_.writeDateFrom);
            rowsInFile_ += day.rows;
        }
        if (file_.failed()) {
            file_.discard();
            log_.append(lines_.writeFailed(names_.datedName(lastDayText_)));
            outcome_ = SaveOutcome::WriteFailed;
            return false;
        }
        if (rowsInFile_ < splitDays_)
            return true;
        if (!completeFile())
            return false;
        rowsInFile_ = 0;
        const bool opened = openFile(false);
        log_.append("Data output to file " + logText(placedName_));
        if (!opened) {
            log_.append(lines_.openFailed());
            outcome_ = SaveOutcome::OpenFailed;
        }
        return opened;
    }

    // Closes the file now written and gives it its dated name.
    bool completeFile()
    {
        const std::string dated = names_.datedName(lastDayText_);
        if (!file_.commit()) {
            file_.discard();
            log_.append(lines_.writeFailed(dated));
            outcome_ = SaveOutcome::WriteFailed;
            return false;
        }
        const std::string takenBy = readInSession(dated, context_.filesRead());
        const PlacedFile placed = moveToDatedName(workingName_, names_, lastDayText_);
        placedName_ = placed.name;
        if (!placed.asDated)
            log_.append(lines_.notNamed(dated, takenBy, placed.name));
        return true;
    }

    CommandContext& context_;
    MessageLog& log_;
    SplitFileNames names_;
    const SaveLines& lines_;
    OutputFile& file_;
    RowDates dates_;
    int splitDays_;
    static constexpr int lastWorkingNumber = 99;
    int workingNumber_ = 1;
    std::string workingName_;
    int rowsInFile_ = 0;
    std::string lastDayText_;
    std::string placedName_;
    SaveOutcome outcome_ = SaveOutcome::Saved;
};

void prepareRequest(FileRequest& request, const SaveKind& kind, int splitDays)
{
    // A mask only names files to come: nothing is written under it as it is.
    request.options = splitDays != 0 ? FileRequest::Explorer : FileRequest::Explorer | FileRequest::OverwritePrompt;
    request.defaultExtension = kind.defaultExtension;
    request.filters = kind.filters;
    request.title = "Enter " + kind.name + (splitDays != 0 ? " file mask:" : " file name:");
    request.result.clear();
    request.names.clear();
}

} // namespace

std::unique_ptr<SafeFileWriter> openOutput(const std::string& path, SafeFileWriter::Existing existing)
{
    if (isReadOnlyFile(path))
        return nullptr;
    auto writer = std::make_unique<SafeFileWriter>(path, existing);
    if (!writer->open())
        return nullptr;
    return writer;
}

SaveOutcome runDataSave(CommandContext& context, const SaveKind& kind, const OutputFileFactory& makeFile)
{
    const SaveLines lines(kind);
    FileRequest& request = context.fileRequest();
    prepareRequest(request, kind, context.settings().splitDays);
    MessageLog& log = context.log();
    if (!context.runFileDialog(FileDialogMode::Save) || request.result.empty()) {
        log.append(lines.notEntered());
        log.showLast();
        return SaveOutcome::Cancelled;
    }
    const std::string path = request.result;
    if (kind.headerFromOutputTemplate)
        if (const auto mismatch = outputTemplateMismatch(context.tree()))
            log.append(*mismatch);
    const ToolSettings settings = context.settings();
    const RowDates dates{settings.writeDateFrom, settings.writeStartDate};
    std::unique_ptr<OutputFile> file = makeFile(settings);
    const SaveOutcome outcome = settings.splitDays > 0
                                    ? SplitSave(context, path, lines, *file, dates, settings.splitDays).run()
                                    : saveOneFile(context, path, lines, *file, dates);
    if (outcome == SaveOutcome::Saved)
        context.dataChanges().markSaved();
    log.showLast();
    return outcome;
}

} // namespace tsl
