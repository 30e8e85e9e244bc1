// Following a read from outside the reader, and how often the pump lets the
// window work.
#include "app/window/message_pump.h"
#include "app/window/read_progress_watcher.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <string>

using namespace tsl;

class ReadProgressTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheOpenFileOfTheBatchAndItsPosition();
    void pumpDispatchesAtMostOncePerInterval();
};

void ReadProgressTest::findsTheOpenFileOfTheBatchAndItsPosition()
{
    QTemporaryDir dir;
    const std::string first = dir.filePath("first.csv").toStdString();
    const std::string second = dir.filePath("second.csv").toStdString();
    for (const auto& [path, bytes] : {std::pair{first, 1000}, std::pair{second, 400000}}) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(std::string(bytes, 'x').data(), 1, bytes, file);
        std::fclose(file);
    }
    ReadProgressWatcher watcher;
    QVERIFY(!watcher.active() && !watcher.poll());
    // The second file given through a path with a detour in it.
    watcher.startBatch({first, dir.path().toStdString() + "/./../" + QDir(dir.path()).dirName().toStdString() +
                                   "/second.csv"});
    QVERIFY(watcher.active());
    QVERIFY(!watcher.poll()); // neither is open yet

    std::FILE* file = std::fopen(second.c_str(), "rb");
    QVERIFY(file);
    std::setvbuf(file, nullptr, _IONBF, 0);
    char buffer[4096];
    std::size_t read = 0;
    while (read < 100000)
        read += std::fread(buffer, 1, sizeof buffer, file);
    auto where = watcher.poll();
    QVERIFY(where);
    QCOMPARE(where->fileIndex, std::size_t(1));
    QCOMPARE(where->fileCount, std::size_t(2));
    QCOMPARE(where->fraction, static_cast<double>(read) / 400000.0);
    watcher.endBatch();
    QVERIFY(!watcher.active() && !watcher.poll()); // a file still open is no longer followed
    std::fclose(file);
}

void ReadProgressTest::pumpDispatchesAtMostOncePerInterval()
{
    MessagePump everyCall(std::chrono::milliseconds(0));
    for (int i = 0; i < 5; ++i)
        QVERIFY(everyCall.due());
    MessagePump pump(std::chrono::milliseconds(60000));
    for (int i = 0; i < 100000; ++i)
        QVERIFY(!pump.due()); // a minute has not passed
    MessagePump quick(std::chrono::milliseconds(1));
    QTest::qWait(5);
    int calls = 0;
    while (!quick.due() && calls < 1000)
        ++calls;
    QVERIFY(calls < 1000);
}

QTEST_MAIN(ReadProgressTest)
#include "read_progress_test.moc"
