// The main window at rest: its controls and the command map, the settings the
// controls hold and the lines their commands log, closing and clearing.
#include "window_test_support.h"

#include "app/window/display_check.h"
#include "app/window/log_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <set>
#include <stdexcept>

using namespace tsl;
using namespace tsl::testing;

namespace {

const std::string note = "    -NOTE: this will not affect data already entered.";

// Every control the command map names, answered with whether it is enabled.
std::map<int, bool> enabledStates(CCorvaneDlg& w)
{
    std::map<int, bool> states;
    for (const MessageMapEntry& entry : CCorvaneDlg::GetMessageMap())
        if (entry.notification != Notification::Command)
            states[entry.id] = w.control(static_cast<ControlId>(entry.id))->isEnabled();
    return states;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasItsCaptionAndItsCommand();
    void startsWithTheWelcomeBlock();
    void settingsCommandsLogTheirChange();
    void settingsAreWhatTheControlsShowNow();
    void keysAndTheCloseQuestion();
    void rowsOfControlsAndTheirTabOrder();
    void logShowsColumnsFollowsItsEndAndCopies();
    void clearing();
    void failedCommandsAreLoggedAndTheWindowGoesOn();
    void noDisplayIsNoticedBeforeQtStarts();
};

void MainWindowTest::everyControlHasItsCaptionAndItsCommand()
{
    CCorvaneDlg w;
    QCOMPARE(w.windowTitle(), QString("Zorbelin Tessaloom v1.1"));
    // The icon is drawn from the built-in SVG: its corner is rounded off, its middle not.
    const QImage icon = w.windowIcon().pixmap(48, 48).toImage();
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(icon.pixelColor(24, 24).alpha(), 255);
    const std::map<ControlId, QString> captions = {
        {ControlId::PreviewData, "Preview Data"},     {ControlId::PlotData, "Plot Data"},
        {ControlId::Close, "Close"},                  {ControlId::ReadLabelTemplate, "Read &Label Template"},
        {ControlId::ConvertUnits, "Convert Units"},   {ControlId::ReadCsvData, "&Read CSV Data"},
        {ControlId::SaveToXml, "Save to XML"},        {ControlId::FillDatabase, "Fill Database"},
        {ControlId::ClearCsvData, "Clear CSV Data"},  {ControlId::SaveToCsv, "&Save to CSV"},
        {ControlId::SaveToExcel, "Save to Excel"},
        {ControlId::FillValue, "Fill Value"},         {ControlId::FillBlanks, "Fill Blanks"},
        {ControlId::SetOutputTemplate, "Set Output Template"},
        {ControlId::ImportExports, "Import Exports..."}, {ControlId::LineLabel, "Line Label"},
        {ControlId::TimeDelimiter, "Time Delimiter"}, {ControlId::BracketEnable, "Enable"},
        {ControlId::WriteDateFrom, "Write date starting at:"}, {ControlId::SortRows, "Sort rows by time"}};
    for (const auto& [id, caption] : captions) {
        auto* button = w.controlAs<QAbstractButton>(id);
        QVERIFY2(button, qPrintable(caption));
        QCOMPARE(button->text(), caption);
    }
    QVERIFY(w.controlAs<QPushButton>(ControlId::Close)->isDefault());
    QVERIFY(w.control(ControlId::LineLabel)->isHidden());
    QStringList labels;
    for (auto* label : w.findChildren<QLabel*>())
        labels << label->text();
    for (const char* caption : {"< Data Interval", "< Average/Sample Data", "< Split Output File",
                                "< CSV Delimiter", "< Date Format", "Start Eval", "End Eval", "< Decimals"})
        QVERIFY2(labels.contains(caption), caption);
    auto* group = qobject_cast<QGroupBox*>(w.control(ControlId::BracketStart)->parentWidget());
    QVERIFY(group && group->isAncestorOf(w.control(ControlId::BracketEnable)));
    QCOMPARE(group->title(), QString("Bracket Evaluation Time"));

    // One entry per control, each reaching a control of the kind its notification needs.
    std::set<int> ids;
    for (const MessageMapEntry& entry : CCorvaneDlg::GetMessageMap()) {
        QVERIFY2(ids.insert(entry.id).second && entry.handler, qPrintable(QString::number(entry.id)));
        QWidget* widget = w.control(static_cast<ControlId>(entry.id));
        const bool rightKind = entry.notification == Notification::Command ? entry.id == aboutCommandId
                               : entry.notification == Notification::Clicked
                                   ? qobject_cast<QAbstractButton*>(widget) != nullptr
                               : entry.notification == Notification::SelectionChange
                                   ? qobject_cast<QComboBox*>(widget) != nullptr
                                   : qobject_cast<QLineEdit*>(widget) != nullptr;
        QVERIFY2(rightKind, qPrintable(QString::number(entry.id)));
    }
    // Fifteen buttons, five check boxes, six lists, the delimiter edit, About.
    QCOMPARE(ids.size(), std::size_t(28));

    // A read locks eight of them, the import and the Excel save, and turns
    // the read button into its stop.
    const std::set<int> locked = {int(ControlId::ClearCsvData),      int(ControlId::ConvertUnits),
                                  int(ControlId::FillBlanks),        int(ControlId::ReadLabelTemplate),
                                  int(ControlId::SaveToCsv),         int(ControlId::SaveToXml),
                                  int(ControlId::SaveToExcel),       int(ControlId::SetOutputTemplate),
                                  int(ControlId::DateFormatList),    int(ControlId::ImportExports)};
    const std::map<int, bool> idle = enabledStates(w);
    QVERIFY(std::all_of(idle.begin(), idle.end(), [](const auto& state) { return state.second; }));
    setReadingState(w, true);
    for (const auto& [id, enabled] : enabledStates(w))
        QVERIFY2(enabled != (locked.count(id) > 0), qPrintable(QString::number(id)));
    QCOMPARE(w.controlAs<QPushButton>(ControlId::ReadCsvData)->text(), QString("Stop Reading"));
    setReadingState(w, false);
    QCOMPARE(enabledStates(w), idle);
    QCOMPARE(w.controlAs<QPushButton>(ControlId::ReadCsvData)->text(), QString("&Read CSV Data"));
    QVERIFY(linesAfterWelcome(w).empty());
    QVERIFY(w.readProgressBar()->isHidden());
}

void MainWindowTest::startsWithTheWelcomeBlock()
{
    CCorvaneDlg w;
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    QCOMPARE(log->count(), 11);
    QCOMPARE(log->item(0)->text(), QString("Welcome to the Zorbelin Tessaloom (TSL) v1.1."));
    QCOMPARE(log->item(10)->text(), QString("TSL is ready to read template file or data."));
    QCOMPARE(log->currentRow(), -1); // the welcome block selects nothing
}

void MainWindowTest::settingsCommandsLogTheirChange()
{
    CCorvaneDlg w;
    QVERIFY(showActive(w));
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    auto* delimiter = w.controlAs<QLineEdit>(ControlId::Delimiter);
    auto select = [&](ControlId id, int index) { return [&w, id, index] { w.controlAs<QComboBox>(id)->setCurrentIndex(index); }; };
    auto tick = [&](ControlId id) { return [&w, id] { w.controlAs<QCheckBox>(id)->click(); }; };
    auto leaveDelimiter = [&] { giveFocus(w.control(ControlId::ConversionColumn)); };
    auto enabled = [&](ControlId id) { return w.control(id)->isEnabled(); };
    auto checked = [&](ControlId id) { return w.controlAs<QCheckBox>(id)->isChecked(); };
    auto nothingSelected = [&] { return log->currentRow() == -1; };
    auto lastLineShown = [&] { return log->currentRow() == log->count() - 1; };

    struct Step {
        std::function<void()> action;
        std::vector<std::string> lines;
        std::function<bool()> after;
    };
    const Step steps[] = {
        {select(ControlId::IntervalList, 0), {"SETTINGS CHANGE: Data interval set to NONE.", note}, nothingSelected},
        {select(ControlId::IntervalList, 6), {"SETTINGS CHANGE: Data interval set to 15 MINUTES.", note}, {}},
        {select(ControlId::ReductionList, 1), {"SETTINGS CHANGE: Reduce Data by SAMPLING.", note}, {}},
        {select(ControlId::SplitList, 1), {"SETTINGS CHANGE: CSV Output files are now split every 1 day."}, {}},
        {select(ControlId::SplitList, 7), {"SETTINGS CHANGE: CSV Output files are now split every 7 days."}, {}},
        {select(ControlId::SplitList, 0), {"SETTINGS CHANGE: CSV Output files are now not split by day"},
         nothingSelected},
        // The ISO layout joins date and time; leaving it brings the delimiter back silently.
        {select(ControlId::DateFormatList, 10),
         {"SETTINGS CHANGE: CSV Output Date/Time format changed to -> YYYY-MM-DDThh:mm:ssZ.",
          "SETTINGS CHANGE: CSV Output does not use delimiter between date and time."},
         [&] { return !checked(ControlId::TimeDelimiter); }},
        {select(ControlId::DateFormatList, 1),
         {"SETTINGS CHANGE: CSV Output Date/Time format changed to -> MM/DD/YYYY."},
         [&] { return checked(ControlId::TimeDelimiter) && w.settings().dateFormat == 1; }},
        {tick(ControlId::BracketEnable), {"SETTINGS CHANGE: Time bracketing is ENABLED", note},
         [&] { return enabled(ControlId::BracketStart) && enabled(ControlId::BracketEnd) && lastLineShown(); }},
        {tick(ControlId::BracketEnable), {"SETTINGS CHANGE: Time bracketing is DISABLED", note},
         [&] { return !enabled(ControlId::BracketStart) && !enabled(ControlId::BracketEnd); }},
        {tick(ControlId::TimeDelimiter), {"SETTINGS CHANGE: CSV Output does not use delimiter between date and time."},
         {}},
        {tick(ControlId::LineLabel),
         {"SETTINGS CHANGE: Use line labelled data.  Each line begins with one label, and no header line."},
         [&] { return w.settings().lineLabelled; }},
        {tick(ControlId::LineLabel), {"SETTINGS CHANGE: Not using line labelled data."}, {}},
        {select(ControlId::Decimals, 3), {"SETTINGS CHANGE: Readings are stored with 3 decimals.", note},
         [&] { return w.settings().decimals == 3; }},
        {select(ControlId::Decimals, 0), {"SETTINGS CHANGE: Readings are stored with 0 decimals.", note}, {}},
        {tick(ControlId::SortRows), {"SETTINGS CHANGE: Rows are sorted by time.", note},
         [&] { return w.settings().sortRows; }},
        {tick(ControlId::SortRows), {"SETTINGS CHANGE: Rows are kept in the order they were read.", note},
         [&] { return !w.settings().sortRows; }},
        {tick(ControlId::WriteDateFrom), {}, [&] { return enabled(ControlId::WriteStartDate); }},
        {tick(ControlId::WriteDateFrom), {}, [&] { return !enabled(ControlId::WriteStartDate); }},
        // The delimiter is logged each time its edit loses the focus, changed or not.
        {[&] { giveFocus(delimiter); leaveDelimiter(); }, {"SETTINGS CHANGE: Delimiter changed to -> ,"}, {}},
        {[&] { giveFocus(delimiter); delimiter->selectAll(); QTest::keyClicks(delimiter, ";;"); }, {}, {}},
        {leaveDelimiter, {"SETTINGS CHANGE: Delimiter changed to -> ;"}, {}},
        {[&] { giveFocus(delimiter); delimiter->clear(); leaveDelimiter(); },
         {"SETTINGS CHANGE: Delimiter changed to -> "}, {}},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const std::size_t before = w.log().size();
        steps[i].action();
        const auto& all = w.log().lines();
        QCOMPARE(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
                 steps[i].lines);
        QVERIFY2(!steps[i].after || steps[i].after(), qPrintable(QString("step %1").arg(i)));
    }
}

void MainWindowTest::settingsAreWhatTheControlsShowNow()
{
    CCorvaneDlg w;
    const ToolSettings start = w.settings();
    QVERIFY(start.interval == DataInterval::Min1 && start.dateFormat == 1 && start.timeDelimiter);
    QVERIFY(start.delimiter == "," && start.conversionColumn == "TEMP" && start.bracketEnd == (TimeOfDay{18, 0, 0}));
    QVERIFY(start.decimals == 2 && !start.sortRows);
    QCOMPARE(w.controlAs<QDateTimeEdit>(ControlId::WriteStartDate)->date(), QDate::currentDate());
    QVERIFY(!w.control(ControlId::BracketStart)->isEnabled() && !w.control(ControlId::WriteStartDate)->isEnabled());

    // What the commands set shows in the controls and logs nothing.
    CommandContext& context = w;
    const QDateTime firstDay(QDate(2015, 1, 2), QTime(0, 0, 0));
    context.setDateFormat(3);
    context.setTimeDelimiter(false);
    context.setConversionColumn("CFM");
    context.setWriteStartDate(static_cast<std::time_t>(firstDay.toSecsSinceEpoch()));
    QVERIFY(linesAfterWelcome(w).empty());
    QCOMPARE(w.controlAs<QComboBox>(ControlId::DateFormatList)->currentIndex(), 3);
    QVERIFY(!w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->isChecked());
    QCOMPARE(w.controlAs<QLineEdit>(ControlId::ConversionColumn)->text(), QString("CFM"));
    QCOMPARE(w.controlAs<QDateTimeEdit>(ControlId::WriteStartDate)->date(), QDate(2015, 1, 2));
    QCOMPARE(w.settings().writeStartDate, static_cast<std::time_t>(firstDay.toSecsSinceEpoch()));

    // Every control changed behind the commands' back, after that look.
    w.controlAs<QComboBox>(ControlId::IntervalList)->setCurrentIndex(4);
    w.controlAs<QComboBox>(ControlId::ReductionList)->setCurrentIndex(1);
    w.controlAs<QComboBox>(ControlId::DateFormatList)->setCurrentIndex(7);
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(3);
    w.controlAs<QComboBox>(ControlId::ConversionList)->setCurrentIndex(5);
    w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->setChecked(true);
    w.controlAs<QCheckBox>(ControlId::BracketEnable)->setChecked(true);
    w.controlAs<QCheckBox>(ControlId::WriteDateFrom)->setChecked(true);
    w.controlAs<QCheckBox>(ControlId::LineLabel)->setChecked(true);
    w.controlAs<QComboBox>(ControlId::Decimals)->setCurrentIndex(6);
    w.controlAs<QCheckBox>(ControlId::SortRows)->setChecked(true);
    w.controlAs<QLineEdit>(ControlId::Delimiter)->setText(";x");
    w.controlAs<QLineEdit>(ControlId::ConversionColumn)->setText("FLOW");
    w.controlAs<QDateTimeEdit>(ControlId::BracketStart)->setTime(QTime(6, 30, 15));
    w.controlAs<QDateTimeEdit>(ControlId::BracketEnd)->setTime(QTime(19, 45, 0));
    const QDateTime later(QDate(2016, 3, 1), QTime(0, 0, 0));
    w.controlAs<QDateTimeEdit>(ControlId::WriteStartDate)->setDateTime(later);

    const ToolSettings now = w.settings();
    QCOMPARE(now.interval, DataInterval::Min5);
    QCOMPARE(now.reduction, ReductionMode::Sampling);
    QCOMPARE(now.dateFormat, 7);
    QCOMPARE(now.splitDays, 3);
    QCOMPARE(now.conversion, 5);
    QVERIFY(now.timeDelimiter && now.bracketEnabled && now.writeDateFrom && now.lineLabelled && now.sortRows);
    QCOMPARE(now.decimals, 6);
    QCOMPARE(now.delimiter, std::string(";x"));
    QCOMPARE(now.conversionColumn, std::string("FLOW"));
    QCOMPARE(now.bracketStart, (TimeOfDay{6, 30, 15}));
    QCOMPARE(now.bracketEnd, (TimeOfDay{19, 45, 0}));
    QCOMPARE(now.writeStartDate, static_cast<std::time_t>(later.toSecsSinceEpoch()));
}

void MainWindowTest::keysAndTheCloseQuestion()
{
    // Data not saved since it changed: any way of closing asks first, No by
    // default. Escape does nothing; Enter in an edit field commits that field.
    auto keyIn = [](ControlId id, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [id, key, modifiers](CCorvaneDlg& w) {
            w.control(id)->setEnabled(true);
            giveFocus(w.control(id));
            QTest::keyClick(w.control(id), Qt::Key(key), modifiers);
        };
    };
    auto closeBox = [](CCorvaneDlg& w) { w.close(); };
    const QString question = "Data not saved will be lost. Close anyway?";
    struct Case {
        const char* what;
        bool unsaved;
        std::function<void(CCorvaneDlg&)> act;
        MessageAnswer answer;
        bool asks;
        bool closes;
        int result; // and the tree is emptied for Accepted only
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"Escape", true, keyIn(ControlId::Log, Qt::Key_Escape), MessageAnswer::Yes, false, false, 0, {}},
        {"Enter in the delimiter", true, keyIn(ControlId::Delimiter, Qt::Key_Return), MessageAnswer::Yes, false,
         false, 0, {"SETTINGS CHANGE: Delimiter changed to -> ,"}},
        {"Enter in a path field", false, keyIn(ControlId::DataFileName, Qt::Key_Enter), MessageAnswer::Yes, false,
         false, 0, {}},
        {"Enter in a time picker", false, keyIn(ControlId::BracketEnd, Qt::Key_Return), MessageAnswer::Yes, false,
         false, 0, {}},
        {"Enter in a list presses Close", false, keyIn(ControlId::IntervalList, Qt::Key_Return), MessageAnswer::No,
         false, true, QDialog::Accepted, {}},
        {"Enter in a list, answered No", true, keyIn(ControlId::IntervalList, Qt::Key_Return), MessageAnswer::No,
         true, false, 0, {}},
        {"Ctrl+Q, answered Yes", true, keyIn(ControlId::PreviewData, Qt::Key_Q, Qt::ControlModifier),
         MessageAnswer::Yes, true, true, QDialog::Accepted, {}},
        {"Ctrl+Q, nothing to lose", false, keyIn(ControlId::PreviewData, Qt::Key_Q, Qt::ControlModifier),
         MessageAnswer::No, false, true, QDialog::Accepted, {}},
        {"the close box, answered No", true, closeBox, MessageAnswer::No, true, false, 0, {}},
        {"the close box, answered Yes", true, closeBox, MessageAnswer::Yes, true, true, QDialog::Rejected, {}},
    };
    for (const Case& k : cases) {
        CCorvaneDlg w;
        DataNode* hour = w.tree().addChild(addDataDay(w.tree()), "dataHour");
        w.tree().addChild(hour, "dataline");
        if (k.unsaved)
            w.dataChanges().markChanged();
        QuestionScript questions;
        questions.answers = {k.answer};
        questions.install(w);
        QVERIFY(showActive(w));
        k.act(w);
        QCOMPARE(questions.asked, k.asks ? std::vector<std::string>{question.toStdString()}
                                         : std::vector<std::string>{});
        QVERIFY2(w.isHidden() == k.closes, k.what);
        if (k.closes) {
            QCOMPARE(w.result(), k.result);
            QCOMPARE(w.tree().root()->firstChild() == nullptr, k.result == QDialog::Accepted);
        }
        QCOMPARE(linesAfterWelcome(w), k.logged);
    }

    // The question itself: titled "Tessaloom", and Enter answers No.
    CCorvaneDlg w;
    addDataDay(w.tree());
    w.tree().addChild(w.tree().findNode(w.tree().root(), "dataDay"), "dataline");
    w.dataChanges().markChanged();
    QVERIFY(showActive(w));
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    w.controlAs<QPushButton>(ControlId::Close)->click();
    QCOMPARE(title, QString("Tessaloom"));
    QCOMPARE(text, question);
    QVERIFY(!w.isHidden());

    // Once saved, nothing is lost and nothing is asked.
    w.dataChanges().markSaved();
    w.controlAs<QPushButton>(ControlId::Close)->click();
    QVERIFY(w.isHidden());
}

void MainWindowTest::rowsOfControlsAndTheirTabOrder()
{
    CCorvaneDlg w;
    QVERIFY(showActive(w));
    using C = ControlId;
    // The window's rows as they always were, then one row of the controls added since.
    const std::vector<std::vector<ControlId>> rows = {
        {C::IntervalList, C::ReductionList, C::PreviewData, C::Close},
        {C::TemplateFileName, C::ReadLabelTemplate, C::SplitList, C::ConvertUnits},
        {C::DataFileName, C::ReadCsvData, C::SaveToXml, C::FillDatabase, C::ConversionList},
        {C::ClearCsvData, C::SaveToCsv, C::FillValue, C::ConversionColumn},
        {C::FillBlanks, C::SetOutputTemplate, C::Delimiter, C::TimeDelimiter},
        {C::BracketEnable, C::BracketStart, C::BracketEnd},
        {C::DateFormatList, C::WriteDateFrom, C::WriteStartDate},
        {C::ImportExports, C::PlotData, C::SaveToExcel, C::Decimals, C::SortRows},
    };
    auto box = [&w](ControlId id) {
        QWidget* control = w.control(id);
        return QRect(control->mapTo(&w, QPoint(0, 0)), control->size());
    };
    std::vector<ControlId> reading;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            const QRect here = box(rows[r][i]);
            if (i > 0) {
                const QRect left = box(rows[r][i - 1]);
                QVERIFY2(left.right() < here.left(), qPrintable(QString("row %1, place %2").arg(r).arg(i)));
                QVERIFY2(here.top() < left.bottom() && left.top() < here.bottom(), qPrintable(QString("row %1").arg(r)));
            }
            if (r > 0)
                for (ControlId above : rows[r - 1])
                    QVERIFY2(here.top() > box(above).center().y(), qPrintable(QString("row %1").arg(r)));
            reading.push_back(rows[r][i]);
        }
    }
    QVERIFY(box(C::Log).top() > box(C::SortRows).bottom());

    // Tab visits the controls that take it in reading order, the log last.
    std::vector<QWidget*> expected;
    for (ControlId id : reading)
        if (w.control(id)->isEnabled())
            expected.push_back(w.control(id));
    expected.push_back(w.control(C::Log));
    QVERIFY(giveFocus(expected.front()));
    for (std::size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected[i]);
    }
    QVERIFY(w.controlAs<QLineEdit>(C::TemplateFileName)->isReadOnly());
    QVERIFY(w.controlAs<QLineEdit>(C::DataFileName)->isReadOnly());
}

void MainWindowTest::logShowsColumnsFollowsItsEndAndCopies()
{
    CCorvaneDlg w;
    w.resize(900, 500);
    QVERIFY(showActive(w));
    auto* log = qobject_cast<CLogList*>(w.control(ControlId::Log));
    QVERIFY(log);
    QVERIFY(QFontInfo(log->font()).fixedPitch());

    auto lastShown = [log] {
        QApplication::processEvents();
        const QRect last = log->visualItemRect(log->item(log->count() - 1));
        return log->viewport()->rect().contains(last);
    };
    for (int i = 0; i < 200; ++i)
        w.log().append("line " + std::to_string(i));
    QVERIFY(lastShown());
    // Scrolled up, the log stays where the reader is.
    log->scrollToTop();
    w.log().append("one more");
    QVERIFY(!lastShown());
    log->scrollToBottom();
    w.log().append("and another");
    QVERIFY(lastShown());

    // Selected lines are copied in log order.
    log->clearSelection();
    log->item(20)->setSelected(true);
    log->item(12)->setSelected(true);
    QCOMPARE(log->selectedText(), QString("line 1\nline 9"));
    QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("line 1\nline 9"));

    // Showing the last line selects it alone.
    w.log().showLast();
    w.log().append("the last");
    w.log().showLast();
    QCOMPARE(log->selectedText(), QString("the last"));

    // A line wider than the list is not cut: the list scrolls sideways to it.
    QCOMPARE(log->horizontalScrollBar()->maximum(), 0);
    w.log().append("WARNING- " + std::string(300, 'w'));
    w.log().append("a short line after it");
    QApplication::processEvents();
    QVERIFY(log->horizontalScrollBar()->maximum() > 0);
    QCOMPARE(log->textElideMode(), Qt::ElideNone);
}

void MainWindowTest::clearing()
{
    // Clear CSV Data deletes what was read and keeps the templates.
    CCorvaneDlg w;
    for (const char* name : {"template", "outputTemplate", "fileLabels", "data", "fileLabels"})
        w.tree().addChild(w.tree().root(), name);
    w.controlAs<QPushButton>(ControlId::ClearCsvData)->click();
    QStringList names;
    for (DataNode* child = w.tree().root()->firstChild(); child; child = child->nextSibling())
        names << QString::fromUtf8(child->name().data(), static_cast<qsizetype>(child->name().size()));
    QCOMPARE(names, QStringList({"template", "outputTemplate"}));
    QCOMPARE(linesAfterWelcome(w), std::vector<std::string>{"Deleting data from CSV file(s)."});
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    QCOMPARE(log->currentRow(), log->count() - 1);
}

void MainWindowTest::failedCommandsAreLoggedAndTheWindowGoesOn()
{
    QTemporaryDir dir;
    const std::string data = dir.filePath("a.csv").toStdString(), saved = dir.filePath("out.csv").toStdString();
    writeLoggerFile(data, 30);
    CCorvaneDlg w;
    auto click = [&w](ControlId id) { w.controlAs<QPushButton>(id)->click(); };
    auto failed = [](const std::string& command) {
        return "ERROR- " + command + " failed on an unexpected error (out of order) and was ended there; what it "
               "had done stays as it is.";
    };
    std::vector<std::string> answers; // the file dialog's, in turn; "" fails
    w.setFileDialogProvider([&answers](FileDialogMode, FileRequest& request) {
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        if (answer.empty())
            throw std::runtime_error("out of order");
        request.setChosenPaths({answer});
        return true;
    });

    // A save and a read that fail before they begin leave the window idle.
    answers = {"", ""};
    click(ControlId::SaveToCsv);
    click(ControlId::ReadCsvData);
    QCOMPARE(linesAfterWelcome(w), (std::vector<std::string>{failed("Save to CSV"), failed("Read CSV Data")}));
    QCOMPARE(w.reading().readInProgress, 0);
    QCOMPARE(w.controlAs<QPushButton>(ControlId::ReadCsvData)->text(), QString("&Read CSV Data"));
    QVERIFY(w.control(ControlId::SaveToCsv)->isEnabled() && w.readProgressBar()->isHidden());

    // The window reads and saves again.
    answers = {data, saved};
    click(ControlId::ReadCsvData);
    click(ControlId::SaveToCsv);
    QCOMPARE(linesAfterWelcome(w).back(), "Saved data to CSV file '" + saved + "'.");
}

void MainWindowTest::noDisplayIsNoticedBeforeQtStarts()
{
    const std::vector<std::pair<std::map<std::string, std::string>, bool>> cases = {
        {{}, false},
        {{{"DISPLAY", ""}}, false}, // set but empty is no display
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
    };
    for (const auto& [environment, available] : cases) {
        auto lookup = [&environment](const char* name) -> const char* {
            auto it = environment.find(name);
            return it == environment.end() ? nullptr : it->second.c_str();
        };
        QCOMPARE(displayAvailable(lookup), available);
    }
    QVERIFY(noDisplayMessage().find("DISPLAY") != std::string::npos);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
