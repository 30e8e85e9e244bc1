// Reads through the window: the read button and its stop question, drops,
// and what the window does when the user acts while a read runs.
#include "window_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
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

std::vector<std::string> lines(std::initializer_list<std::string> texts)
{
    return {texts.begin(), texts.end()};
}

int count(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

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
           !w.control(ControlId::DateFormatList)->isEnabled() && readButton(w)->text() == "Stop Reading";
}

} // namespace

class ReadingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void stopConfirmedDuringTheSecondOfThreeFiles();
    void answeringNoLetsTheReadGoOn();
    void cancelledChoiceLogsAndStaysIdle();
    void dropOfTwoFiles();
    void closeDuringAReadStopsItThenCloses();
    void closeBoxDuringAReadWaitsForIt();
    void dropDuringAReadIsReadAfterIt();
    void aFailedFileDoesNotUnlockTheRestOfTheBatch();
    void fileRequestAsEachCommandSetsIt();
    void importShowsItsFindingsBeforeReading();
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

void ReadingWindowTest::stopConfirmedDuringTheSecondOfThreeFiles()
{
    CCorvaneDlg w;
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    DialogScript dialogs;
    dialogs.choices = {{a_, b_, c_}};
    dialogs.install(w);
    QuestionScript questions;
    questions.answers = {MessageAnswer::Yes};
    bool lockedWhileAsked = false;
    bool progressShown = false;
    questions.whileAsking = [&] {
        lockedWhileAsked = lockedForReading(w);
        progressShown = w.readProgressBar()->isVisible() || !w.readProgressBar()->isHidden();
    };
    questions.install(w);
    onLogLine(w, "Reading file " + b_, [&] { readButton(w)->click(); });

    readButton(w)->click();

    QCOMPARE(questions.asked, lines({"Are you sure you want to stop data input?"}));
    QVERIFY(lockedWhileAsked);
    QVERIFY(progressShown);
    auto log = linesAfterWelcome(w);
    auto second = std::find(log.begin(), log.end(), "Reading file " + b_);
    QVERIFY(second != log.end());
    auto third = std::find(second, log.end(), "Reading file " + c_);
    QVERIFY(third != log.end());
    QVERIFY(std::find(second, third, "Data entry stopped by manual command.") != third);
    QVERIFY(std::find(third, log.end(), "Finished reading file.") != log.end());
    QCOMPARE(count(log, "Finished reading file."), 2);
    QCOMPARE(w.reading().stopRequested, 0);
    QCOMPARE(w.reading().readInProgress, 0);
    // Back to idle: the eight controls work again, the button reads again.
    QVERIFY(w.control(ControlId::ClearCsvData)->isEnabled());
    QCOMPARE(readButton(w)->text(), QString("&Read CSV Data"));
    QVERIFY(w.readProgressBar()->isHidden());
    // The data file field shows the folder of the several files chosen.
    QCOMPARE(w.controlAs<QLineEdit>(ControlId::DataFileName)->text(), dir_.path());
}

void ReadingWindowTest::answeringNoLetsTheReadGoOn()
{
    CCorvaneDlg w;
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    DialogScript dialogs;
    dialogs.choices = {{b_}};
    dialogs.install(w);
    QuestionScript questions;
    questions.answers = {MessageAnswer::No};
    questions.install(w);
    onLogLine(w, "Reading file " + b_, [&] { readButton(w)->click(); });
    readButton(w)->click();
    QCOMPARE(questions.asked.size(), std::size_t(1));
    auto log = linesAfterWelcome(w);
    QCOMPARE(count(log, "Finished reading file."), 1);
    QCOMPARE(count(log, "Data entry stopped by manual command."), 0);
}

void ReadingWindowTest::cancelledChoiceLogsAndStaysIdle()
{
    CCorvaneDlg w;
    DialogScript dialogs; // no choice queued: the dialog is cancelled
    dialogs.install(w);
    readButton(w)->click();
    QCOMPARE(linesAfterWelcome(w), lines({"ERROR- CSV file name not entered"}));
    auto* log = w.controlAs<QListWidget>(ControlId::Log);
    QCOMPARE(log->currentRow(), log->count() - 1);
    QCOMPARE(w.reading().readInProgress, 0);
    QVERIFY(w.control(ControlId::ClearCsvData)->isEnabled());
    QVERIFY(w.readProgressBar()->isHidden());
}

void ReadingWindowTest::dropOfTwoFiles()
{
    CCorvaneDlg w;
    w.show();
    dropOnto(w, {a_, c_});
    // The files are read once the drop itself has been answered.
    QVERIFY(linesAfterWelcome(w).empty());
    QTRY_COMPARE(count(linesAfterWelcome(w), "Finished reading files"), 1);
    auto log = linesAfterWelcome(w);
    QCOMPARE(count(log, "Finished reading file."), 2);
    QCOMPARE(log.back(), std::string("Finished reading files"));
    QCOMPARE(w.fileRequest().initialFolder, c_);
    QCOMPARE(readButton(w)->text(), QString("&Read CSV Data"));
    QVERIFY(w.control(ControlId::SaveToXml)->isEnabled());
    QVERIFY(w.tree().findNode(w.tree().root(), "data"));

    // The next open dialog starts in the folder of the last dropped file.
    QCOMPARE(dialogFolder(w.fileRequest()), dir_.path());
}

void ReadingWindowTest::closeDuringAReadStopsItThenCloses()
{
    CCorvaneDlg w;
    w.show();
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    DialogScript dialogs;
    dialogs.choices = {{b_, c_}};
    dialogs.install(w);
    bool closedDuringRead = true;
    onLogLine(w, "Reading file " + b_, [&] {
        w.controlAs<QPushButton>(ControlId::Close)->click();
        closedDuringRead = w.isHidden();
    });
    readButton(w)->click();

    QVERIFY(!closedDuringRead); // the window waited for the read
    QVERIFY(w.isHidden());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(w.tree().root()->firstChild() == nullptr);
    QVERIFY(w.reading().templateNode == nullptr);
    auto log = linesAfterWelcome(w);
    // Neither file was read to its end.
    QCOMPARE(count(log, "Finished reading file."), 0);
    QVERIFY(count(log, "Data entry stopped by manual command.") >= 1);
}

void ReadingWindowTest::closeBoxDuringAReadWaitsForIt()
{
    CCorvaneDlg w;
    w.show();
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    DialogScript dialogs;
    dialogs.choices = {{b_}};
    dialogs.install(w);
    bool hiddenAtOnce = true;
    onLogLine(w, "Reading file " + b_, [&] {
        w.close();
        hiddenAtOnce = w.isHidden();
    });
    readButton(w)->click();
    QVERIFY(!hiddenAtOnce);
    QVERIFY(w.isHidden());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    // The close box leaves the tree as it is.
    QVERIFY(w.tree().findNode(w.tree().root(), "data"));
    QCOMPARE(count(linesAfterWelcome(w), "Data entry stopped by manual command."), 1);
}

void ReadingWindowTest::dropDuringAReadIsReadAfterIt()
{
    CCorvaneDlg w;
    w.show();
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    DialogScript dialogs;
    dialogs.choices = {{b_}};
    dialogs.install(w);
    onLogLine(w, "Reading file " + b_, [&] { dropOnto(w, {c_}); });
    readButton(w)->click();

    auto log = linesAfterWelcome(w);
    QCOMPARE(count(log, "The dropped file will be read when the current read ends."), 1);
    QCOMPARE(count(log, "Finished reading file."), 1); // only b so far
    QTRY_COMPARE(count(linesAfterWelcome(w), "Finished reading file."), 2);
    QCOMPARE(w.fileRequest().initialFolder, c_);
    QCOMPARE(readButton(w)->text(), QString("&Read CSV Data"));
}

void ReadingWindowTest::aFailedFileDoesNotUnlockTheRestOfTheBatch()
{
    CCorvaneDlg w;
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    const std::string empty = dir_.filePath("empty.csv").toStdString();
    { QFile file(QString::fromStdString(empty)); QVERIFY(file.open(QIODevice::WriteOnly)); }
    DialogScript dialogs;
    dialogs.choices = {{empty, b_}};
    dialogs.install(w);
    bool lockedDuringSecond = false;
    onLogLine(w, "Reading file " + b_, [&] { lockedDuringSecond = lockedForReading(w); });
    readButton(w)->click();
    auto log = linesAfterWelcome(w);
    QCOMPARE(count(log, "There was an error while reading data."), 1);
    QCOMPARE(count(log, "Finished reading file."), 1);
    QVERIFY(lockedDuringSecond);
    QVERIFY(!lockedForReading(w));
}

void ReadingWindowTest::fileRequestAsEachCommandSetsIt()
{
    CCorvaneDlg w;
    DialogScript dialogs; // every dialog cancelled, except the read's
    dialogs.install(w);
    const int readLabel = 0, outputTemplate = 1, saveXml = 2, saveCsv = 3, saveCsvMask = 4, readCsv = 5,
              afterRead = 6;

    w.controlAs<QPushButton>(ControlId::ReadLabelTemplate)->click();
    w.controlAs<QPushButton>(ControlId::SetOutputTemplate)->click();
    w.controlAs<QPushButton>(ControlId::SaveToXml)->click();
    w.controlAs<QPushButton>(ControlId::SaveToCsv)->click();
    w.controlAs<QComboBox>(ControlId::SplitList)->setCurrentIndex(2);
    w.controlAs<QPushButton>(ControlId::SaveToCsv)->click();
    dialogs.choices = {{a_, c_}};
    readButton(w)->click();
    w.controlAs<QPushButton>(ControlId::ReadLabelTemplate)->click();
    QCOMPARE(dialogs.shown.size(), std::size_t(7));

    const auto& label = dialogs.shown[readLabel];
    QCOMPARE(dialogs.modes[readLabel], FileDialogMode::Open);
    QCOMPARE(label.title, std::string("Find Label Template File"));
    QVERIFY(!(label.options & FileRequest::AllowMultiSelect));
    QVERIFY(label.options & FileRequest::FileMustExist);
    QCOMPARE(label.filters[0].pattern, std::string("*.csv"));
    QCOMPARE(dialogs.shown[outputTemplate].title, std::string("Find Label Template File"));

    const auto& xml = dialogs.shown[saveXml];
    QCOMPARE(dialogs.modes[saveXml], FileDialogMode::Save);
    QCOMPARE(xml.title, std::string("Enter name of XML file to save data to:"));
    QCOMPARE(xml.defaultExtension, std::string("XML"));
    QCOMPARE(xml.filters[0].description, std::string("XML Files *.xml"));

    QCOMPARE(dialogs.modes[saveCsv], FileDialogMode::Save);
    QCOMPARE(dialogs.shown[saveCsv].title, std::string("Enter CSV file name:"));
    QCOMPARE(dialogs.shown[saveCsv].defaultExtension, std::string("CSV"));
    QCOMPARE(dialogs.shown[saveCsv].filters[0].description, std::string("CSV Files *.csv"));
    QCOMPARE(dialogs.shown[saveCsvMask].title, std::string("Enter CSV file mask:"));

    const auto& read = dialogs.shown[readCsv];
    QCOMPARE(dialogs.modes[readCsv], FileDialogMode::Open);
    QCOMPARE(read.title, std::string("Find CSV Datafile"));
    QVERIFY(read.options & FileRequest::AllowMultiSelect);
    QVERIFY(read.options & FileRequest::FileMustExist);
    QCOMPARE(read.defaultExtension, std::string("CSV"));
    QVERIFY(read.result.empty());
    QCOMPARE(read.initialFolder, FileRequest::startValues().initialFolder);

    // After the read the next dialog opens where the files were chosen.
    QCOMPARE(dialogs.shown[afterRead].initialFolder, dir_.path().toStdString());

    // Each request as Qt's dialog shows it.
    QFileDialog open;
    configureFileDialog(open, FileDialogMode::Open, read);
    QCOMPARE(open.windowTitle(), QString("Find CSV Datafile"));
    QCOMPARE(open.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(open.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(open.nameFilters(), QStringList({"CSV Files (*.csv)", "All Files (*)"}));
    QCOMPARE(open.selectedNameFilter(), QString("CSV Files (*.csv)"));
    QCOMPARE(open.defaultSuffix(), QString("csv"));

    QFileDialog single;
    configureFileDialog(single, FileDialogMode::Open, label);
    QCOMPARE(single.fileMode(), QFileDialog::ExistingFile);

    QFileDialog save;
    FileRequest xmlAfterRead = xml;
    xmlAfterRead.initialFolder = dir_.path().toStdString();
    configureFileDialog(save, FileDialogMode::Save, xmlAfterRead);
    QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(save.nameFilters(), QStringList({"XML Files (*.xml)", "All Files (*)"}));
    QCOMPARE(save.defaultSuffix(), QString("xml"));
    QVERIFY(save.testOption(QFileDialog::DontConfirmOverwrite)); // the save commands ask nothing
    QCOMPARE(save.directory().absolutePath(), dir_.path());
}

void ReadingWindowTest::importShowsItsFindingsBeforeReading()
{
    // Exports whose dates tell the month from the day (14 > 12), on a 12-hour clock.
    std::string export1 = dir_.filePath("export1.csv").toStdString();
    std::string export2 = dir_.filePath("export2.csv").toStdString();
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
    dialogs.choices = {{export1}, {export1}};
    dialogs.install(w);
    std::vector<std::size_t> reviewed;
    bool accept = false;
    w.setImportReview([&](const ImportPlan& plan) -> bool {
        reviewed.push_back(plan.files.front().report.empty() ? 0 : plan.files.size());
        return accept;
    });

    auto* import = qobject_cast<QPushButton*>(w.control(ControlId::ImportExports));
    QVERIFY(import);
    import->click();
    QCOMPARE(linesAfterWelcome(w).back(), std::string("Import cancelled: nothing was read."));
    QVERIFY(!w.tree().findNode(w.tree().root(), "data"));

    accept = true;
    import->click();
    QCOMPARE(count(linesAfterWelcome(w), "Finished reading file."), 1);
    // 1:05 PM lands in the afternoon, and the user's layout is kept
    QVERIFY(w.tree().findNodeByAttribute(w.tree().root(), "dataHour", "hour", "13"));
    QCOMPARE(w.settings().dateFormat, 1);
    QVERIFY(w.control(ControlId::SaveToCsv)->isEnabled());

    // files dropped on the button are imported, not read as they are
    dropOnto(w, {export2}, import->geometry().center());
    QTRY_COMPARE(count(linesAfterWelcome(w), "Import finished: 1 file prepared and read, 0 refused"), 2);
    QCOMPARE(reviewed, (std::vector<std::size_t>{1, 1, 1}));
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
    QTRY_COMPARE(count(linesAfterWelcome(w), "Finished reading files"), 1);
    QVERIFY(!lockedForReading(w));
    QCOMPARE(w.reading().readInProgress, 0);
}

QTEST_MAIN(ReadingWindowTest)
#include "reading_window_test.moc"
