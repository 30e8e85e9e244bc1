#include "cli/cli_session.h"

#include "app/command_guard.h"
#include "cli/action.h"
#include "cli/read_progress.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace tsl::cli {

namespace {

volatile std::sig_atomic_t readRunning = 0;
volatile std::sig_atomic_t interrupts = 0;

void onInterrupt(int)
{
    if (readRunning && interrupts == 0) {
        interrupts = 1;
        return;
    }
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
}

} // namespace

void installInterruptHandler()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

CliSession::CliSession(std::FILE* out, std::FILE* err) : out_(out), err_(err)
{
    if (::isatty(::fileno(err)))
        progress_ = std::make_unique<ReadProgress>(err);
    // The welcome block is already in the log: the session starts as the window does.
    for (const auto& line : context_.log().lines())
        writeLogLine(line);
    context_.log().setAppendListener([this](const std::string& line) { writeLogLine(line); });
    context_.setFileDialogHandler([this](FileDialogMode, FileRequest& request) {
        request.setChosenPaths(dialogFiles_);
        dialogFiles_.clear();
        return !request.result.empty();
    });
    context_.setQuestionHandler([this](const std::string& text, const std::string& caption,
                                       MessageButtons buttons) {
        switch (buttons) {
        case MessageButtons::OkCancel:
            return okCancelAnswer_;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoDefaultNo:
            return MessageAnswer::No;
        case MessageButtons::Ok:
            break;
        }
        // A message box only informs: its text goes to standard error.
        if (progress_)
            progress_->erase();
        std::fprintf(err_, "%s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ", text.c_str());
        return MessageAnswer::Ok;
    });
    context_.setPumpHandler([this] { pump(); });
}

CliSession::~CliSession()
{
    if (progress_)
        progress_->endBatch();
    std::fflush(out_);
}

void CliSession::run(const ParsedAction& action)
{
    if (runGuarded(context_, action.definition->name, [&] { action.definition->run(*this, action); }))
        return;
    ++failedActions_;
    setBatch({});
}

int CliSession::finish()
{
    if (progress_)
        progress_->endBatch();
    if (stoppedReads_ > 0)
        writeLogLine("Exit status 1: a read was stopped (Ctrl-C) before the end of its file, so the data read, "
                     "and anything saved after the stop, is incomplete.");
    if (std::fflush(out_) != 0 && outputError_.empty())
        outputError_ = std::strerror(errno);
    if (!outputError_.empty())
        std::fprintf(err_, "tsl: the log could not be written to standard output: %s\n", outputError_.c_str());
    const bool failed = failedReads_ > 0 || stoppedReads_ > 0 || failedSaves_ > 0 || failedActions_ > 0 ||
                        !outputError_.empty();
    return failed ? 1 : 0;
}

void CliSession::setBatch(std::vector<std::string> files)
{
    readRunning = files.empty() ? 0 : 1;
    if (progress_) {
        if (files.empty())
            progress_->endBatch();
        else
            progress_->startBatch(std::move(files));
    }
}

void CliSession::writeLogLine(const std::string& line)
{
    if (progress_)
        progress_->erase();
    std::size_t length = line.size();
    if (length > 0 && line[length - 1] == '\n')
        --length;
    // Line by line, so that a crash or a kill loses none of the log.
    const bool written = std::fwrite(line.data(), 1, length, out_) == length && std::fputc('\n', out_) != EOF &&
                         std::fflush(out_) == 0;
    if (!written && outputError_.empty())
        outputError_ = std::strerror(errno != 0 ? errno : EIO);
}

void CliSession::pump()
{
    ReadingState& reading = context_.reading();
    if (interrupts == 1) {
        // As "Stop Reading" answered Yes: the file being read ends.
        reading.stopRequested = 1;
        interrupts = 2;
    }
    if (progress_)
        progress_->update();
}

} // namespace tsl::cli
