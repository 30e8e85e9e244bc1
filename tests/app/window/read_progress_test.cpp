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
    void knowsNothingBeforeAndAfterABatch();
    void pumpDispatchesAtMostOncePerInterval();
};

namespace {

std::string makeFile(const QTemporaryDir& dir, const char* name, std::size_t bytes)
{
    std::string path = dir.filePath(name).toStdString();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::string block(bytes, 'x');
    std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
    return path;
}

} // namespace

void ReadProgressTest::findsTheOpenFileOfTheBatchAndItsPosition()
{
    QTemporaryDir dir;
    const std::string first = makeFile(dir, "first.csv", 1000);
    const std::string second = makeFile(dir, "second.csv", 400000);
    ReadProgressWatcher watcher;
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
    std::fclose(file);
    QVERIFY(!watcher.poll());
}

void ReadProgressTest::knowsNothingBeforeAndAfterABatch()
{
    QTemporaryDir dir;
    const std::string path = makeFile(dir, "only.csv", 10);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ReadProgressWatcher watcher;
    QVERIFY(!watcher.active());
    QVERIFY(!watcher.poll());
    watcher.startBatch({path});
    QVERIFY(watcher.poll());
    watcher.endBatch();
    QVERIFY(!watcher.active());
    QVERIFY(!watcher.poll());
    std::fclose(file);
}

void ReadProgressTest::pumpDispatchesAtMostOncePerInterval()
{
    MessagePump everyCall(std::chrono::milliseconds(0));
    for (int i = 0; i < 5; ++i)
        QVERIFY(everyCall.due());

    MessagePump pump(std::chrono::milliseconds(60000));
    int dispatched = 0;
    for (int i = 0; i < 100000; ++i)
        dispatched += pump.due() ? 1 : 0;
    QCOMPARE(dispatched, 0); // a minute has not passed

    MessagePump quick(std::chrono::milliseconds(1));
    QTest::qWait(5);
    int calls = 0;
    while (!quick.due())
        ++calls;
    // The clock is read once every few calls, never on each one.
    QVERIFY(calls >= 15);
    QVERIFY(calls < 16 * 2);
}

QTEST_MAIN(ReadProgressTest)
#include "read_progress_test.moc"
