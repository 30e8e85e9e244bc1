// Reads through the window: the read button and its stop question, drops,
// and what the window does when the user acts while a read runs.
#include "window_test_support.h"

#include "app/window/import_review_dlg.h"
#include "input/import_command.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <optional>

using namespace tsl;
using namespace tsl::testing;

namespace {

QPushButton* readButton(CCorvaneDlg& w)
{
    return w.controlAs<QPushButton>(ControlId::ReadCsvData);
}

void dropOnto(CCorvaneDlg& w, const std::vector<std::string>& paths, std::optional<QPoint> where = {})
{
    QMimeData data;
    QList<QUrl> urls;
    for (const auto& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QPoint at = where ? *where : w.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    QVERIFY(drop.isAccepted());
}

// Controls a read locks, as the window shows them now.
bool lockedForReading(CCorvaneDlg& w)
{
    return !w.control(ControlId::ClearCsvData)->isEnabled() && !w.control(ControlId::SaveToCsv)->isEnabled() &&
           !w.control(ControlId::SaveToExcel)->isEnabled() && !w.control(ControlId::DateFormatList)->isEnabled() &&
           !w.control(ControlId::ImportExports)->isEnabled() && readButton(w)->text() == "Stop Reading";
}

} // namespace

class ReadingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void stopQuestionDuringTheSecondOfThreeFiles();
    void cancelledChoiceLogsAndStaysIdle();
    void dropsAreReadAfterTheDropAndAfterACurrentRead();
    void filesNamedAtStartAreReadAsADrop();
    void closeDuringAReadStopsItThenCloses();
    void aFailedFileDoesNotUnlockTheRestOfTheBatch();
    void fileRequestAsEachCommandSetsIt();
    void savesAskBeforeReplacingAFile();
    void importShowsItsFindingsBeforeReading();
    void importOffersTheReadingsOfAmbiguousDates();
    void survivesEveryFileOfTheFuzzCorpus();

private:
    QTemporaryDir dir_;
    std::string a_, b_, c_;
};

void ReadingWindowTest::init()
{
    QVERIFY(dir_.isValid());
    a_ = dir_.filePath("a.csv").toStdString();
    b_ = dir_.filePath("b.csv").toStdString();
    c_ = dir_.filePath("c.csv").toStdString();
    writeLoggerFile(a_, 30);
    writeLoggerFile(b_, 600);
    writeLoggerFile(c_, 30);
}

void ReadingWindowTest::stopQuestionDuringTheSecondOfThreeFiles()
{
    // Yes stops the second file and the batch goes on with the third; No lets it be.
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        CCorvaneDlg w;
        w.messagePump().setInterval(std::chrono::milliseconds(0));
        DialogScript dialogs;
        dialogs.choices = {{a_, b_, c_}};
        dialogs.install(w);
        QuestionScript questions;
        questions.answers = {answer};
        bool lockedWhileAsked = false, progressShown = false;
        questions.whileAsking = [&] {
            lockedWhileAsked = lockedForReading(w);
            progressShown = !w.readProgressBar()->isHidden();
        };
        questions.install(w);
        onLogLine(w, "Reading file " + b_, [&] { readButton(w)->click(); });
        readButton(w)->click();

        QCOMPARE(questions.asked, std::vector<std::string>{"Are you sure you want to stop data input?"});
        QVERIFY(lockedWhileAsked && progressShown);
        const auto log = linesAfterWelcome(w);
        const auto second = std::find(log.begin(), log.end(), "Reading file " + b_);
        const auto third = std::find(second, log.end(), "Reading file " + c_);
        QVERIFY(third != log.end());
        const bool stopped = std::find(second, third, "Data entry stopped by manual command.") != third;
        QCOMPARE(stopped, answer == MessageAnswer::Yes);
        QCOMPARE(countOf(log, "Finished reading file."), stopped ? 2 : 3);
        QCOMPARE(log.back(), std::string("Finished reading file."));
        QCOMPARE(w.reading().stopRequested, 0);
        QCOMPARE(w.reading().readInProgress, 0);
        QVERIFY(!lockedForReading(w) && w.control(ControlId::ClearCsvData)->isEnabled());
        QVERIFY(w.readProgressBar()->isHidden());
        // The data file field shows the folder of the several files chosen.
        QCOMPARE(w.controlAs<QLineEdit>(ControlId::DataFileName)->text(), dir_.path());
    }
}

void ReadingWindowTest::cancelledChoiceLogsAndStaysIdle()
{
    CCorvaneDlg w;
    DialogScript dialogs; // no choice queued: the dialog is cancelled
    dialogs.install(w);
    readButton(w)->click();
    QCOMPARE(linesAfterWelcome(w), std::vector<std::string>{"ERROR- CSV file name not entered"});
    QCOMPARE(w.log().selected(), w.log().size() - 1);
    QCOMPARE(w.reading().readInProgress, 0);
    QVERIFY(!lockedForReading(w) && w.readProgressBar()->isHidden());
}

void ReadingWindowTest::dropsAreReadAfterTheDropAndAfterACurrentRead()
{
    CCorvaneDlg w;
    w.show();
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    dropOnto(w, {a_, c_});
    QVERIFY(linesAfterWelcome(w).empty()); // read once the drop itself has been answered
    QTRY_COMPARE(countOf(linesAfterWelcome(w), "Finished reading files"), 1);
    QCOMPARE(countOf(linesAfterWelcome(w), "Finished reading file."), 2);
    QCOMPARE(linesAfterWelcome(w).back(), std::string("Finished reading files"));
    QVERIFY(!lockedForReading(w));
    QVERIFY(w.tree().findNode(w.tree().root(), "data"));
    // The next open dialog starts in the folder of the last dropped file.
    QCOMPARE(w.fileRequest().initialFolder, c_);
    QCOMPARE(dialogFolder(w.fileRequest()), dir_.path());

    DialogScript dialogs;
    dialogs.choices = {{b_}};
    dialogs.install(w);
    onLogLine(w, "Reading file " + b_, [&] { dropOnto(w, {a_}); });
    readButton(w)->click();
    auto log = linesAfterWelcome(w);
    QCOMPARE(countOf(log, "The dropped file will be read when the current read ends."), 1);
    QCOMPARE(countOf(log, "Finished reading file."), 3); // b, with a still to come
    QTRY_COMPARE(countOf(linesAfterWelcome(w), "Finished reading file."), 4);
    QCOMPARE(w.fileRequest().initialFolder, a_);
    QVERIFY(!lockedForReading(w));
}

void ReadingWindowTest::filesNamedAtStartAreReadAsADrop()
{
    writeLoggerFile(b_, 10);
    const QString started = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    CCorvaneDlg w;
    w.openAtStart({"a.csv", b_});
    QDir::setCurrent(started);
    QVERIFY(linesAfterWelcome(w).empty()); // nothing before the window runs
    QTRY_COMPARE(countOf(linesAfterWelcome(w), "Finished reading files"), 1);
    QCOMPARE(countOf(linesAfterWelcome(w), "Finished reading file."), 2);
    // A relative name is the file in the folder the program started in.
    QCOMPARE(w.fileRequest().initialFolder, b_);
    QVERIFY(w.tree().findNode(w.tree().root(), "data"));
}

void ReadingWindowTest::closeDuringAReadStopsItThenCloses()
{
    // The window waits for the read to stop. Then the Close button empties the
    // tree, the close box keeps it.
    for (bool closeButton : {true, false}) {
        CCorvaneDlg w;
        w.show();
        w.messagePump().setInterval(std::chrono::milliseconds(0));
        DialogScript dialogs;
        dialogs.choices = {{b_, c_}};
        dialogs.install(w);
        QuestionScript questions;
        questions.answers = {MessageAnswer::Yes};
        questions.install(w);
        bool hiddenAtOnce = true;
        onLogLine(w, "Reading file " + b_, [&] {
            if (closeButton)
                w.controlAs<QPushButton>(ControlId::Close)->click();
            else
                w.close();
            hiddenAtOnce = w.isHidden();
        });
        readButton(w)->click();

        QVERIFY(!hiddenAtOnce);
        QVERIFY(w.isHidden());
        QCOMPARE(questions.asked, std::vector<std::string>{"Data not saved will be lost. Close anyway?"});
        QCOMPARE(w.result(), int(closeButton ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(w.tree().root()->firstChild() == nullptr, closeButton);
        QCOMPARE(w.reading().templateNode == nullptr, closeButton);
        const auto log = linesAfterWelcome(w);
        QCOMPARE(countOf(log, "Finished reading file."), 0); // neither file read to its end
        QVERIFY(countOf(log, "Data entry stopped by manual command.") >= 1);
    }
}

void ReadingWindowTest::aFailedFileDoesNotUnlockTheRestOfTheBatch()
{
    CCorvaneDlg w;
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    const std::string empty = dir_.filePath("empty.csv").toStdString();
    QVERIFY(QFile(QString::fromStdString(empty)).open(QIODevice::WriteOnly));
    DialogScript dialogs;
    dialogs.choices = {{empty, b_}};
    dialogs.install(w);
    bool lockedDuringSecond = false;
    onLogLine(w, "Reading file " + b_, [&] { lockedDuringSecond = lockedForReading(w); });
    readButton(w)->click();
    const auto log = linesAfterWelcome(w);
    QCOMPARE(countOf(log, "There was an error while reading data."), 1);
    QCOMPARE(countOf(log, "Finished reading file."), 1);
    QVERIFY(lockedDuringSecond);
    QVERIFY(!lockedForReading(w));
}

void ReadingWindowTest::fileRequestAsEachCommandSetsIt()
{
    CCorvaneDlg w;
    DialogScript dialogs; // every dialog cancelled, except the read's
    dialogs.install(w);
    w.controlAs<QPushButton>(ControlId::ReadLabelTemplate)->click();
    w.controlAs<QPushButton>(ControlId::SetOutputTemplate)->click();
    w.controlAs<QPushButton>(ControlId::SaveToXml)->click();
    w.controlAs<QPushButton>(ControlId::SaveToCsv)->click();
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(2);
    w.controlAs<QPushButton>(ControlId::SaveToCsv)->click();
    w.controlAs<QPushButton>(ControlId::SaveToExcel)->click();
    dialogs.choices = {{a_, c_}};
    readButton(w)->click();
    w.controlAs<QPushButton>(ControlId::ReadLabelTemplate)->click();

    struct Expected {
        FileDialogMode mode;
        const char* title;
        const char* extension;
        const char* filter;
        bool several;
        bool asksBeforeReplacing = false;
    };
    const Expected expected[] = {
        {FileDialogMode::Open, "Find Label Template File", "CSV", "CSV Files *.csv", false},
        {FileDialogMode::Open, "Find Label Template File", "CSV", "CSV Files *.csv", false},
        {FileDialogMode::Save, "Enter name of XML file to save data to:", "XML", "XML Files *.xml", false, true},
        {FileDialogMode::Save, "Enter CSV file name:", "CSV", "CSV Files *.csv", false, true},
        // A mask names files to come, never one that is written as named.
        {FileDialogMode::Save, "Enter CSV file mask:", "CSV", "CSV Files *.csv", false, false},
        {FileDialogMode::Save, "Enter Excel file mask:", "XLSX", "Excel Workbooks *.xlsx", false, false},
        {FileDialogMode::Open, "Find CSV Datafile", "CSV", "CSV Files *.csv", true},
        {FileDialogMode::Open, "Find Label Template File", "CSV", "CSV Files *.csv", false},
    };
    QCOMPARE(dialogs.shown.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const FileRequest& shown = dialogs.shown[i];
        QCOMPARE(dialogs.modes[i], expected[i].mode);
        QCOMPARE(shown.title, std::string(expected[i].title));
        QCOMPARE(shown.defaultExtension, std::string(expected[i].extension));
        QCOMPARE(shown.filters.front().description, std::string(expected[i].filter));
        QCOMPARE(bool(shown.options & FileRequest::AllowMultiSelect), expected[i].several);
        if (expected[i].mode == FileDialogMode::Open)
            QVERIFY(shown.options & FileRequest::FileMustExist);
        QCOMPARE(bool(shown.options & FileRequest::OverwritePrompt), expected[i].asksBeforeReplacing);
    }
    const FileRequest& read = dialogs.shown[6];
    QVERIFY(read.result.empty());
    QCOMPARE(read.initialFolder, FileRequest::startValues().initialFolder);
    // After the read the next dialog opens where the files were chosen.
    QCOMPARE(dialogs.shown[7].initialFolder, dir_.path().toStdString());

    // Each request as Qt's dialog shows it.
    QFileDialog open;
    configureFileDialog(open, FileDialogMode::Open, read);
    QCOMPARE(open.windowTitle(), QString("Find CSV Datafile"));
    QCOMPARE(open.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(open.selectedNameFilter(), QString("CSV Files (*.csv)"));
    QFileDialog save;
    FileRequest xml = dialogs.shown[2];
    xml.initialFolder = dir_.path().toStdString();
    configureFileDialog(save, FileDialogMode::Save, xml);
    QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(save.nameFilters(), QStringList({"XML Files (*.xml)", "All Files (*)"}));
    QCOMPARE(save.defaultSuffix(), QString("xml"));
    QVERIFY(save.testOption(QFileDialog::DontConfirmOverwrite)); // the window asks its own question
    QCOMPARE(save.directory().absolutePath(), dir_.path());
}

void ReadingWindowTest::savesAskBeforeReplacingAFile()
{
    const std::string out = dir_.filePath("out.csv").toStdString(), other = dir_.filePath("other.csv").toStdString();
    const std::string xml = dir_.filePath("out.xml").toStdString(), xlsx = dir_.filePath("out.xlsx").toStdString();
    const std::string question = "'out.csv' already exists. Replace it?";
    auto contentOf = [](const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(none)");
    };
    struct Case {
        const char* what;
        ControlId button;
        int split;
        std::vector<std::vector<std::string>> choices;
        std::vector<MessageAnswer> answers;
        std::vector<std::string> asked;
        std::string replaced; // of the files there before; empty for none
        bool saved;           // and closing asks no more
    };
    const Case cases[] = {
        {"No, then cancelled", ControlId::SaveToCsv, 0, {{out}, {}}, {MessageAnswer::No}, {question}, "", false},
        {"No, then another name", ControlId::SaveToCsv, 0, {{out}, {other}}, {MessageAnswer::No}, {question}, "", true},
        {"Yes", ControlId::SaveToCsv, 0, {{out}}, {MessageAnswer::Yes}, {question}, out, true},
        {"a new name", ControlId::SaveToCsv, 0, {{other}}, {}, {}, "", true},
        {"XML, Yes", ControlId::SaveToXml, 0, {{xml}}, {MessageAnswer::Yes}, {"'out.xml' already exists. Replace it?"},
         xml, true},
        {"Excel, No, then cancelled", ControlId::SaveToExcel, 0, {{xlsx}, {}}, {MessageAnswer::No},
         {"'out.xlsx' already exists. Replace it?"}, "", false},
        {"Excel, Yes", ControlId::SaveToExcel, 0, {{xlsx}}, {MessageAnswer::Yes},
         {"'out.xlsx' already exists. Replace it?"}, xlsx, true},
        {"a mask for split files", ControlId::SaveToCsv, 1, {{out}}, {}, {}, "", true},
        {"a mask for split workbooks", ControlId::SaveToExcel, 1, {{xlsx}}, {}, {}, "", true},
    };
    for (const Case& k : cases) {
        for (const std::string& path : {out, xml, xlsx}) {
            QFile empty(QString::fromStdString(path));
            QVERIFY(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
        }
        QFile::remove(QString::fromStdString(other));
        CCorvaneDlg w;
        w.dropFiles({a_});
        QVERIFY(w.dataChanges().unsaved());
        w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(k.split);
        DialogScript dialogs;
        dialogs.choices = k.choices;
        dialogs.install(w);
        QuestionScript questions;
        questions.answers = k.answers;
        questions.install(w);
        w.controlAs<QPushButton>(k.button)->click();
        QCOMPARE(questions.asked, k.asked);
        QCOMPARE(dialogs.shown.size(), k.choices.size());
        for (const std::string& path : {out, xml, xlsx})
            QVERIFY2((contentOf(path) != "") == (path == k.replaced), k.what);
        QVERIFY2(w.dataChanges().unsaved() != k.saved, k.what);
    }
}

void ReadingWindowTest::importShowsItsFindingsBeforeReading()
{
    // Exports whose dates tell the month from the day (14 > 12), on a 12-hour clock.
    const std::string export1 = dir_.filePath("export1.csv").toStdString();
    const std::string export2 = dir_.filePath("export2.csv").toStdString();
    for (const std::string& path : {export1, export2}) {
        std::string text = "Date,Time,Zone Temp\n";
        for (int minute = 0; minute < 20; ++minute)
            text += "3/14/2026,1:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + " PM,7" +
                    std::to_string(minute % 10) + ".5\n";
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.c_str());
    }
    CCorvaneDlg w;
    w.show();
    DialogScript dialogs;
    dialogs.choices = {{export1}, {export1}, {export1}};
    dialogs.install(w);
    std::vector<std::size_t> reviewed;
    std::vector<std::string> foldersOffered;
    bool accept = false;
    std::string folderChosen;
    w.setImportReview([&](const ImportPlan& plan, std::string& folder) -> bool {
        reviewed.push_back(plan.files.front().report.empty() ? 0 : plan.files.size());
        foldersOffered.push_back(folder);
        folder = folderChosen;
        return accept;
    });

    auto* import = w.controlAs<QPushButton>(ControlId::ImportExports);
    import->click();
    QCOMPARE(linesAfterWelcome(w).back(), std::string("Import cancelled: nothing was read."));
    QVERIFY(!w.tree().findNode(w.tree().root(), "data"));

    accept = true;
    import->click();
    QCOMPARE(countOf(linesAfterWelcome(w), "Finished reading file."), 1);
    // 1:05 PM lands in the afternoon, and the user's layout is kept
    QVERIFY(w.tree().findNodeByAttribute(w.tree().root(), "dataHour", "hour", "13"));
    QCOMPARE(w.settings().dateFormat, 1);
    QVERIFY(w.control(ControlId::SaveToCsv)->isEnabled());

    // files dropped on the button are imported, not read as they are; the
    // review chose a folder for the prepared copies, kept for the next import
    const QString copies = dir_.filePath("copies");
    QVERIFY(QDir().mkdir(copies));
    folderChosen = copies.toStdString();
    dropOnto(w, {export2}, import->geometry().center());
    QTRY_COMPARE(countOf(linesAfterWelcome(w), "Import finished: 1 file prepared and read, 0 refused"), 2);
    QCOMPARE(reviewed, (std::vector<std::size_t>{1, 1, 1}));
    QVERIFY(!QDir(copies).entryList(QDir::Files).filter("export2").isEmpty());
    QCOMPARE(w.importFolder(), folderChosen);
    accept = false;
    import->click();
    QCOMPARE(foldersOffered, (std::vector<std::string>{"", "", "", folderChosen}));
}

// 01/02/2026 reads as 2 January or 1 February: the review lists both, and
// the one chosen there is planned and reviewed again, then read.
void ReadingWindowTest::importOffersTheReadingsOfAmbiguousDates()
{
    const std::string path = dir_.filePath("ambiguous.csv").toStdString();
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Time,Temp\n01/02/2026 10:00,20.5\n01/02/2026 10:01,21.5\n");
    file.close();

    CCorvaneDlg w;
    DialogScript dialogs;
    dialogs.choices = {{path}};
    dialogs.install(w);
    std::vector<std::string> offered;
    w.setImportReview([&](ImportPlan& plan, std::string& folder) {
        // the review as the user works it: the second reading chosen, then OK
        QTimer::singleShot(0, [&] {
            auto* review = QApplication::activeModalWidget();
            QVERIFY(review);
            auto* choice = review->findChild<QComboBox*>();
            QVERIFY(choice);
            offered.push_back(choice->currentText().toStdString());
            if (offered.size() == 1)
                choice->setCurrentIndex(choice->currentIndex() == 0 ? 1 : 0);
            QMetaObject::invokeMethod(review, "accept", Qt::QueuedConnection);
        });
        return reviewImport(&w, plan, folder);
    });
    w.controlAs<QPushButton>(ControlId::ImportExports)->click();
    QCOMPARE(offered, (std::vector<std::string>{"month first (first 2026-01-02 10:00:00)",
                                                "day first (first 2026-02-01 10:00:00)"}));
    QVERIFY(w.tree().findNodeByAttribute(w.tree().root(), "dataMonth", "month", "02"));
    QCOMPARE(countOf(linesAfterWelcome(w), "   time: column 'Time', day first, four-digit year, 24-hour clock; "
                                           "read day first: as chosen in the review"),
             1);
}

void ReadingWindowTest::survivesEveryFileOfTheFuzzCorpus()
{
    std::vector<std::string> files;
    QDirIterator it(TSL_FUZZ_CORPUS_DIR, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back(it.next().toStdString());
    QVERIFY(!files.empty());
    CCorvaneDlg w;
    w.show();
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    // every file through the read button (XML files to the XML reader), then dropped
    DialogScript dialogs;
    dialogs.choices = {files};
    dialogs.install(w);
    readButton(w)->click();
    dropOnto(w, files);
    QTRY_COMPARE(countOf(linesAfterWelcome(w), "Finished reading files"), 1);
    QVERIFY(!lockedForReading(w));
    QCOMPARE(w.reading().readInProgress, 0);
}

QTEST_MAIN(ReadingWindowTest)
#include "reading_window_test.moc"
