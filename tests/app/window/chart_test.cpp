// The chart window over data with gaps and two scales: its lines, breaks and
// axes, zooming and panning, the read-out, choosing columns, exporting
// images, and opening it while a file is being read.
#include "window_test_support.h"

#include "app/chart/chart_panel.h"
#include "app/chart/plot_dlg.h"

#include <QFile>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <algorithm>
#include <cstdio>

using namespace tsl;
using namespace tsl::testing;

namespace {

// 2015-01-02 00:00:00 UTC, the first line of the data built below.
constexpr double start = 1420156800;

DataNode* addCell(DataTree& tree, DataNode* line, const std::string& label, const std::string& text)
{
    DataNode* cell = tree.addChild(line, "label");
    tree.setAttribute(cell, "value", label);
    cell->setText(text);
    return cell;
}

// Three hours of one-minute lines: a room temperature around 21 degrees,
// blank from 00:30 to 00:49; a valve position as a fraction; a pump state
// that is text only.
void buildTree(DataTree& tree)
{
    DataNode* day = addDataDay(tree);
    char text[32];
    for (int hourKey = 0; hourKey < 3; ++hourKey) {
        DataNode* hour = tree.addChild(day, "dataHour");
        std::snprintf(text, sizeof text, "%02d", hourKey);
        tree.setAttribute(hour, "hour", text);
        for (int minute = 0; minute < 60; ++minute) {
            DataNode* line = tree.addChild(hour, "dataline");
            std::snprintf(text, sizeof text, "%02d:00", minute);
            tree.setAttribute(line, "timestampCSV", text);
            const int m = hourKey * 60 + minute;
            std::snprintf(text, sizeof text, "%5.2f", 21 + (m % 20) / 10.0);
            addCell(tree, line, "ROOM_T", m >= 30 && m < 50 ? "" : text);
            std::snprintf(text, sizeof text, "%5.2f", (m % 100) / 100.0);
            addCell(tree, line, "VALVE", text);
            addCell(tree, line, "PUMP", "OFF");
        }
    }
}

// The columns of the list that are checked, or (checkedOnly false) shown.
QStringList columns(const QListWidget* list, bool checkedOnly = true)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (checkedOnly ? list->item(i)->checkState() == Qt::Checked : !list->item(i)->isHidden())
            out << list->item(i)->text();
    return out;
}

// The chart window over the data built below.
CPlotDlg& plotOf(CCorvaneDlg& w)
{
    buildTree(w.tree());
    w.OnPlotData();
    return *w.plotWindow();
}

std::vector<double> pointTimes(const QXYSeries* series)
{
    std::vector<double> times;
    for (const QPointF& point : series->points())
        times.push_back(point.x() / 1000);
    return times;
}

QByteArray fileHead(const QString& path, int bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

QPoint viewPointOf(CChartPanel& panel, const QPointF& value, QAbstractSeries* series)
{
    const QPointF inChart = panel.chart()->mapToPosition(value, series);
    return panel.mapFromScene(panel.chart()->mapToScene(inChart));
}

} // namespace

class ChartTest : public QObject {
    Q_OBJECT

private slots:
    void linesBreakAtTheGapAndScalesGetTheirAxes();
    void zoomPanAndReset();
    void readOutNamesTheNearestReading();
    void filterAndCheckBoxesChooseTheColumns();
    void exportsPngAndSvgAndKeepsTheOldFileOnFailure();
    void openedDuringAReadShowsTheDataSoFar();
};

void ChartTest::linesBreakAtTheGapAndScalesGetTheirAxes()
{
    CCorvaneDlg w;
    buildTree(w.tree());
    w.control(ControlId::PlotData)->setFocus();
    qobject_cast<QPushButton*>(w.control(ControlId::PlotData))->click();
    CPlotDlg* plot = w.plotWindow();
    QVERIFY(plot && plot->isVisible());
    CChartPanel& panel = *plot->panel();
    QCOMPARE(columns(plot->columnList()), (QStringList{"ROOM_T", "VALVE", "PUMP"}));

    // Time across the whole data; each scale on its own side.
    QCOMPARE(panel.visibleFrom(), start);
    QCOMPARE(panel.visibleTo(), start + 180 * 60); // widened to whole ticks
    QVERIFY(panel.valueAxis(1) != nullptr);
    QCOMPARE(panel.valueAxisOf(0), 0);
    QCOMPARE(panel.valueAxisOf(1), 1);
    QVERIFY(panel.valueAxis(0)->min() <= 21 && panel.valueAxis(0)->max() >= 22.9);
    QVERIFY(panel.valueAxis(1)->min() <= 0 && panel.valueAxis(1)->max() >= 0.99 && panel.valueAxis(1)->max() < 2);
    QCOMPARE(panel.valueAxis(0)->titleText(), QString("ROOM_T, PUMP"));
    QVERIFY(panel.runsOf(1).front()->attachedAxes().contains(panel.valueAxis(1)));
    QCOMPARE(panel.timeAxis()->format(), QString("MMM d HH:mm"));

    // The temperature breaks across its blank twenty minutes, and nothing is
    // drawn inside them; the valve is one line; text draws nothing.
    const auto room = panel.runsOf(0);
    QCOMPARE(room.size(), std::size_t(2));
    QCOMPARE(pointTimes(room[0]).back(), start + 29 * 60);
    QCOMPARE(pointTimes(room[1]).front(), start + 50 * 60);
    QCOMPARE(room[0]->count() + room[1]->count(), 160);
    QCOMPARE(room[0]->at(0).y(), 21.0);
    QCOMPARE(panel.runsOf(1).size(), std::size_t(1));
    QCOMPARE(panel.runsOf(1).front()->count(), 180);
    QVERIFY(panel.runsOf(2).empty());
    QCOMPARE(panel.lonePointsOf(0)->count(), 0);

    // One legend entry per column.
    int entries = 0;
    for (QLegendMarker* marker : panel.chart()->legend()->markers())
        entries += marker->isVisible();
    QCOMPARE(entries, 3);
}

void ChartTest::zoomPanAndReset()
{
    CCorvaneDlg w;
    CChartPanel& panel = *plotOf(w).panel();

    // The wheel zooms the time around the pointer; the lines are drawn
    // again for the range shown, reaching just past its edges.
    const QPoint middle = panel.viewport()->rect().center();
    QWheelEvent wheel(middle, panel.viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 5 * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel.viewport(), &wheel);
    const double span = panel.visibleTo() - panel.visibleFrom();
    QVERIFY(span < 179 * 60 * 0.4 && span > 179 * 60 * 0.2);
    QVERIFY(panel.visibleFrom() > start);
    panel.refineNow();
    const auto valve = pointTimes(panel.runsOf(1).front());
    QVERIFY(valve.front() >= panel.visibleFrom() - 60 && valve.front() <= panel.visibleFrom());
    QVERIFY(valve.back() <= panel.visibleTo() + 60 && valve.back() >= panel.visibleTo());

    // A rectangle dragged with the mouse zooms to it.
    const double before = panel.visibleTo() - panel.visibleFrom();
    const QRect plot = panel.chart()->plotArea().toRect();
    QTest::mousePress(panel.viewport(), Qt::LeftButton, Qt::NoModifier, plot.topLeft() + QPoint(20, 20));
    QTest::mouseMove(panel.viewport(), plot.topLeft() + QPoint(120, 120));
    QTest::mouseRelease(panel.viewport(), Qt::LeftButton, Qt::NoModifier, plot.topLeft() + QPoint(120, 120));
    QVERIFY(panel.visibleTo() - panel.visibleFrom() < before / 2);

    // Panning keeps the span; the arrow keys pan too.
    const double from = panel.visibleFrom(), to = panel.visibleTo();
    panel.panBy(plot.width() / 2.0, 0);
    const double panned = panel.visibleFrom();
    QVERIFY(panned > from);
    QVERIFY(std::abs((panel.visibleTo() - panned) - (to - from)) < 1);
    QTest::keyClick(&panel, Qt::Key_Left);
    QVERIFY(panel.visibleFrom() < panned);

    // No zoom goes below ten seconds; reset shows everything again.
    panel.zoomTime(1e-9, start + 60 * 60);
    QVERIFY(panel.visibleTo() - panel.visibleFrom() >= 9.9);
    for (QPushButton* button : w.plotWindow()->findChildren<QPushButton*>())
        if (button->text() == "Reset Zoom")
            button->click();
    QCOMPARE(panel.visibleFrom(), start);
    QCOMPARE(panel.visibleTo(), start + 180 * 60); // widened to whole ticks
}

void ChartTest::readOutNamesTheNearestReading()
{
    CCorvaneDlg w;
    CPlotDlg& plot = plotOf(w);
    CChartPanel& panel = *plot.panel();
    QLineSeries* valve = panel.runsOf(1).front();
    // 00:40, in the temperature's gap, so only the valve is near.
    const QPointF reading = valve->at(40);
    QTest::mouseMove(panel.viewport(), viewPointOf(panel, reading, valve) + QPoint(2, -2));
    QCOMPARE(plot.readOut()->text(), QString("VALVE: 0.4 at 2015-01-02 00:40:00"));

    // Far from any line, only the time shows; outside the plot, nothing.
    const QPoint inGap = viewPointOf(panel, QPointF((start + 40 * 60) * 1000, 22.8), panel.runsOf(0).front());
    const QString timeOnly = panel.readOutAt(inGap);
    QVERIFY(timeOnly.startsWith("2015-01-02 00:") && !timeOnly.contains(" at "));
    QVERIFY(panel.readOutAt(QPoint(1, 1)).isEmpty());
}

void ChartTest::filterAndCheckBoxesChooseTheColumns()
{
    CCorvaneDlg w;
    CPlotDlg& plot = plotOf(w);
    QTest::keyClicks(plot.filter(), "al");
    QCOMPARE(columns(plot.columnList(), false), (QStringList{"VALVE"}));
    plot.filter()->clear();
    QCOMPARE(columns(plot.columnList(), false).size(), 3);

    // Unchecking two boxes draws once, with one axis left.
    plot.columnList()->item(0)->setCheckState(Qt::Unchecked);
    plot.columnList()->item(2)->setCheckState(Qt::Unchecked);
    QTRY_COMPARE(plot.panel()->data().columns.size(), std::size_t(1));
    QCOMPARE(plot.panel()->data().columns[0].label, std::string("VALVE"));
    QVERIFY(plot.panel()->valueAxis(1) == nullptr);

    // Pressing Plot Data again reads the data anew and keeps the choice.
    DataNode* hour = w.tree().findNode(w.tree().root(), "dataHour");
    w.tree().findNode(hour, "label")->setText("99.00");
    w.OnPlotData();
    QCOMPARE(columns(plot.columnList()), (QStringList{"VALVE"}));
    plot.chooseColumns({"ROOM_T"});
    QCOMPARE(plot.panel()->data().columns[0].high, 99.0f);
}

void ChartTest::exportsPngAndSvgAndKeepsTheOldFileOnFailure()
{
    QTemporaryDir dir;
    const QString png = dir.filePath("chart.png"), svg = dir.filePath("chart.svg");
    CCorvaneDlg w;
    DialogScript dialogs;
    dialogs.choices = {{png.toStdString()}, {svg.toStdString()}, {}, {dir.filePath("none/x.png").toStdString()}};
    dialogs.install(w);
    CPlotDlg& plot = plotOf(w);
    plot.exportChart("png");
    plot.exportChart("svg");
    plot.exportChart("png"); // cancelled
    plot.exportChart("png"); // a folder that does not exist

    QCOMPARE(fileHead(png, 8), QByteArray("\x89PNG\r\n\x1a\n"));
    QVERIFY(QFile(png).size() > 5000);
    QVERIFY(fileHead(svg, 400).contains("<svg"));
    QVERIFY(QFile(svg).size() > 5000);
    QCOMPARE(dialogs.modes.size(), std::size_t(4));
    QCOMPARE(dialogs.modes[0], FileDialogMode::Save);
    QCOMPARE(dialogs.shown[1].defaultExtension, std::string("svg"));
    const auto log = linesAfterWelcome(w);
    QCOMPARE(log.size(), std::size_t(3));
    QCOMPARE(log[0], "Chart of 3 columns over 180 data lines saved to file '" + png.toStdString() + "'");
    QVERIFY(log[2].rfind("ERROR: chart could not be written to file '", 0) == 0);

    // A format with no writer leaves the file of that name as it was.
    QFile old(dir.filePath("chart.xyz"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();
    QString error;
    QVERIFY(!plot.panel()->saveImage(old.fileName(), error));
    QVERIFY(error.contains(".xyz"));
    QCOMPARE(fileHead(old.fileName(), 100), QByteArray("earlier"));
}

void ChartTest::openedDuringAReadShowsTheDataSoFar()
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("three_days.csv").toStdString();
    writeLoggerFile(file, 3 * 1440);
    CCorvaneDlg w;
    w.messagePump().setInterval(std::chrono::milliseconds(0));
    DialogScript dialogs;
    dialogs.choices = {{file}};
    dialogs.install(w);
    std::size_t linesSoFar = 0;
    bool stillReading = false;
    onLogLine(w, "Starting day Sunday, January 04, 2015", [&] {
        qobject_cast<QPushButton*>(w.control(ControlId::PlotData))->click();
        linesSoFar = w.plotWindow()->panel()->data().times.size();
        stillReading = w.reading().readInProgress != 0;
    });
    w.OnReadCsvData();

    QVERIFY(stillReading);
    QVERIFY(linesSoFar >= 2 * 1440 && linesSoFar < 3 * 1440);
    QCOMPARE(columns(w.plotWindow()->columnList()), (QStringList{"TEMP1", "FLOW"}));
    w.plotWindow()->refresh();
    QCOMPARE(w.plotWindow()->panel()->data().times.size(), std::size_t(3 * 1440));
}

QTEST_MAIN(ChartTest)
#include "chart_test.moc"
