#pragma once

#include "app/headless_context.h"

#include <deque>
#include <string>
#include <vector>

namespace tsl::testing {

// A headless context whose dialogs and questions are scripted by the test:
// each file dialog takes the next queued choice (an empty list cancels), each
// question the next queued answer.
class ScriptedContext : public HeadlessContext {
public:
    ScriptedContext();

    void chooseFiles(std::vector<std::string> paths) { fileChoices_.push_back(std::move(paths)); }
    void answer(MessageAnswer answer) { answers_.push_back(answer); }

    // Log lines appended after the welcome block.
    std::vector<std::string> newLines() const;
    const std::vector<std::string>& questionsAsked() const { return questions_; }
    const std::vector<FileRequest>& dialogsShown() const { return dialogs_; }

private:
    std::deque<std::vector<std::string>> fileChoices_;
    std::deque<MessageAnswer> answers_;
    std::vector<std::string> questions_;
    std::vector<FileRequest> dialogs_;
    std::size_t welcomeLines_;
};

} // namespace tsl::testing
