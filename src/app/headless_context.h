#pragma once

#include "app/command_context.h"
#include "tree/data_tree.h"

#include <functional>
#include <map>

namespace tsl {

// A context without widgets: the settings are plain values, dialogs and
// questions are answered by callbacks. Used by the batch front end and tests.
class HeadlessContext : public CommandContext {
public:
    using FileDialogHandler = std::function<bool(FileDialogMode, FileRequest&)>;
    using QuestionHandler = std::function<MessageAnswer(const std::string& text, const std::string& caption,
                                                        MessageButtons buttons)>;
    using PumpHandler = std::function<void()>;

    // Starts as the window starts: default settings, an empty tree, the file
    // request at its start values, and the welcome block in the log.
    HeadlessContext();

    ToolSettings settings() const override { return settings_; }
    DateFormatId dateFormat() const override { return settings_.dateFormat; }
    bool bracketEnabled() const override { return settings_.bracketEnabled; }
    void setDateFormat(DateFormatId format) override { settings_.dateFormat = format; }
    void setTimeDelimiter(bool checked) override { settings_.timeDelimiter = checked; }
    void setWriteStartDate(std::time_t localTime) override { settings_.writeStartDate = localTime; }
    void setConversionColumn(const std::string& text) override { settings_.conversionColumn = text; }

    MessageLog& log() override { return log_; }
    const MessageLog& log() const { return log_; }
    DataTree& tree() override { return tree_; }
    ReadingState& reading() override { return reading_; }
    FilesRead& filesRead() override { return filesRead_; }
    FileRequest& fileRequest() override { return fileRequest_; }

    // Without a handler every dialog is cancelled.
    bool runFileDialog(FileDialogMode mode) override;
    // Without a handler every question gets its negative answer (No, Cancel).
    MessageAnswer messageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons) override;
    bool pumpMessages() override;

    void enableControl(ControlId id, bool enabled) override { enabled_[id] = enabled; }
    void setControlText(ControlId id, const std::string& text) override { texts_[id] = text; }

    // The settings as a front end changes them (the user working the controls).
    ToolSettings& editSettings() { return settings_; }
    bool isEnabled(ControlId id) const;
    std::string controlText(ControlId id) const;

    void setFileDialogHandler(FileDialogHandler handler) { fileDialog_ = std::move(handler); }
    void setQuestionHandler(QuestionHandler handler) { question_ = std::move(handler); }
    void setPumpHandler(PumpHandler handler) { pump_ = std::move(handler); }

private:
    ToolSettings settings_;
    MessageLog log_;
    DataTree tree_;
    ReadingState reading_;
    FilesRead filesRead_;
    FileRequest fileRequest_;
    std::map<ControlId, bool> enabled_;
    std::map<ControlId, std::string> texts_;
    FileDialogHandler fileDialog_;
    QuestionHandler question_;
    PumpHandler pump_;
};

} // namespace tsl
