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
#include <cmath>
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

// The chart window over the data built below, laid out as it shows.
CPlotDlg& plotOf(CCorvaneDlg& w)
{
    buildTree(w.tree());
    w.OnPlotData();
    QApplication::processEvents();
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

// The time axis' labels and where they stand (seconds), and whether the
// value axes step by 1, 2 or 5 times a power of ten.
std::vector<std::pair<QString, double>> timeLabels(const CChartPanel& panel)
{
    std::vector<std::pair<QString, double>> labels;
    for (const QString& label : panel.timeAxis()->categoriesLabels())
        labels.emplace_back(label, panel.timeAxis()->endValue(label) / 1000);
    return labels;
}

bool wholeValueSteps(const CChartPanel& panel)
{
    for (int axis = 0; axis < 2; ++axis) {
        const QValueAxis* values = panel.valueAxis(axis);
        if (!values)
            continue;
        const double step = values->tickInterval();
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
        if (values->tickType() != QValueAxis::TicksDynamic || values->tickAnchor() != 0 ||
            !(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 5) < 1e-9))
            return false;
    }
    return true;
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
    void clearedAndImportedDataTicksTheColumnsWithReadings();
    void noDataSaysSo();
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
    // The columns that hold readings are ticked; the text-only one is not.
    QCOMPARE(columns(plot->columnList()), (QStringList{"ROOM_T", "VALVE"}));
    plot->chooseColumns({"ROOM_T", "VALVE", "PUMP"});

    // Time from the first reading to the last; each scale on its own side.
    QCOMPARE(panel.visibleFrom(), start);
    QCOMPARE(panel.visibleTo(), start + 179 * 60);
    QVERIFY(panel.valueAxis(1) != nullptr);
    QCOMPARE(panel.valueAxisOf(0), 0);
    QCOMPARE(panel.valueAxisOf(1), 1);
    QVERIFY(panel.valueAxis(0)->min() <= 21 && panel.valueAxis(0)->max() >= 22.9);
    QVERIFY(panel.valueAxis(1)->min() <= 0 && panel.valueAxis(1)->max() >= 0.99 && panel.valueAxis(1)->max() < 2);
    QCOMPARE(panel.valueAxis(0)->titleText(), QString("ROOM_T, PUMP"));
    QVERIFY(panel.runsOf(1).front()->attachedAxes().contains(panel.valueAxis(1)));
    QVERIFY(wholeValueSteps(panel));
    // Time labels at whole steps, the day's start named by its date.
    const auto labels = timeLabels(panel);
    QVERIFY(labels.size() >= 3);
    QCOMPARE(labels.front(), std::make_pair(QString("Jan 2"), start));
    QCOMPARE(labels[1].first, QDateTime::fromSecsSinceEpoch(qint64(labels[1].second)).toString("HH:mm"));

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

    // One legend entry per column, once the legend is laid out.
    QApplication::processEvents();
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
    // Zoomed anywhere, the ticks stay on whole minutes and whole values.
    panel.refineNow();
    QVERIFY(wholeValueSteps(panel));
    QVERIFY(!timeLabels(panel).empty());
    for (const auto& [label, at] : timeLabels(panel)) {
        QCOMPARE(std::fmod(at, 60), 0.0);
        QVERIFY(at >= panel.visibleFrom() && at <= panel.visibleTo());
    }

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
    QCOMPARE(panel.visibleTo(), start + 179 * 60);

    // Reset fits the ticked columns only: a temperature that starts an hour
    // late, on its own.
    DataNode* firstHour = w.tree().findNode(w.tree().root(), "dataHour");
    for (DataNode* line = firstHour->firstChild(); line; line = line->nextSibling())
        w.tree().findNodeByAttribute(line, "label", "value", "ROOM_T")->setText("");
    w.plotWindow()->chooseColumns({"ROOM_T"});
    QCOMPARE(panel.visibleFrom(), start + 60 * 60);
    QVERIFY(panel.valueAxis(0)->min() >= 20 && panel.valueAxis(0)->max() <= 24);
}

void ChartTest::readOutNamesTheNearestReading()
{
    CCorvaneDlg w;
    CPlotDlg& plot = plotOf(w);
    CChartPanel& panel = *plot.panel();
    QLineSeries* valve = panel.runsOf(1).front();
    // 00:40, in the temperature's gap, so only the valve is near.
    const QPointF reading = valve->at(40);
    QTest::mouseMove(panel.viewport(), viewPointOf(panel, reading, valve) + QPoint(1, 1));
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
    // The filter hides rows of the list, not lines of the chart, and says so.
    QCOMPARE(plot.panel()->data().columns.size(), std::size_t(2));
    QVERIFY(plot.summary()->text().contains("1 ticked column hidden by the filter still drawn"));
    plot.filter()->clear();
    QVERIFY(!plot.summary()->text().contains("hidden"));
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
    QCOMPARE(log[0], "Chart of 2 columns over 180 data lines saved to file '" + png.toStdString() + "'");
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

void ChartTest::clearedAndImportedDataTicksTheColumnsWithReadings()
{
    QTemporaryDir dir;
    const QString labels = dir.filePath("labels.csv"), logger = dir.filePath("logger.csv");
    const QString exported = dir.filePath("export.csv");
    auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    // A template of nine columns; a logger filling the first two; an export
    // of one column the template lacks.
    QVERIFY(write(labels, "Timestamp,T1,T2,T3,T4,T5,T6,T7,T8,T9\n"));
    writeLoggerFile(logger.toStdString(), 30);
    QByteArray text = "Date,Time,Zone Temp\n";
    for (int minute = 10; minute < 30; ++minute)
        text += "3/14/2026,1:" + QByteArray::number(minute) + " PM,7" + QByteArray::number(minute % 10) + ".5\n";
    QVERIFY(write(exported, text));

    CCorvaneDlg w;
    DialogScript dialogs;
    dialogs.choices = {{labels.toStdString()}, {logger.toStdString()}};
    dialogs.install(w);
    w.setImportReview([](const ImportPlan&, std::string&) { return true; });
    w.OnReadLabelTemplate();
    w.OnReadCsvData();
    w.OnPlotData();
    QCOMPARE(columns(w.plotWindow()->columnList()), QStringList());
    w.OnClearCsvData();
    w.importFiles({exported.toStdString()});
    // The chart open before follows: the imported column, not the empty ones.
    w.OnPlotData();
    QCOMPARE(columns(w.plotWindow()->columnList()), QStringList{"Zone Temp"});
    w.plotWindow()->close();
    QTRY_VERIFY(!w.plotWindow());
    w.OnPlotData();
    QCOMPARE(columns(w.plotWindow()->columnList()), QStringList{"Zone Temp"});
}

void ChartTest::noDataSaysSo()
{
    CCorvaneDlg w;
    w.OnPlotData();
    CChartPanel& panel = *w.plotWindow()->panel();
    QCOMPARE(panel.notice(), QString("No data to plot"));
    QVERIFY(!panel.timeAxis()->isVisible());
    buildTree(w.tree());
    w.OnPlotData();
    QCOMPARE(panel.notice(), QString());
    QVERIFY(panel.timeAxis()->isVisible());
    w.plotWindow()->chooseColumns({"PUMP"});
    QCOMPARE(panel.notice(), QString("No data to plot"));
}

QTEST_MAIN(ChartTest)
#include "chart_test.moc"
