#pragma once

#include <functional>
#include <string_view>

namespace tsl {

class CommandContext;

// Runs one command. No exception gets out of it: one that does is logged as
// the command's failure, a read the command had started is ended as a failed
// one would be (the window idle again), and the answer is false. What the
// command did before it failed stays as it is.
bool runGuarded(CommandContext& context, std::string_view command, const std::function<void()>& body);

} // namespace tsl
