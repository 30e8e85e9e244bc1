#include "app/window/corvane_dlg.h"

#include "app/window/import_review_dlg.h"

#include "app/command_guard.h"
#include "app/settings_commands.h"
#include "app/window/log_list.h"
#include "app/window/window_icon.h"
#include "input/read_commands.h"
#include "output/save_target.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tsl {

namespace {

bool disabledDuringRead(ControlId id)
{
    return std::find(std::begin(readLockedControls), std::end(readLockedControls), id) !=
           std::end(readLockedControls);
}

QString fromNarrow(const std::string& text)
{
    return QString::fromStdString(logText(text));
}

template <std::size_t N>
void fillList(QComboBox* list, const std::array<std::string_view, N>& items)
{
    for (std::string_view item : items)
        list->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
}

QDateTimeEdit* makeTimePicker(QWidget* parent)
{
    auto* picker = new QDateTimeEdit(parent);
    picker->setDisplayFormat("HH:mm:ss");
    return picker;
}

// A control with its "< caption" to the right.
QHBoxLayout* withCaption(QWidget* control, const char* caption, QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->addWidget(control);
    row->addWidget(new QLabel(caption, parent));
    row->addStretch(1);
    return row;
}

// Enter and Escape reach the window when the focused control leaves them;
// these are the controls where Enter ends typing a value.
bool isEditField(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget))
            return true;
        if (widget->isWindow())
            break;
    }
    return false;
}

class ScopedCount {
public:
    explicit ScopedCount(int& count) : count_(count) { ++count_; }
    ~ScopedCount() { --count_; }
    ScopedCount(const ScopedCount&) = delete;
    ScopedCount& operator=(const ScopedCount&) = delete;

private:
    int& count_;
};

} // namespace

CCorvaneDlg::CCorvaneDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Zorbelin Tessaloom v1.1");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    importReview_ = [this](ImportPlan& plan, std::string& folder) { return reviewImport(this, plan, folder); };
    createControls();
    arrangeControls();
    DoDataExchange();
    // Before the commands: a command reads the settings its change made.
    watchSettingsControls();
    wireMessageMap();

    log_.setAppendListener([this](const std::string& line) { logList_->appendLine(QString::fromStdString(line)); });
    log_.setShowLastListener([this] { logList_->showLast(); });
    OnInitDialog();
}

CCorvaneDlg::~CCorvaneDlg()
{
    // Child widgets outlive this part of the object; none may reach it.
    closing_ = true;
    for (auto& [watched, handler] : killFocusHandlers_)
        watched->removeEventFilter(this);
    log_.setAppendListener({});
    log_.setShowLastListener({});
}

void CCorvaneDlg::createControls()
{
    interval_ = new QComboBox(this);
    reduction_ = new QComboBox(this);
    lineLabel_ = new QCheckBox("Line Label", this);
    previewData_ = new QPushButton("Preview Data", this);
    plotData_ = new QPushButton("Plot Data", this);
    plotData_->setToolTip("Chart the data as it stands");
    importExports_ = new QPushButton("Import Exports...", this);
    importExports_->setToolTip("Read exports of other shapes: choose them, or drop them here");
    close_ = new QPushButton("Close", this);
    templateFileName_ = new QLineEdit(this);
    readLabelTemplate_ = new QPushButton("Read &Label Template", this);
    split_ = new QComboBox(this);
    convertUnits_ = new QPushButton("Convert Units", this);
    dataFileName_ = new QLineEdit(this);
    readCsvData_ = new QPushButton(readButtonCaption, this);
    saveToXml_ = new QPushButton("Save to XML", this);
    fillDatabase_ = new QPushButton("Fill Database", this);
    conversion_ = new QComboBox(this);
    clearCsvData_ = new QPushButton("Clear CSV Data", this);
    saveToCsv_ = new QPushButton("&Save to CSV", this);
    saveToExcel_ = new QPushButton("Save to Excel", this);
    saveToExcel_->setToolTip("Save the merged data as an Excel workbook");
    fillValue_ = new QPushButton("Fill Value", this);
    conversionColumn_ = new QLineEdit(this);
    fillBlanks_ = new QPushButton("Fill Blanks", this);
    setOutputTemplate_ = new QPushButton("Set Output Template", this);
    delimiter_ = new QLineEdit(this);
    timeDelimiter_ = new QCheckBox("Time Delimiter", this);
    bracketEnable_ = new QCheckBox("Enable", this);
    bracketStart_ = makeTimePicker(this);
    bracketEnd_ = makeTimePicker(this);
    dateFormat_ = new QComboBox(this);
    writeDateFrom_ = new QCheckBox("Write date starting at:", this);
    writeStartDate_ = new QDateTimeEdit(this);
    writeStartDate_->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    writeStartDate_->setCalendarPopup(true);
    logList_ = new CLogList(this);
    progress_ = new QProgressBar(this);
    decimals_ = new QComboBox(this);
    decimals_->setToolTip("Decimals of the readings stored from the next file read on");
    sortRows_ = new QCheckBox("Sort rows by time", this);
    sortRows_->setToolTip("Place the rows of the next files read at their place in time");

    close_->setDefault(true);
    lineLabel_->setVisible(false);
    delimiter_->setMaximumWidth(40);
    // The path fields show what was chosen; typing there would change nothing.
    for (QLineEdit* path : {templateFileName_, dataFileName_})
        path->setReadOnly(true);
    templateFileName_->setToolTip("The last label template file read");
    dataFileName_->setToolTip("The last data file chosen");
    conversionColumn_->setToolTip("Convert Units works on the columns whose label contains this text");

    QSizePolicy keepSpace = progress_->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keepSpace);
    progress_->setRange(0, 1000);
    progress_->setTextVisible(true);
    progress_->hide();
}

ControlRow CCorvaneDlg::addedControls()
{
    return {importExports_, plotData_, saveToExcel_, withCaption(decimals_, "< Decimals", this), sortRows_};
}

QGroupBox* CCorvaneDlg::bracketGroup()
{
    auto* bracket = new QGroupBox("Bracket Evaluation Time", this);
    auto* bracketRow = new QHBoxLayout(bracket);
    bracketRow->addWidget(bracketEnable_);
    bracketRow->addSpacing(24);
    bracketRow->addWidget(new QLabel("Start Eval", bracket));
    bracketRow->addWidget(bracketStart_);
    bracketRow->addSpacing(24);
    bracketRow->addWidget(new QLabel("End Eval", bracket));
    bracketRow->addWidget(bracketEnd_);
    bracketRow->addStretch(1);
    return bracket;
}

std::vector<ControlRow> CCorvaneDlg::controlRows(QGroupBox* bracket)
{
    // The rows of the window's table of controls, each in its order; the
    // controls added since stand in a row of their own, so that none of
    // these moves.
    constexpr int columns = 5;
    return {
        {withCaption(interval_, "< Data Interval", this), withCaption(reduction_, "< Average/Sample Data", this),
         lineLabel_, previewData_, close_},
        {templateFileName_, readLabelTemplate_, withCaption(split_, "< Split Output File", this), convertUnits_},
        {dataFileName_, readCsvData_, saveToXml_, fillDatabase_, conversion_},
        {clearCsvData_, saveToCsv_, fillValue_, conversionColumn_},
        {fillBlanks_, setOutputTemplate_, withCaption(delimiter_, "< CSV Delimiter", this), timeDelimiter_},
        {ControlCell(bracket, columns)},
        {withCaption(dateFormat_, "< Date Format", this), writeDateFrom_, writeStartDate_},
        addedControls(),
    };
}

void CCorvaneDlg::arrangeControls()
{
    rows_ = controlRows(bracketGroup());
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    placeRows(*grid, rows_);

    // Tab follows the rows, then goes to the log.
    std::vector<QWidget*> order = focusOrder(rows_);
    order.push_back(logList_);
    chainTabOrder(order);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(logList_, 1);
    layout->addWidget(progress_);
    resize(1000, 600);
}

void CCorvaneDlg::DoDataExchange()
{
    const std::pair<ControlId, QWidget*> bindings[] = {
        {ControlId::IntervalList, interval_},
        {ControlId::ReductionList, reduction_},
        {ControlId::LineLabel, lineLabel_},
        {ControlId::PreviewData, previewData_},
        {ControlId::PlotData, plotData_},
        {ControlId::ImportExports, importExports_},
        {ControlId::Close, close_},
        {ControlId::TemplateFileName, templateFileName_},
        {ControlId::ReadLabelTemplate, readLabelTemplate_},
        {ControlId::SplitList, split_},
        {ControlId::ConvertUnits, convertUnits_},
        {ControlId::DataFileName, dataFileName_},
        {ControlId::ReadCsvData, readCsvData_},
        {ControlId::SaveToXml, saveToXml_},
        {ControlId::FillDatabase, fillDatabase_},
        {ControlId::ConversionList, conversion_},
        {ControlId::ClearCsvData, clearCsvData_},
        {ControlId::SaveToCsv, saveToCsv_},
        {ControlId::SaveToExcel, saveToExcel_},
        {ControlId::FillValue, fillValue_},
        {ControlId::ConversionColumn, conversionColumn_},
        {ControlId::FillBlanks, fillBlanks_},
        {ControlId::SetOutputTemplate, setOutputTemplate_},
        {ControlId::Delimiter, delimiter_},
        {ControlId::TimeDelimiter, timeDelimiter_},
        {ControlId::BracketEnable, bracketEnable_},
        {ControlId::BracketStart, bracketStart_},
        {ControlId::BracketEnd, bracketEnd_},
        {ControlId::DateFormatList, dateFormat_},
        {ControlId::WriteDateFrom, writeDateFrom_},
        {ControlId::WriteStartDate, writeStartDate_},
        {ControlId::Log, logList_},
        {ControlId::Decimals, decimals_},
        {ControlId::SortRows, sortRows_},
    };
    for (const auto& [id, widget] : bindings) {
        controls_[static_cast<int>(id)] = widget;
        widget->setObjectName(QString("control%1").arg(static_cast<int>(id)));
    }
}

void CCorvaneDlg::wireMessageMap()
{
    for (const MessageMapEntry& entry : GetMessageMap()) {
        auto handler = entry.handler;
        std::function<void()> run = [this, handler, id = entry.id] {
            runCommand(commandName(id), [this, handler] { (this->*handler)(); });
        };
        QWidget* widget = control(static_cast<ControlId>(entry.id));
        switch (entry.notification) {
        case Notification::Clicked:
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                connect(button, &QAbstractButton::clicked, this, run);
            break;
        case Notification::SelectionChange:
            if (auto* list = qobject_cast<QComboBox*>(widget))
                connect(list, &QComboBox::currentIndexChanged, this, run);
            break;
        case Notification::KillFocus:
            if (widget) {
                killFocusHandlers_[widget] = run;
                widget->installEventFilter(this);
            }
            break;
        case Notification::Command:
            commandHandlers_[entry.id] = run;
            break;
        }
    }
}

void CCorvaneDlg::watchSettingsControls()
{
    auto changed = [this] { settingsCache_.reset(); };
    for (QComboBox* list : {interval_, reduction_, dateFormat_, split_, conversion_, decimals_})
        connect(list, &QComboBox::currentIndexChanged, this, changed);
    for (QCheckBox* box : {timeDelimiter_, bracketEnable_, writeDateFrom_, lineLabel_, sortRows_})
        connect(box, &QCheckBox::toggled, this, changed);
    for (QLineEdit* edit : {delimiter_, conversionColumn_})
        connect(edit, &QLineEdit::textChanged, this, changed);
    for (QDateTimeEdit* picker : {bracketStart_, bracketEnd_, writeStartDate_})
        connect(picker, &QDateTimeEdit::dateTimeChanged, this, changed);
}

void CCorvaneDlg::OnInitDialog()
{
    setAcceptDrops(true);

    // The About entry: the window manager owns the title bar's menu, so it
    // sits in the window's context menu and on F1.
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, [this] { commandHandlers_.at(aboutCommandId)(); });
    // Ctrl+Q closes as the Close button does.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, close_, &QPushButton::click);
    setWindowIcon(tessaloomIcon());

    // The lists and their first selections are set up without their
    // commands running: nothing has changed yet.
    {
        QSignalBlocker blockInterval(interval_), blockReduction(reduction_), blockDate(dateFormat_),
            blockSplit(split_), blockConversion(conversion_), blockDecimals(decimals_);
        fillList(interval_, intervalItems);
        interval_->setCurrentIndex(static_cast<int>(DataInterval::Min1));
        delimiter_->setText(",");
        fillList(conversion_, conversionItems);
        conversion_->setCurrentIndex(0);
        conversionColumn_->setText("TEMP");
        fillList(reduction_, reductionItems);
        reduction_->setCurrentIndex(static_cast<int>(ReductionMode::Averaging));
        fillList(dateFormat_, dateFormatItems);
        dateFormat_->setCurrentIndex(1);
        fillList(split_, splitItems);
        split_->setCurrentIndex(0);
        for (int decimals = 0; decimals <= maxDecimals; ++decimals)
            decimals_->addItem(QString::number(decimals));
        decimals_->setCurrentIndex(ToolSettings{}.decimals);
    }
    bracketEnable_->setChecked(false);
    timeDelimiter_->setChecked(true);
    const QDate pickerDay(2010, 1, 4);
    bracketStart_->setDateTime(QDateTime(pickerDay, QTime(7, 0, 0)));
    bracketEnd_->setDateTime(QDateTime(pickerDay, QTime(18, 0, 0)));
    initialiseSettings(*this);
    settingsCache_.reset();

    fileRequest_ = FileRequest::startValues();
    appendWelcomeBlock(log_);
}

// --- CommandContext ---

ToolSettings CCorvaneDlg::settings() const
{
    if (settingsCache_)
        return *settingsCache_;
    auto timeOf = [](const QDateTimeEdit* picker) {
        QTime time = picker->time();
        return TimeOfDay{time.hour(), time.minute(), time.second()};
    };
    ToolSettings now;
    now.interval = static_cast<DataInterval>(interval_->currentIndex());
    now.reduction = static_cast<ReductionMode>(reduction_->currentIndex());
    now.dateFormat = dateFormat_->currentIndex();
    now.timeDelimiter = timeDelimiter_->isChecked();
    now.delimiter = delimiter_->text().toStdString();
    now.splitDays = split_->currentIndex();
    now.bracketEnabled = bracketEnable_->isChecked();
    now.bracketStart = timeOf(bracketStart_);
    now.bracketEnd = timeOf(bracketEnd_);
    now.writeDateFrom = writeDateFrom_->isChecked();
    now.writeStartDate = static_cast<std::time_t>(writeStartDate_->dateTime().toSecsSinceEpoch());
    now.lineLabelled = lineLabel_->isChecked();
    now.conversion = conversion_->currentIndex();
    now.conversionColumn = conversionColumn_->text().toStdString();
    now.decimals = decimals_->currentIndex();
    now.sortRows = sortRows_->isChecked();
    settingsCache_ = now;
    return now;
}

void CCorvaneDlg::setDateFormat(DateFormatId format)
{
    // A choice made by the program, not the user: no command runs.
    QSignalBlocker block(dateFormat_);
    dateFormat_->setCurrentIndex(format);
    settingsCache_.reset();
}

void CCorvaneDlg::setTimeDelimiter(bool checked)
{
    timeDelimiter_->setChecked(checked);
}

void CCorvaneDlg::setWriteStartDate(std::time_t localTime)
{
    writeStartDate_->setDateTime(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(localTime)));
}

void CCorvaneDlg::setConversionColumn(const std::string& text)
{
    conversionColumn_->setText(fromNarrow(text));
}

bool CCorvaneDlg::runFileDialog(FileDialogMode mode)
{
    auto showDialog = [this, mode] {
        return fileDialog_ ? fileDialog_(mode, fileRequest_) : runQtFileDialog(this, mode, fileRequest_);
    };
    const bool chosen =
        mode == FileDialogMode::Save && (fileRequest_.options & FileRequest::OverwritePrompt)
            ? chooseSaveName(fileRequest_, showDialog,
                             [this](const std::string& question) {
                                 // A target the save refuses is not asked about: the
                                 // save says why it leaves the file alone.
                                 if (!examineSaveTarget(fileRequest_.result, filesRead()).refusal.empty())
                                     return true;
                                 return messageBox(question, "Tessaloom", MessageButtons::YesNoDefaultNo) ==
                                        MessageAnswer::Yes;
                             })
            : showDialog();
    return chosen;
}

MessageAnswer CCorvaneDlg::messageBox(const std::string& text, const std::string& caption,
                                      MessageButtons buttons)
{
    if (question_)
        return question_(text, caption, buttons);
    return runQtQuestion(this, text, caption, buttons);
}

bool CCorvaneDlg::pumpMessages()
{
    // A close waits for the read; every file left in the batch stops at once.
    if (pendingClose_ != PendingClose::None && reading_.busy())
        reading_.stopRequested = 1;
    if (!pump_.due())
        return true;
    try {
        if (progressWatcher_.active() && sinceProgressUpdate_.elapsed() >= 200)
            updateProgress();
        QCoreApplication::processEvents();
    } catch (...) {
        return false;
    }
    return true;
}

void CCorvaneDlg::enableControl(ControlId id, bool enabled)
{
    if (holdForBatch(id, enabled))
        return;
    if (QWidget* widget = control(id))
        widget->setEnabled(enabled);
}

void CCorvaneDlg::setControlText(ControlId id, const std::string& text)
{
    if (holdForBatch(id, text))
        return;
    QWidget* widget = control(id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(fromNarrow(text));
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(fromNarrow(text));
}

QWidget* CCorvaneDlg::control(ControlId id) const
{
    auto it = controls_.find(static_cast<int>(id));
    return it == controls_.end() ? nullptr : it->second;
}

// --- reading state across a batch ---

bool CCorvaneDlg::holdForBatch(ControlId id, bool enabled)
{
    if (reading_.batchDepth == 0 || !disabledDuringRead(id))
        return false;
    heldEnabled_[static_cast<int>(id)] = enabled;
    // Disabling is never held back.
    return enabled;
}

bool CCorvaneDlg::holdForBatch(ControlId id, const std::string& text)
{
    if (reading_.batchDepth == 0 || id != ControlId::ReadCsvData)
        return false;
    heldText_[static_cast<int>(id)] = text;
    return text != stopButtonCaption;
}

void CCorvaneDlg::releaseHeldState()
{
    auto enabled = std::move(heldEnabled_);
    auto texts = std::move(heldText_);
    heldEnabled_.clear();
    heldText_.clear();
    for (const auto& [id, state] : enabled)
        enableControl(static_cast<ControlId>(id), state);
    for (const auto& [id, text] : texts)
        setControlText(static_cast<ControlId>(id), text);
}

void CCorvaneDlg::readBatchStarted(const std::vector<std::string>& paths)
{
    startProgress(paths);
}

void CCorvaneDlg::readBatchEnded()
{
    endProgress();
    releaseHeldState();
}

// --- progress of a read ---

void CCorvaneDlg::startProgress(const std::vector<std::string>& paths)
{
    progressWatcher_.startBatch(paths);
    progress_->setValue(0);
    progress_->setFormat(QString("File 1 of %1").arg(paths.size()));
    progress_->show();
    sinceProgressUpdate_.start();
}

void CCorvaneDlg::updateProgress()
{
    sinceProgressUpdate_.restart();
    std::optional<ReadPosition> where = progressWatcher_.poll();
    if (!where)
        return;
    progress_->setValue(static_cast<int>(std::lround(where->fraction * 1000.0)));
    progress_->setFormat(QString("File %1 of %2: %p%").arg(where->fileIndex + 1).arg(where->fileCount));
}

void CCorvaneDlg::endProgress()
{
    progressWatcher_.endBatch();
    progress_->hide();
}

// --- commands, closing, drops ---

std::string CCorvaneDlg::commandName(int id) const
{
    if (id == aboutCommandId)
        return "About";
    if (auto* button = qobject_cast<QAbstractButton*>(control(static_cast<ControlId>(id))))
        return button->text().remove('&').toStdString();
    return "A settings change";
}

void CCorvaneDlg::runCommand(std::string_view name, const std::function<void()>& command)
{
    if (closing_)
        return;
    {
        ScopedCount depth(commandDepth_);
        runGuarded(*this, name, command);
    }
    if (commandDepth_ == 0)
        runDeferredWork();
}

void CCorvaneDlg::runDeferredWork()
{
    if (pendingClose_ != PendingClose::None) {
        PendingClose kind = pendingClose_;
        pendingClose_ = PendingClose::None;
        finishClose(kind);
        return;
    }
    if (!pendingDrops_.empty() && !closing_) {
        auto [paths, import] = std::move(pendingDrops_.front());
        pendingDrops_.pop_front();
        if (import)
            QMetaObject::invokeMethod(this, [this, paths] { importWhenIdle(paths); }, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(this, [this, paths] { dropFiles(paths); }, Qt::QueuedConnection);
    }
}

bool CCorvaneDlg::closeLosesWork() const
{
    if (reading_.busy())
        return true;
    return dataChanges().unsaved() && tree_.findNode(tree_.root(), "dataline") != nullptr;
}

bool CCorvaneDlg::confirmClose()
{
    return !closeLosesWork() || messageBox("Data not saved will be lost. Close anyway?", "Tessaloom",
                                           MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes;
}

void CCorvaneDlg::requestClose(PendingClose kind)
{
    if (closing_)
        return;
    // A close already asked for and waiting for the read needs no second answer.
    const bool confirmed = pendingClose_ != PendingClose::None;
    if (!confirmed && !confirmClose())
        return;
    if (commandDepth_ > 0) {
        // The read still holds nodes of the tree: stop it, close afterwards.
        if (pendingClose_ != PendingClose::Ok)
            pendingClose_ = kind;
        if (reading_.busy())
            reading_.stopRequested = 1;
        return;
    }
    finishClose(kind);
}

void CCorvaneDlg::finishClose(PendingClose kind)
{
    if (closing_)
        return;
    closing_ = true;
    pendingDrops_.clear();
    if (kind == PendingClose::Ok) {
        DataNode* root = tree_.root();
        while (DataNode* child = root->firstChild())
            tree_.deleteNode(child);
        reading_.templateNode = nullptr;
        done(QDialog::Accepted);
    } else {
        done(QDialog::Rejected);
    }
}

void CCorvaneDlg::reject()
{
    requestClose(PendingClose::Cancel);
}

void CCorvaneDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    if (enter && isEditField(focusWidget())) {
        // The edit has taken its text; a setting's edit reports it as leaving does.
        QWidget* edit = focusWidget();
        while (edit && !killFocusHandlers_.count(edit) && edit != this)
            edit = edit->parentWidget();
        if (edit && edit != this)
            killFocusHandlers_.at(edit)();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CCorvaneDlg::dropFiles(const std::vector<std::string>& paths)
{
    if (closing_ || paths.empty())
        return;
    if (commandDepth_ > 0) {
        pendingDrops_.emplace_back(paths, false);
        log_.append(paths.size() == 1 ? "The dropped file will be read when the current read ends."
                                      : "The dropped files will be read when the current read ends.");
        return;
    }
    runCommand("Reading dropped files", [this, &paths] { tsl::OnDropFiles(*this, paths); });
}

void CCorvaneDlg::openAtStart(const std::vector<std::string>& paths)
{
    std::vector<std::string> absolute;
    for (const std::string& path : paths)
        absolute.push_back(QFile::encodeName(QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath())
                               .toStdString());
    QMetaObject::invokeMethod(this, [this, absolute] { dropFiles(absolute); }, Qt::QueuedConnection);
}

void CCorvaneDlg::importWhenIdle(const std::vector<std::string>& paths)
{
    if (closing_ || paths.empty())
        return;
    if (commandDepth_ > 0) {
        pendingDrops_.emplace_back(paths, true);
        log_.append(paths.size() == 1 ? "The dropped export will be imported when the current read ends."
                                      : "The dropped exports will be imported when the current read ends.");
        return;
    }
    runCommand("Import Exports", [this, &paths] { importFiles(paths); });
}

void CCorvaneDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CCorvaneDlg::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    if (paths.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The drag source waits for the drop to be answered; the files are read
    // once it has been. Files dropped on "Import Exports..." are imported.
    const QPoint at = importExports_->mapFrom(this, event->position().toPoint());
    if (importExports_->rect().contains(at)) {
        QMetaObject::invokeMethod(this, [this, paths] { importWhenIdle(paths); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(this, [this, paths] { dropFiles(paths); }, Qt::QueuedConnection);
}

void CCorvaneDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addSeparator();
    QAction* about = menu.addAction("&About Corvane...");
    about->setShortcut(QKeySequence(Qt::Key_F1));
    if (menu.exec(event->globalPos()) == about)
        commandHandlers_.at(aboutCommandId)();
}

bool CCorvaneDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !closing_) {
        auto* focus = static_cast<QFocusEvent*>(event);
        // The edit's own context menu takes the focus for a moment only.
        if (focus->reason() != Qt::PopupFocusReason) {
            auto it = killFocusHandlers_.find(watched);
            if (it != killFocusHandlers_.end())
                it->second();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCorvaneDlg::notInThisBuild(const char* command, const char* missingPart)
{
    log_.append(std::string("The command \"") + command + "\" is not part of this build: it was built without " +
                missingPart + ".");
    log_.showLast();
}

} // namespace tsl
