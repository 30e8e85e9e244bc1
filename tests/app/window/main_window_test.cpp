// The main window at rest: its controls, the settings commands they run, the
// reading state, closing, clearing and the About box.
#include "window_test_support.h"

#include "app/window/about_dlg.h"
#include "app/window/display_check.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <map>

using namespace tsl;
using namespace tsl::testing;

namespace {

QStringList itemsOf(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

template <std::size_t N>
QStringList expectedItems(const std::array<std::string_view, N>& items)
{
    QStringList out;
    for (auto item : items)
        out << QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
    return out;
}

std::vector<std::string> lines(std::initializer_list<const char*> texts)
{
    return {texts.begin(), texts.end()};
}

const char* const note = "    -NOTE: this will not affect data already entered.";

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithEveryControlInItsState();
    void startsWithTheWelcomeBlockAndTheFileRequest();
    void everyCommandOfTheMapReachesAControl();
    void listSettingsLogTheirChange();
    void dateFormatDrivesTheTimeDelimiter();
    void checkBoxesLogAndEnableTheirCompanions();
    void delimiterIsLoggedWhenTheEditLosesTheFocus();
    void changesMadeByTheProgramLogNothing();
    void settingsAreWhatTheControlsShowNow();
    void readingStateDisablesTheEightControls();
    void enterClosesAndEmptiesTheTree();
    void escapeAndTheCloseBoxKeepTheTree();
    void clearCsvDataKeepsTheTemplates();
    void aboutBoxOpensOnF1();
    void noDisplayIsNoticedBeforeQtStarts();
};

void MainWindowTest::startsWithEveryControlInItsState()
{
    CCorvaneDlg w;
    QCOMPARE(w.windowTitle(), QString("Zorbelin Tessaloom v1.1"));
    QVERIFY(!w.windowIcon().isNull());

    struct Button {
        ControlId id;
        const char* caption;
    };
    const Button buttons[] = {
        {ControlId::PreviewData, "Preview Data"},
        {ControlId::Close, "Close"},
        {ControlId::ReadLabelTemplate, "Read &Label Template"},
        {ControlId::ConvertUnits, "Convert Units"},
        {ControlId::ReadCsvData, "&Read CSV Data"},
        {ControlId::SaveToXml, "Save to XML"},
        {ControlId::FillDatabase, "Fill Database"},
        {ControlId::ClearCsvData, "Clear CSV Data"},
        {ControlId::SaveToCsv, "&Save to CSV"},
        {ControlId::FillValue, "Fill Value"},
        {ControlId::FillBlanks, "Fill Blanks"},
        {ControlId::SetOutputTemplate, "Set Output Template"},
    };
    for (const auto& [id, caption] : buttons) {
        auto* button = w.controlAs<QPushButton>(id);
        QVERIFY2(button, caption);
        QCOMPARE(button->text(), QString(caption));
        QVERIFY2(button->isEnabled(), caption);
    }
    QVERIFY(w.controlAs<QPushButton>(ControlId::Close)->isDefault());

    auto* interval = w.controlAs<QComboBox>(ControlId::IntervalList);
    QCOMPARE(itemsOf(interval), expectedItems(intervalItems));
    QCOMPARE(interval->currentIndex(), 2);
    auto* reduction = w.controlAs<QComboBox>(ControlId::ReductionList);
    QCOMPARE(itemsOf(reduction), expectedItems(reductionItems));
    QCOMPARE(reduction->currentIndex(), 0);
    auto* dateFormat = w.controlAs<QComboBox>(ControlId::DateFormatList);
    QCOMPARE(itemsOf(dateFormat), expectedItems(dateFormatItems));
    QCOMPARE(dateFormat->currentIndex(), 1);
    auto* split = w.controlAs<QComboBox>(ControlId::SplitList);
    QCOMPARE(itemsOf(split), expectedItems(splitItems));
    QCOMPARE(split->currentIndex(), 0);
    auto* conversion = w.controlAs<QComboBox>(ControlId::ConversionList);
    QCOMPARE(itemsOf(conversion), expectedItems(conversionItems));
    QCOMPARE(conversion->currentIndex(), 0);
    for (auto* list : {interval, reduction, dateFormat, split, conversion}) {
        QVERIFY(list->isEnabled());
        QVERIFY(!list->isEditable());
    }

    QCOMPARE(w.controlAs<QLineEdit>(ControlId::TemplateFileName)->text(), QString());
    QCOMPARE(w.controlAs<QLineEdit>(ControlId::DataFileName)->text(), QString());
    QCOMPARE(w.controlAs<QLineEdit>(ControlId::ConversionColumn)->text(), QString("TEMP"));
    QCOMPARE(w.controlAs<QLineEdit>(ControlId::Delimiter)->text(), QString(","));

    auto* lineLabel = w.controlAs<QCheckBox>(ControlId::LineLabel);
    QCOMPARE(lineLabel->text(), QString("Line Label"));
    QVERIFY(lineLabel->isHidden());
    QVERIFY(!lineLabel->isChecked());
    QVERIFY(w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->isChecked());
    QCOMPARE(w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->text(), QString("Time Delimiter"));
    QVERIFY(!w.controlAs<QCheckBox>(ControlId::BracketEnable)->isChecked());
    QCOMPARE(w.controlAs<QCheckBox>(ControlId::BracketEnable)->text(), QString("Enable"));
    QVERIFY(!w.controlAs<QCheckBox>(ControlId::WriteDateFrom)->isChecked());
    QCOMPARE(w.controlAs<QCheckBox>(ControlId::WriteDateFrom)->text(), QString("Write date starting at:"));

    auto* start = w.controlAs<QDateTimeEdit>(ControlId::BracketStart);
    auto* end = w.controlAs<QDateTimeEdit>(ControlId::BracketEnd);
    QCOMPARE(start->dateTime(), QDateTime(QDate(2010, 1, 4), QTime(7, 0, 0)));
    QCOMPARE(end->dateTime(), QDateTime(QDate(2010, 1, 4), QTime(18, 0, 0)));
    QVERIFY(!start->isEnabled());
    QVERIFY(!end->isEnabled());
    auto* firstDate = w.controlAs<QDateTimeEdit>(ControlId::WriteStartDate);
    QVERIFY(!firstDate->isEnabled());
    QCOMPARE(firstDate->date(), QDate::currentDate());

    // The captions beside the lists and the group around the bracket.
    QStringList captions;
    for (auto* label : w.findChildren<QLabel*>())
        captions << label->text();
    for (const char* caption : {"< Data Interval", "< Average/Sample Data", "< Split Output File",
                                "< CSV Delimiter", "< Date Format", "Start Eval", "End Eval"})
        QVERIFY2(captions.contains(caption), caption);
    auto* group = qobject_cast<QGroupBox*>(start->parentWidget());
    QVERIFY(group);
    QCOMPARE(group->title(), QString("Bracket Evaluation Time"));
    QVERIFY(group->isAncestorOf(w.control(ControlId::BracketEnable)));
    QVERIFY(group->isAncestorOf(end));

    QVERIFY(w.readProgressBar()->isHidden());
}

void MainWindowTest::startsWithTheWelcomeBlockAndTheFileRequest()
{
    CCorvaneDlg w;
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    QCOMPARE(log->count(), 11);
    QCOMPARE(log->item(0)->text(), QString("Welcome to the Zorbelin Tessaloom (TSL) v1.1."));
    QCOMPARE(log->item(10)->text(), QString("TSL is ready to read template file or data."));
    QCOMPARE(log->currentRow(), -1); // the welcome block selects nothing

    const FileRequest& request = w.fileRequest();
    QCOMPARE(request.filters.size(), std::size_t(2));
    QCOMPARE(request.filters[0].description, std::string("CSV Files *.csv"));
    QCOMPARE(request.defaultExtension, std::string("CSV"));
    QCOMPARE(request.selectedFilter, 1);
    QCOMPARE(request.initialFolder, FileRequest::startValues().initialFolder);
    QVERIFY(request.options & FileRequest::AllowMultiSelect);
    QVERIFY(request.options & FileRequest::FileMustExist);
    QVERIFY(request.title.empty());
}

void MainWindowTest::everyCommandOfTheMapReachesAControl()
{
    CCorvaneDlg w;
    std::map<int, int> entriesPerId;
    for (const MessageMapEntry& entry : CCorvaneDlg::GetMessageMap()) {
        ++entriesPerId[entry.id];
        QVERIFY(entry.handler);
        if (entry.notification == Notification::Command) {
            QCOMPARE(entry.id, aboutCommandId);
            continue;
        }
        QWidget* widget = w.control(static_cast<ControlId>(entry.id));
        QVERIFY2(widget, qPrintable(QString::number(entry.id)));
        switch (entry.notification) {
        case Notification::Clicked:
            QVERIFY(qobject_cast<QAbstractButton*>(widget));
            break;
        case Notification::SelectionChange:
            QVERIFY(qobject_cast<QComboBox*>(widget));
            break;
        case Notification::KillFocus:
            QVERIFY(qobject_cast<QLineEdit*>(widget));
            break;
        case Notification::Command:
            break;
        }
    }
    // Fourteen buttons, four check boxes, five lists, the delimiter edit, About.
    QCOMPARE(entriesPerId.size(), std::size_t(25));
    for (const auto& [id, count] : entriesPerId)
        QCOMPARE(count, 1);
}

void MainWindowTest::listSettingsLogTheirChange()
{
    CCorvaneDlg w;
    w.controlAs<QComboBox>(ControlId::IntervalList)->setCurrentIndex(0);
    w.controlAs<QComboBox>(ControlId::IntervalList)->setCurrentIndex(6);
    w.controlAs<QComboBox>(ControlId::ReductionList)->setCurrentIndex(1);
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(1);
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(7);
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(0);
    QCOMPARE(linesAfterWelcome(w),
             lines({"SETTINGS CHANGE: Data interval set to NONE.", note,
                    "SETTINGS CHANGE: Data interval set to 15 MINUTES.", note,
                    "SETTINGS CHANGE: Reduce Data by SAMPLING.", note,
                    "SETTINGS CHANGE: CSV Output files are now split every 1 day.",
                    "SETTINGS CHANGE: CSV Output files are now split every 7 days.",
                    "SETTINGS CHANGE: CSV Output files are now not split by day"}));
    // The consumers see the controls as they are now.
    ToolSettings now = w.settings();
    QCOMPARE(now.interval, DataInterval::Min15);
    QCOMPARE(now.reduction, ReductionMode::Sampling);
    QCOMPARE(now.splitDays, 0);
    // None of these moves the log's selection.
    QCOMPARE(w.controlAs<QListWidget>(ControlId::Log)->currentRow(), -1);
}

void MainWindowTest::dateFormatDrivesTheTimeDelimiter()
{
    CCorvaneDlg w;
    auto* formats = w.controlAs<QComboBox>(ControlId::DateFormatList);
    auto* timeDelimiter = w.controlAs<QCheckBox>(ControlId::TimeDelimiter);
    formats->setCurrentIndex(10);
    QVERIFY(!timeDelimiter->isChecked());
    formats->setCurrentIndex(1);
    QVERIFY(timeDelimiter->isChecked());
    QCOMPARE(linesAfterWelcome(w),
             lines({"SETTINGS CHANGE: CSV Output Date/Time format changed to -> YYYY-MM-DDThh:mm:ssZ.",
                    "SETTINGS CHANGE: CSV Output does not use delimiter between date and time.",
                    "SETTINGS CHANGE: CSV Output Date/Time format changed to -> MM/DD/YYYY."}));
    QCOMPARE(w.settings().dateFormat, 1);
}

void MainWindowTest::checkBoxesLogAndEnableTheirCompanions()
{
    CCorvaneDlg w;
    w.show();
    auto* bracket = w.controlAs<QCheckBox>(ControlId::BracketEnable);
    bracket->click();
    QVERIFY(w.control(ControlId::BracketStart)->isEnabled());
    QVERIFY(w.control(ControlId::BracketEnd)->isEnabled());
    QVERIFY(w.settings().bracketEnabled);
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    QCOMPARE(log->currentRow(), log->count() - 1); // bracketing shows the last line
    bracket->click();
    QVERIFY(!w.control(ControlId::BracketStart)->isEnabled());

    w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->click();
    w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->click();
    w.controlAs<QCheckBox>(ControlId::LineLabel)->click();
    w.controlAs<QCheckBox>(ControlId::LineLabel)->click();

    auto* writeDate = w.controlAs<QCheckBox>(ControlId::WriteDateFrom);
    writeDate->click();
    QVERIFY(w.control(ControlId::WriteStartDate)->isEnabled());
    QVERIFY(w.settings().writeDateFrom);
    writeDate->click();
    QVERIFY(!w.control(ControlId::WriteStartDate)->isEnabled());

    QCOMPARE(linesAfterWelcome(w),
             lines({"SETTINGS CHANGE: Time bracketing is ENABLED", note,
                    "SETTINGS CHANGE: Time bracketing is DISABLED", note,
                    "SETTINGS CHANGE: CSV Output does not use delimiter between date and time.",
                    "SETTINGS CHANGE: CSV Output uses delimiter between date and time.",
                    "SETTINGS CHANGE: Use line labelled data.  Each line begins with one label, and no header line.",
                    "SETTINGS CHANGE: Not using line labelled data."}));
}

void MainWindowTest::delimiterIsLoggedWhenTheEditLosesTheFocus()
{
    CCorvaneDlg w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* delimiter = w.controlAs<QLineEdit>(ControlId::Delimiter);
    auto* column = w.controlAs<QLineEdit>(ControlId::ConversionColumn);

    delimiter->setFocus();
    QTRY_VERIFY(delimiter->hasFocus());
    column->setFocus(); // left without a change
    QTRY_VERIFY(column->hasFocus());

    delimiter->setFocus();
    QTRY_VERIFY(delimiter->hasFocus());
    delimiter->selectAll();
    QTest::keyClicks(delimiter, ";;");
    QCOMPARE(linesAfterWelcome(w).size(), std::size_t(1)); // typing alone logs nothing
    column->setFocus();
    QTRY_VERIFY(column->hasFocus());

    delimiter->setFocus();
    QTRY_VERIFY(delimiter->hasFocus());
    delimiter->clear();
    column->setFocus();
    QTRY_VERIFY(column->hasFocus());

    QCOMPARE(linesAfterWelcome(w), lines({"SETTINGS CHANGE: Delimiter changed to -> ,",
                                          "SETTINGS CHANGE: Delimiter changed to -> ;",
                                          "SETTINGS CHANGE: Delimiter changed to -> "}));
}

void MainWindowTest::changesMadeByTheProgramLogNothing()
{
    CCorvaneDlg w;
    CommandContext& context = w;
    context.setDateFormat(3);
    context.setTimeDelimiter(false);
    context.setConversionColumn("CFM");
    QDateTime first(QDate(2015, 1, 2), QTime(0, 0, 0));
    context.setWriteStartDate(static_cast<std::time_t>(first.toSecsSinceEpoch()));
    QVERIFY(linesAfterWelcome(w).empty());
    QCOMPARE(w.controlAs<QComboBox>(ControlId::DateFormatList)->currentIndex(), 3);
    QVERIFY(!w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->isChecked());
    QCOMPARE(w.controlAs<QLineEdit>(ControlId::ConversionColumn)->text(), QString("CFM"));
    QCOMPARE(w.controlAs<QDateTimeEdit>(ControlId::WriteStartDate)->date(), QDate(2015, 1, 2));
    ToolSettings now = w.settings();
    QCOMPARE(now.dateFormat, 3);
    QVERIFY(!now.timeDelimiter);
    QCOMPARE(now.conversionColumn, std::string("CFM"));
    QCOMPARE(now.writeStartDate, static_cast<std::time_t>(first.toSecsSinceEpoch()));
    QCOMPARE(now.bracketStart, (TimeOfDay{7, 0, 0}));
    QCOMPARE(now.bracketEnd, (TimeOfDay{18, 0, 0}));
}

void MainWindowTest::settingsAreWhatTheControlsShowNow()
{
    CCorvaneDlg w;
    const ToolSettings before = w.settings();
    QCOMPARE(before.delimiter, std::string(","));
    QCOMPARE(before.conversion, 0);
    QVERIFY(!before.lineLabelled);

    // Every control changed behind the commands' back, after a first look.
    w.controlAs<QComboBox>(ControlId::IntervalList)->setCurrentIndex(4);
    w.controlAs<QComboBox>(ControlId::ReductionList)->setCurrentIndex(1);
    w.controlAs<QComboBox>(ControlId::DateFormatList)->setCurrentIndex(7);
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(3);
    w.controlAs<QComboBox>(ControlId::ConversionList)->setCurrentIndex(5);
    w.controlAs<QCheckBox>(ControlId::TimeDelimiter)->setChecked(false);
    w.controlAs<QCheckBox>(ControlId::BracketEnable)->setChecked(true);
    w.controlAs<QCheckBox>(ControlId::WriteDateFrom)->setChecked(true);
    w.controlAs<QCheckBox>(ControlId::LineLabel)->setChecked(true);
    w.controlAs<QLineEdit>(ControlId::Delimiter)->setText(";x");
    w.controlAs<QLineEdit>(ControlId::ConversionColumn)->setText("FLOW");
    w.controlAs<QDateTimeEdit>(ControlId::BracketStart)->setTime(QTime(6, 30, 15));
    w.controlAs<QDateTimeEdit>(ControlId::BracketEnd)->setTime(QTime(19, 45, 0));
    QDateTime first(QDate(2016, 3, 1), QTime(0, 0, 0));
    w.controlAs<QDateTimeEdit>(ControlId::WriteStartDate)->setDateTime(first);

    const ToolSettings now = w.settings();
    QCOMPARE(now.interval, DataInterval::Min5);
    QCOMPARE(now.reduction, ReductionMode::Sampling);
    QCOMPARE(now.dateFormat, 7);
    QCOMPARE(now.splitDays, 3);
    QCOMPARE(now.conversion, 5);
    QVERIFY(!now.timeDelimiter);
    QVERIFY(now.bracketEnabled);
    QVERIFY(now.writeDateFrom);
    QVERIFY(now.lineLabelled);
    QCOMPARE(now.delimiter, std::string(";x"));
    QCOMPARE(now.conversionColumn, std::string("FLOW"));
    QCOMPARE(now.bracketStart, (TimeOfDay{6, 30, 15}));
    QCOMPARE(now.bracketEnd, (TimeOfDay{19, 45, 0}));
    QCOMPARE(now.writeStartDate, static_cast<std::time_t>(first.toSecsSinceEpoch()));
}

void MainWindowTest::readingStateDisablesTheEightControls()
{
    CCorvaneDlg w;
    const ControlId locked[] = {ControlId::ClearCsvData, ControlId::ConvertUnits,      ControlId::FillBlanks,
                                ControlId::ReadLabelTemplate, ControlId::SaveToCsv, ControlId::SaveToXml,
                                ControlId::SetOutputTemplate, ControlId::DateFormatList};
    const ControlId free[] = {ControlId::IntervalList, ControlId::ReductionList, ControlId::PreviewData,
                              ControlId::Close,        ControlId::SplitList,     ControlId::ReadCsvData,
                              ControlId::FillDatabase, ControlId::ConversionList, ControlId::FillValue,
                              ControlId::Delimiter,    ControlId::TimeDelimiter, ControlId::BracketEnable,
                              ControlId::WriteDateFrom, ControlId::Log};
    auto* read = w.controlAs<QPushButton>(ControlId::ReadCsvData);

    setReadingState(w, true);
    for (ControlId id : locked)
        QVERIFY2(!w.control(id)->isEnabled(), qPrintable(QString::number(static_cast<int>(id))));
    for (ControlId id : free)
        QVERIFY2(w.control(id)->isEnabled(), qPrintable(QString::number(static_cast<int>(id))));
    QCOMPARE(read->text(), QString("Stop Reading"));
    // The bracket pickers keep their own state.
    QVERIFY(!w.control(ControlId::BracketStart)->isEnabled());

    setReadingState(w, false);
    for (ControlId id : locked)
        QVERIFY(w.control(id)->isEnabled());
    QCOMPARE(read->text(), QString("&Read CSV Data"));
    QVERIFY(linesAfterWelcome(w).empty());
}

namespace {

// A template and the data of one read file.
void fillTree(DataTree& tree)
{
    DataNode* root = tree.root();
    tree.addChild(root, "template");
    tree.addChild(root, "outputTemplate");
    tree.addChild(root, "fileLabels");
    tree.addChild(root, "data");
    tree.addChild(root, "fileLabels");
}

QStringList childNames(DataTree& tree)
{
    QStringList names;
    for (DataNode* child = tree.root()->firstChild(); child; child = child->nextSibling())
        names << QString::fromUtf8(child->name().data(), static_cast<qsizetype>(child->name().size()));
    return names;
}

} // namespace

void MainWindowTest::enterClosesAndEmptiesTheTree()
{
    CCorvaneDlg w;
    fillTree(w.tree());
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* delimiter = w.controlAs<QLineEdit>(ControlId::Delimiter);
    delimiter->setFocus();
    QTRY_VERIFY(delimiter->hasFocus());
    const std::size_t before = w.log().size();
    QTest::keyClick(delimiter, Qt::Key_Return);
    QVERIFY(w.isHidden());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(childNames(w.tree()).isEmpty());
    QCOMPARE(w.tree().root()->name(), std::string_view("DocRoot"));
    QCOMPARE(w.log().size(), before); // Close itself writes nothing
}

void MainWindowTest::escapeAndTheCloseBoxKeepTheTree()
{
    {
        CCorvaneDlg w;
        fillTree(w.tree());
        w.show();
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isHidden());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(childNames(w.tree()).size(), 5);
    }
    {
        CCorvaneDlg w;
        fillTree(w.tree());
        w.show();
        QVERIFY(w.close());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(childNames(w.tree()).size(), 5);
    }
}

void MainWindowTest::clearCsvDataKeepsTheTemplates()
{
    CCorvaneDlg w;
    fillTree(w.tree());
    w.controlAs<QPushButton>(ControlId::ClearCsvData)->click();
    QCOMPARE(childNames(w.tree()), QStringList({"template", "outputTemplate"}));
    QCOMPARE(linesAfterWelcome(w), lines({"Deleting data from CSV file(s)."}));
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    QCOMPARE(log->currentRow(), log->count() - 1);
}

void MainWindowTest::aboutBoxOpensOnF1()
{
    CCorvaneDlg w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QString title, text;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (!about)
            return;
        seen = true;
        title = about->windowTitle();
        for (auto* label : about->findChildren<QLabel*>())
            text += label->text();
        QCOMPARE(about->okButton()->text(), QString("OK"));
        about->okButton()->click();
    });
    QTest::keyClick(&w, Qt::Key_F1);
    QVERIFY(seen);
    QCOMPARE(title, QString("About Corvane"));
    QCOMPARE(text, QString("Corvane Version 1.1"));
    QVERIFY(w.isVisible()); // back to the unchanged main window
    QVERIFY(linesAfterWelcome(w).empty());
}

void MainWindowTest::noDisplayIsNoticedBeforeQtStarts()
{
    std::map<std::string, std::string> environment;
    auto lookup = [&](const char* name) -> const char* {
        auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    };
    QVERIFY(!displayAvailable(lookup));
    environment["DISPLAY"] = "";
    QVERIFY(!displayAvailable(lookup)); // set but empty is no display
    environment["WAYLAND_DISPLAY"] = "wayland-0";
    QVERIFY(displayAvailable(lookup));
    environment.clear();
    environment["QT_QPA_PLATFORM"] = "offscreen";
    QVERIFY(displayAvailable(lookup));
    QVERIFY(noDisplayMessage().find("DISPLAY") != std::string::npos);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
