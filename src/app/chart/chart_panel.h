#pragma once

// A trend chart of columns of the stored data: time across, one line per
// column, breaks at blanks and gaps, a second value axis for columns of a
// much smaller or larger scale. Lines are redrawn from the data for what
// the plot's pixels can show whenever the time range changes.

#include "ops/chart_series.h"

#include <QCategoryAxis>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimer>
#include <QValueAxis>

#include <vector>

namespace tsl {

class CChartPanel : public QChartView {
    Q_OBJECT
public:
    explicit CChartPanel(QWidget* parent = nullptr);

    // Shows these columns over the time range of their readings.
    void setData(ChartData data);
    const ChartData& data() const { return data_; }
    // "No data to plot" while none of the columns holds a reading; then the
    // chart shows no axes.
    QString notice() const;

    // Milliseconds since the epoch across; its labels stand at whole steps
    // of local time within the range shown.
    QCategoryAxis* timeAxis() const { return timeAxis_; }
    // Axis 0 on the left, axis 1 on the right (null while one axis serves all).
    QValueAxis* valueAxis(int axis) const { return valueAxes_[axis]; }
    int valueAxisOf(std::size_t column) const { return axisOfColumn_.at(column); }

    // The drawn runs of a column (lines of two or more points) and its
    // readings that stand alone between breaks, drawn as dots.
    std::vector<QLineSeries*> runsOf(std::size_t column) const;
    QScatterSeries* lonePointsOf(std::size_t column) const { return lines_.at(column).lonePoints; }

    // Seconds since the epoch at the left and right edge.
    double visibleFrom() const;
    double visibleTo() const;

    void zoomTime(double factor, double centre);
    void zoomValues(double factor);
    void panBy(double dx, double dy);
    // The whole time range of the readings and their values.
    void resetZoom();
    // Draws the lines for the time range shown now (otherwise this happens
    // once the event loop runs after a change).
    void refineNow();

    // The time under a point of the view, and the reading nearest to it
    // when one is drawn close by.
    QString readOutAt(QPoint viewPosition) const;

    // PNG, SVG, or another image format by the file's suffix, replacing
    // the file only once it is written whole. False with error set otherwise.
    bool saveImage(const QString& path, QString& error);

signals:
    void readOutChanged(const QString& text);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct ColumnLines {
        QColor colour;
        std::vector<QLineSeries*> runs; // runs[0] carries the legend entry
        std::size_t runsInUse = 0;
        QScatterSeries* lonePoints = nullptr;
    };

    void clearChart();
    void addColumn(std::size_t column);
    QLineSeries* newRun(std::size_t column);
    void attach(QXYSeries* series, std::size_t column);
    void drawColumn(std::size_t column, double from, double to, int pixels);
    void scheduleRefine();
    void fitTimeAxis();
    void fitValueAxes();
    void updateTimeLabels();
    void updateValueTicks(QValueAxis* axis);
    void placeNotice();
    int plotWidth() const;
    QPointF chartPoint(QPoint viewPosition) const;

    ChartData data_;
    std::vector<int> axisOfColumn_;
    std::vector<ColumnLines> lines_;
    QCategoryAxis* timeAxis_ = nullptr;
    QValueAxis* valueAxes_[2] = {nullptr, nullptr};
    QGraphicsSimpleTextItem* notice_ = nullptr;
    bool hasReadings_ = false;
    QTimer refineTimer_;
    bool panning_ = false;
    QPoint panFrom_;
};

} // namespace tsl
