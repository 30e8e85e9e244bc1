// Charting a year of one-minute data, ten columns (5.26 million cells):
// reading the columns out of the tree, reducing the lines to the pixels,
// opening the chart (both, then drawing it into an image), and one zoom
// step as the mouse wheel makes it. Runs off screen.
#include "app/chart/chart_panel.h"
#include "ops/chart_series.h"
#include "ops/plot_command.h"
#include "tree/data_tree.h"
#include "year_tree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace {

constexpr int columns = 10;
constexpr int days = 365;

// Temperatures with a daily swing, and a blank hour now and then.
const char* cellText(char* cell, int column, int hour, int minute)
{
    if ((hour * 7 + column) % 500 == 0) {
        cell[0] = '\0';
        return cell;
    }
    const double swing = std::sin((hour % 24 * 60 + minute) * 2 * M_PI / 1440);
    std::snprintf(cell, 16, "%5.2f", 20 + column + 4 * swing + (minute * 7 + column * 13) % 10 / 10.0);
    return cell;
}

tsl::DataTree& yearTree()
{
    static tsl::DataTree tree;
    static bool built = false;
    if (!built) {
        bench::buildYear(tree, days, columns, cellText);
        built = true;
    }
    return tree;
}

std::vector<std::string> labels() { return tsl::chartColumnLabels(yearTree()); }

const tsl::ChartData& yearData()
{
    static const tsl::ChartData data = tsl::collectChartData(yearTree(), labels());
    return data;
}

// A panel of a typical window size showing the whole year.
tsl::CChartPanel& panel()
{
    static tsl::CChartPanel* view = [] {
        auto* made = new tsl::CChartPanel;
        made->setAttribute(Qt::WA_DontShowOnScreen);
        made->resize(1280, 720);
        made->show();
        QApplication::processEvents();
        return made;
    }();
    return *view;
}

void paint(tsl::CChartPanel& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    view.render(&painter);
    benchmark::DoNotOptimize(image.constBits());
}

void BM_CollectColumnsFromTree(benchmark::State& state)
{
    const auto chosen = labels();
    for (auto _ : state)
        benchmark::DoNotOptimize(tsl::collectChartData(yearTree(), chosen));
    state.counters["cells"] = double(yearData().times.size()) * columns;
}

void BM_ReduceToPixels(benchmark::State& state)
{
    const tsl::ChartData& data = yearData();
    const double from = double(data.times.front()), to = double(data.times.back());
    std::size_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (std::size_t column = 0; column < columns; ++column)
            points += tsl::plotLine(data, column, from, to, 1200).points.size();
    }
    state.counters["points_drawn"] = double(points);
}

// Pressing Plot Data: the columns read from the tree, the chart built and
// drawn once.
void BM_OpenChart(benchmark::State& state)
{
    tsl::CChartPanel& view = panel();
    const auto chosen = labels();
    for (auto _ : state) {
        view.setData(tsl::collectChartData(yearTree(), chosen));
        paint(view);
    }
}

// One wheel step into the middle of the year (lines refined for the new
// range, then drawn), repeated until a few minutes are shown, and back.
void BM_ZoomStep(benchmark::State& state)
{
    tsl::CChartPanel& view = panel();
    view.setData(yearData());
    paint(view);
    const double middle = (view.visibleFrom() + view.visibleTo()) / 2;
    double factor = 0.8;
    for (auto _ : state) {
        if (view.visibleTo() - view.visibleFrom() < 600)
            factor = 1.25;
        else if (view.visibleTo() - view.visibleFrom() > 300 * 86400.0)
            factor = 0.8;
        view.zoomTime(factor, middle);
        view.refineNow();
        paint(view);
    }
}

BENCHMARK(BM_CollectColumnsFromTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReduceToPixels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenChart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    yearTree();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
