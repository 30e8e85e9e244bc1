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

    // Carries out one action. An exception it lets out is logged as its
    // failure, and the run goes on with the next action.
    void run(const ParsedAction& action);

    void noteReadFailures(int failed) { failedReads_ += failed; }
    void noteSaveFailed() { failedSaves_ += 1; }
    // Ends the run; returns the exit status: 1 when a read, a save or an
    // action failed, else 0.
    int finish();

private:
    void writeLogLine(const std::string& line);
    void pump();

    HeadlessContext context_;
    std::FILE* out_;
    std::FILE* err_;
    std::vector<std::string> dialogFiles_;
    MessageAnswer okCancelAnswer_ = MessageAnswer::Cancel;
    std::unique_ptr<ReadProgress> progress_;
    int failedReads_ = 0;
    int failedSaves_ = 0;
    int failedActions_ = 0;
};

// Ctrl-C: the first one during a read stops the file being read, any other
// ends the program.
void installInterruptHandler();

} // namespace tsl::cli
