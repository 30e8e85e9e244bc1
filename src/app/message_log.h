#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// The program's one channel of feedback: an append-only list of lines (UTF-8).
// Front ends watch it to show the lines as they come.
class MessageLog {
public:
    using AppendListener = std::function<void(const std::string& line)>;
    using ShowLastListener = std::function<void()>;

    void append(std::string line);
    // Selects the last line, which scrolls it into view.
    void showLast();

    const std::vector<std::string>& lines() const { return lines_; }
    std::size_t size() const { return lines_.size(); }
    std::optional<std::size_t> selected() const { return selected_; }

    void setAppendListener(AppendListener listener) { onAppend_ = std::move(listener); }
    void setShowLastListener(ShowLastListener listener) { onShowLast_ = std::move(listener); }

private:
    std::vector<std::string> lines_;
    std::optional<std::size_t> selected_;
    AppendListener onAppend_;
    ShowLastListener onShowLast_;
};

// Text from data files is 8-bit as read. It goes into the log as UTF-8: valid
// UTF-8 stays as it is, anything else is taken as Latin-1.
std::string logText(std::string_view bytes);

} // namespace tsl
