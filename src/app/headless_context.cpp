#include "app/headless_context.h"

#include "app/settings_commands.h"

namespace tsl {

HeadlessContext::HeadlessContext() : fileRequest_(FileRequest::startValues())
{
    initialiseSettings(*this);
    appendWelcomeBlock(log_);
}

bool HeadlessContext::runFileDialog(FileDialogMode mode)
{
    if (!fileDialog_) {
        fileRequest_.setChosenPaths({});
        return false;
    }
    return fileDialog_(mode, fileRequest_);
}

MessageAnswer HeadlessContext::messageBox(const std::string& text, const std::string& caption,
                                          MessageButtons buttons)
{
    if (question_)
        return question_(text, caption, buttons);
    return negativeAnswer(buttons);
}

bool HeadlessContext::pumpMessages()
{
    try {
        if (pump_)
            pump_();
    } catch (...) {
        return false;
    }
    return true;
}

bool HeadlessContext::isEnabled(ControlId id) const
{
    auto it = enabled_.find(id);
    return it == enabled_.end() ? true : it->second;
}

std::string HeadlessContext::controlText(ControlId id) const
{
    auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
}

} // namespace tsl
