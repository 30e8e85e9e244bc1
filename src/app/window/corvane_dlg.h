#pragma once

#include "app/chart/plot_dlg.h"
#include "app/command_context.h"
#include "app/window/control_rows.h"
#include "app/window/file_dialogs.h"
#include "app/window/message_pump.h"
#include "app/window/question_box.h"
#include "app/window/read_progress_watcher.h"
#include "input/import_command.h"
#include "tree/data_tree.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tsl {

class CCorvaneDlg;
class CLogList;

// What a control reports, as the command map names it.
enum class Notification {
    Clicked,         // a button or check box was clicked
    SelectionChange, // a drop-down list's selection changed
    KillFocus,       // an edit lost the keyboard focus
    Command,         // a menu entry or a shortcut (no control)
};

// One line of the command map: the control (or command number) and what it
// reports, and the handler that runs.
struct MessageMapEntry {
    int id;
    Notification notification;
    void (CCorvaneDlg::*handler)();
};

// The About entry's command number.
inline constexpr int aboutCommandId = 16;

// The main window. It owns the controls (which hold the settings), the data
// tree, the message log, the shared file request and the reading state, and
// is the context every command runs in.
class CCorvaneDlg : public QDialog, public CommandContext {
    Q_OBJECT
public:
    explicit CCorvaneDlg(QWidget* parent = nullptr);
    ~CCorvaneDlg() override;

    static std::span<const MessageMapEntry> GetMessageMap();

    // --- CommandContext ---
    ToolSettings settings() const override;
    void setDateFormat(DateFormatId format) override;
    void setTimeDelimiter(bool checked) override;
    void setWriteStartDate(std::time_t localTime) override;
    void setConversionColumn(const std::string& text) override;
    MessageLog& log() override { return log_; }
    DataTree& tree() override { return tree_; }
    ReadingState& reading() override { return reading_; }
    FilesRead& filesRead() override { return filesRead_; }
    FileRequest& fileRequest() override { return fileRequest_; }
    bool runFileDialog(FileDialogMode mode) override;
    MessageAnswer messageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons) override;
    bool pumpMessages() override;
    void enableControl(ControlId id, bool enabled) override;
    void setControlText(ControlId id, const std::string& text) override;
    void readBatchStarted(const std::vector<std::string>& paths) override;
    void readBatchEnded() override;

    // --- the window ---
    // The control with that identifier (nullptr for none).
    QWidget* control(ControlId id) const;
    template <class Widget>
    Widget* controlAs(ControlId id) const { return qobject_cast<Widget*>(control(id)); }
    QProgressBar* readProgressBar() const { return progress_; }

    // Replace the real dialogs (tests answer in the user's place).
    void setFileDialogProvider(FileDialogProvider provider) { fileDialog_ = std::move(provider); }
    void setQuestionProvider(QuestionProvider provider) { question_ = std::move(provider); }
    // Shows what an import found, file by file, and answers whether to go on
    // (reviewImport unless a test answers). The folder the review leaves is
    // kept for the session.
    void setImportReview(ImportReview review) { importReview_ = std::move(review); }
    MessagePump& messagePump() { return pump_; }
    const std::string& importFolder() const { return importFolder_; }

    // The rows of controls as the window shows them, top to bottom; Tab
    // follows them.
    const std::vector<ControlRow>& controlRows() const { return rows_; }
    // Whether closing now would lose data (changed and not saved since) or
    // stop a read: then the window asks first.
    bool closeLosesWork() const;

    // Files dropped onto the window (or handed over as if they were): read now,
    // or once the running read has ended.
    void dropFiles(const std::vector<std::string>& paths);
    // Files named on the command line: read as a drop once the window runs.
    // Relative names are taken from the current folder.
    void openAtStart(const std::vector<std::string>& paths);

    // --- the command map's handlers ---
    void OnIntervalChanged();
    void OnReductionChanged();
    void OnLineLabelToggled();
    void OnPreviewData();
    // Opens the chart window, or brings it forward with the data as it stands.
    void OnPlotData();
    CPlotDlg* plotWindow() const { return plotWindow_.data(); }
    void OnCloseButton();
    void OnReadLabelTemplate();
    void OnSplitChanged();
    void OnConvertUnits();
    void OnReadCsvData();
    void OnSaveToXml();
    void OnFillDatabase();
    void OnConversionChanged();
    void OnClearCsvData();
    void OnSaveToCsv();
    void OnSaveToExcel();
    void OnFillValue();
    void OnFillBlanks();
    void OnSetOutputTemplate();
    void OnDelimiterEdited();
    void OnTimeDelimiterToggled();
    void OnBracketToggled();
    void OnDateFormatChanged();
    void OnWriteDateToggled();
    void OnAbout();
    void OnImportExports();
    void OnDecimalsChanged();
    void OnSortRowsToggled();
    // Prepares logger exports for the reader and reads them (the button, or
    // files dropped on it).
    void importFiles(const std::vector<std::string>& paths);

public slots:
    // The close box.
    void reject() override;

protected:
    // Escape does nothing; Enter in an edit field only commits that field.
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class PendingClose { None, Ok, Cancel };

    void createControls();
    // Controls beyond the window's original ones, in the order they stand in
    // their own row below the others.
    ControlRow addedControls();
    // The group box of the bracket's check box and its two times.
    QGroupBox* bracketGroup();
    // The window's rows of controls, top to bottom, the bracket's box among them.
    std::vector<ControlRow> controlRows(QGroupBox* bracket);
    void arrangeControls();
    // Binds each identifier to its control.
    void DoDataExchange();
    void wireMessageMap();
    // The reader asks for the settings on every line; reading a date picker
    // costs a local-time conversion, so the controls' values are kept until
    // one of them changes.
    void watchSettingsControls();
    void OnInitDialog();

    // Runs one command; what had to wait for the commands under way (a close,
    // dropped files) runs once the outermost has returned.
    // A command that fails on an exception is logged as failed by its name.
    void runCommand(std::string_view name, const std::function<void()>& command);
    // The name a failed command is logged by: its button's caption.
    std::string commandName(int id) const;
    void runDeferredWork();
    void requestClose(PendingClose kind);
    bool confirmClose();
    void finishClose(PendingClose kind);
    void startProgress(const std::vector<std::string>& paths);
    void updateProgress();
    void endProgress();
    // A command whose part this build leaves out, such as the database.
    void notInThisBuild(const char* command, const char* missingPart);
    void importWhenIdle(const std::vector<std::string>& paths);
    // During a batch the window stays in its reading state from the first file
    // to the last, even when a failed file asks for the idle state in between:
    // the next file is already being read into the tree.
    bool holdForBatch(ControlId id, bool enabled);
    bool holdForBatch(ControlId id, const std::string& text);
    void releaseHeldState();

    DataTree tree_;
    MessageLog log_;
    ReadingState reading_;
    FilesRead filesRead_;
    FileRequest fileRequest_;

    FileDialogProvider fileDialog_;
    QuestionProvider question_;
    ImportReview importReview_;
    MessagePump pump_;
    ReadProgressWatcher progressWatcher_;
    QElapsedTimer sinceProgressUpdate_;

    mutable std::optional<ToolSettings> settingsCache_;
    std::map<int, QWidget*> controls_;
    std::map<QObject*, std::function<void()>> killFocusHandlers_;
    std::map<int, std::function<void()>> commandHandlers_;

    int commandDepth_ = 0;
    PendingClose pendingClose_ = PendingClose::None;
    bool closing_ = false;
    // Files dropped during a read, and whether they were dropped to import.
    std::deque<std::pair<std::vector<std::string>, bool>> pendingDrops_;
    std::string importFolder_;
    std::vector<ControlRow> rows_;
    std::map<int, bool> heldEnabled_;
    std::map<int, std::string> heldText_;

    QComboBox* interval_ = nullptr;
    QComboBox* reduction_ = nullptr;
    QCheckBox* lineLabel_ = nullptr;
    QPushButton* previewData_ = nullptr;
    QPushButton* plotData_ = nullptr;
    QPointer<CPlotDlg> plotWindow_;
    QPushButton* importExports_ = nullptr;
    QPushButton* close_ = nullptr;
    QLineEdit* templateFileName_ = nullptr;
    QPushButton* readLabelTemplate_ = nullptr;
    QComboBox* split_ = nullptr;
    QPushButton* convertUnits_ = nullptr;
    QLineEdit* dataFileName_ = nullptr;
    QPushButton* readCsvData_ = nullptr;
    QPushButton* saveToXml_ = nullptr;
    QPushButton* fillDatabase_ = nullptr;
    QComboBox* conversion_ = nullptr;
    QPushButton* clearCsvData_ = nullptr;
    QPushButton* saveToCsv_ = nullptr;
    QPushButton* saveToExcel_ = nullptr;
    QPushButton* fillValue_ = nullptr;
    QLineEdit* conversionColumn_ = nullptr;
    QPushButton* fillBlanks_ = nullptr;
    QPushButton* setOutputTemplate_ = nullptr;
    QLineEdit* delimiter_ = nullptr;
    QCheckBox* timeDelimiter_ = nullptr;
    QCheckBox* bracketEnable_ = nullptr;
    QDateTimeEdit* bracketStart_ = nullptr;
    QDateTimeEdit* bracketEnd_ = nullptr;
    QComboBox* dateFormat_ = nullptr;
    QCheckBox* writeDateFrom_ = nullptr;
    QDateTimeEdit* writeStartDate_ = nullptr;
    CLogList* logList_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QComboBox* decimals_ = nullptr;
    QCheckBox* sortRows_ = nullptr;
};

} // namespace tsl
