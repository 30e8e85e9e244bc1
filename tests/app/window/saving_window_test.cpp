// Saving from the window: numbers written the same whatever locale the
// window runs in.
#include "window_test_support.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <fstream>
#include <sstream>

using namespace tsl;
using namespace tsl::testing;

namespace {

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void click(CCorvaneDlg& w, ControlId id)
{
    w.controlAs<QPushButton>(id)->click();
}

} // namespace

class SavingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void numbersAreWrittenTheSameInEveryLocale();
    void savesRefuseTheFileReadInEveryFormat();
};

// The application object sets the C library's locale from the environment;
// under de_DE it would read and write decimal commas. A read, a unit
// conversion and a save give the same bytes there as in the "C" locale.
void SavingWindowTest::numbersAreWrittenTheSameInEveryLocale()
{
    QTemporaryDir dir;
    const std::string data = dir.filePath("f.csv").toStdString();
    std::ofstream(data, std::ios::binary) << "Date,Time,TEMP1,FLOW\n"
                                             "01/02/2015,10:00:00,71.20,1234567890\n"
                                             "01/02/2015,10:01:00,-3.5e2,0.125\n"
                                             "01/02/2015,10:02:00,1e30,1e39\n";
    auto savedIn = [&](const char* locale, const std::string& name) {
        if (!std::setlocale(LC_ALL, locale))
            return "the locale " + std::string(locale) + " is not installed (tools/install-deps makes it)";
        CCorvaneDlg w;
        DialogScript dialogs;
        const std::string out = dir.filePath(QString::fromStdString(name)).toStdString();
        dialogs.choices = {{data}, {out}};
        dialogs.install(w);
        click(w, ControlId::ReadCsvData);
        click(w, ControlId::ConvertUnits); // F -> K of the TEMP columns
        click(w, ControlId::SaveToCsv);
        std::setlocale(LC_ALL, "C");
        return contentOf(out);
    };
    const std::string german = savedIn("de_DE.UTF-8", "german.csv");
    const std::string classic = savedIn("C", "classic.csv");
    QCOMPARE(german, classic);
    QCOMPARE(classic, std::string("Date, Time,TEMP1,FLOW\r\n01/02/2015,10:00:00,295.0807,1234567936.00\r\n"
                                  "01/02/2015,10:01:00,61.0620, 0.12\r\n"
                                  "01/02/2015,10:02:00,555600017125084423969549844480.0000,  inf\r\n"));
}

// The window's saves call the core's refusal: a CSV, an Excel and an XML
// save named after the file just read each say why and leave it as it was.
void SavingWindowTest::savesRefuseTheFileReadInEveryFormat()
{
    QTemporaryDir dir;
    const std::string data = dir.filePath("a.csv").toStdString();
    writeLoggerFile(data, 30);
    const std::string logged = contentOf(data);
    CCorvaneDlg w;
    DialogScript dialogs;
    dialogs.choices = {{data}, {data}, {data}, {data}};
    dialogs.install(w);
    click(w, ControlId::ReadCsvData);
    const std::string refused =
        "ERROR: Nothing was saved to '" + data + "': it is a data file read in this session (a save never replaces one).";
    for (ControlId save : {ControlId::SaveToCsv, ControlId::SaveToExcel, ControlId::SaveToXml}) {
        click(w, save);
        QCOMPARE(linesAfterWelcome(w).back(), refused);
        QCOMPARE(contentOf(data), logged);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"a.csv"});
}

QTEST_MAIN(SavingWindowTest)
#include "saving_window_test.moc"
