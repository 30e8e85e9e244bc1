#pragma once

#include "app/command_context.h"

#include <functional>
#include <string>

class QWidget;

namespace tsl {

// Asks the user a question in a message box and returns the button pressed.
// The window holds one of these so that tests can answer in its place.
using QuestionProvider =
    std::function<MessageAnswer(const std::string& text, const std::string& caption, MessageButtons buttons)>;

MessageAnswer runQtQuestion(QWidget* parent, const std::string& text, const std::string& caption,
                            MessageButtons buttons);

} // namespace tsl
