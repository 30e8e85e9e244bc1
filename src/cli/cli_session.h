#pragma once

#include "app/headless_context.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tsl::cli {

class ReadProgress;
struct ParsedAction;

// One run of tsl: a window's worth of state without widgets. Log lines go to
// standard output as they are appended; dialogs take the files the current
// action names, questions the answer it prescribes.
class CliSession {
public:
    CliSession(std::FILE* out, std::FILE* err);
    ~CliSession();

    HeadlessContext& context() { return context_; }
    std::FILE* err() { return err_; }

    // The files the next file dialog returns (none: cancelled).
    void setDialogFiles(std::vector<std::string> files) { dialogFiles_ = std::move(files); }
    // The answer to the OK/Cancel question of the next command.
    void setOkCancelAnswer(MessageAnswer answer) { okCancelAnswer_ = answer; }
    // The files of the read batch about to run, for the progress display.
    void setBatch(std::vector<std::string> files);

    // Where later imports write their prepared copies; empty: beside the
    // originals.
    const std::string& importFolder() const { return importFolder_; }
    void setImportFolder(std::string folder) { importFolder_ = std::move(folder); }
    // The columns of later charts, by label; empty: the first few that hold
    // readings.
    const std::vector<std::string>& chartColumns() const { return chartColumns_; }
    void setChartColumns(std::vector<std::string> columns) { chartColumns_ = std::move(columns); }

    // Carries out one action. An exception it lets out is logged as its
    // failure, and the run goes on with the next action.
    void run(const ParsedAction& action);

    void noteReadFailures(int failed) { failedReads_ += failed; }
    void noteStoppedReads(int stopped) { stoppedReads_ += stopped; }
    void noteSaveFailed() { failedSaves_ += 1; }
    // Ends the run: a last line when a read was stopped, the output flushed.
    // Returns the exit status: 1 when anything failed (a read, a save, an
    // action, the log's own output) or a read was stopped, else 0.
    int finish();

private:
    void writeLogLine(const std::string& line);
    void pump();

    HeadlessContext context_;
    std::FILE* out_;
    std::FILE* err_;
    std::vector<std::string> dialogFiles_;
    MessageAnswer okCancelAnswer_ = MessageAnswer::Cancel;
    std::string importFolder_;
    std::vector<std::string> chartColumns_;
    std::unique_ptr<ReadProgress> progress_;
    int failedReads_ = 0;
    int stoppedReads_ = 0;
    int failedSaves_ = 0;
    int failedActions_ = 0;
    // The reason the log could not be written to standard output (a full
    // device); empty while it could.
    std::string outputError_;
};

// Ctrl-C: the first one during a read stops the file being read, any other
// ends the program.
void installInterruptHandler();

} // namespace tsl::cli
