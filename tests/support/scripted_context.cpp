#include "support/scripted_context.h"

namespace tsl::testing {

ScriptedContext::ScriptedContext() : welcomeLines_(log().size())
{
    setFileDialogHandler([this](FileDialogMode, FileRequest& request) {
        dialogs_.push_back(request);
        std::vector<std::string> paths;
        if (!fileChoices_.empty()) {
            paths = std::move(fileChoices_.front());
            fileChoices_.pop_front();
        }
        request.setChosenPaths(paths);
        return !paths.empty();
    });
    setQuestionHandler([this](const std::string& text, const std::string&, MessageButtons buttons) {
        questions_.push_back(text);
        if (!answers_.empty()) {
            MessageAnswer next = answers_.front();
            answers_.pop_front();
            return next;
        }
        return negativeAnswer(buttons);
    });
}

std::vector<std::string> ScriptedContext::newLines() const
{
    const auto& all = log().lines();
    return {all.begin() + static_cast<std::ptrdiff_t>(welcomeLines_), all.end()};
}

} // namespace tsl::testing
