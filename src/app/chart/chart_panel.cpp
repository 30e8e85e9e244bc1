#include "app/chart/chart_panel.h"

#include "app/message_log.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QImageWriter>
#include <QLegendMarker>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tsl {

namespace {

// Colours that stay apart from each other on white and in print.
const QColor palette[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                          QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                          QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
                          QColor(0x17, 0xbe, 0xcf)};

QColor colourOf(std::size_t column)
{
    const std::size_t count = std::size(palette);
    QColor colour = palette[column % count];
    // Beyond the palette, the same hues again, darker each round.
    return column < count ? colour : colour.darker(100 + 40 * int(column / count));
}

QDateTime atSeconds(double seconds) { return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000))); }

// A tick's label: the clock time for steps within a day (the date at
// midnight), the date for steps of days and weeks, else month or year.
QString timeTickLabel(const TimeTicks& ticks, double at)
{
    const QDateTime time = atSeconds(at);
    switch (ticks.unit) {
    case TimeStep::Seconds:
        return time.toString("HH:mm:ss");
    case TimeStep::Minutes:
    case TimeStep::Hours:
        return time.time() == QTime(0, 0) ? time.toString("MMM d") : time.toString("HH:mm");
    case TimeStep::Days:
    case TimeStep::Weeks:
        return time.toString("MMM d");
    case TimeStep::Months:
        return time.toString("MMM yyyy");
    case TimeStep::Years:
        break;
    }
    return time.toString("yyyy");
}

// Pixels a label needs across, and a value tick up and down.
constexpr int timeLabelSpacing = 90;
constexpr int valueTickSpacing = 45;

// An axis title from its columns' labels, short enough to fit beside it.
QString titleOf(const QStringList& labels)
{
    QString title = labels.mid(0, 3).join(", ");
    if (labels.size() > 3)
        title += QString(", +%1").arg(labels.size() - 3);
    return title;
}

// Labels are the bytes of a file's header, not necessarily UTF-8.
QString displayLabel(const std::string& label) { return QString::fromStdString(logText(label)); }

// The smallest time range a zoom goes down to, in seconds.
constexpr double shortestSpan = 10;

} // namespace

CChartPanel::CChartPanel(QWidget* parent) : QChartView(new QChart, parent)
{
    setRenderHint(QPainter::Antialiasing, true);
    setRubberBand(QChartView::RectangleRubberBand);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    timeAxis_ = new QCategoryAxis;
    timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart()->addAxis(timeAxis_, Qt::AlignBottom);
    notice_ = new QGraphicsSimpleTextItem("No data to plot", chart());
    QFont noticeFont = notice_->font();
    noticeFont.setPointSizeF(noticeFont.pointSizeF() * 1.6);
    notice_->setFont(noticeFont);
    notice_->setBrush(QColor(0x60, 0x60, 0x60));
    notice_->setZValue(10);
    notice_->hide();
    // Zooms and pans change the range in small steps; the lines are drawn
    // again once, when the events of a step are done.
    refineTimer_.setSingleShot(true);
    refineTimer_.setInterval(0);
    connect(&refineTimer_, &QTimer::timeout, this, &CChartPanel::refineNow);
    connect(timeAxis_, &QValueAxis::rangeChanged, this, &CChartPanel::scheduleRefine);
}

QString CChartPanel::notice() const
{
    return notice_->isVisible() ? notice_->text() : QString();
}

void CChartPanel::placeNotice()
{
    const QRectF text = notice_->boundingRect();
    const QRectF area = chart()->rect();
    notice_->setPos(area.center().x() - text.width() / 2, area.center().y() - text.height() / 2);
}

void CChartPanel::clearChart()
{
    chart()->removeAllSeries();
    for (QValueAxis*& axis : valueAxes_) {
        if (axis) {
            chart()->removeAxis(axis);
            delete axis;
        }
        axis = nullptr;
    }
    lines_.clear();
}

void CChartPanel::setData(ChartData data)
{
    clearChart();
    data_ = std::move(data);
    hasReadings_ = readingSpan(data_).has_value();
    axisOfColumn_ = valueAxisOfColumns(data_);
    const bool twoAxes = std::find(axisOfColumn_.begin(), axisOfColumn_.end(), 1) != axisOfColumn_.end();
    for (int axis = 0; axis < (twoAxes ? 2 : 1); ++axis) {
        valueAxes_[axis] = new QValueAxis;
        chart()->addAxis(valueAxes_[axis], axis == 0 ? Qt::AlignLeft : Qt::AlignRight);
        QStringList labels;
        for (std::size_t column = 0; column < data_.columns.size(); ++column)
            if (axisOfColumn_[column] == axis)
                labels << displayLabel(data_.columns[column].label);
        valueAxes_[axis]->setTitleText(titleOf(labels));
        valueAxes_[axis]->setTickType(QValueAxis::TicksDynamic);
        valueAxes_[axis]->setTickAnchor(0);
        QValueAxis* valueAxis = valueAxes_[axis];
        connect(valueAxis, &QValueAxis::rangeChanged, this, [this, valueAxis] { updateValueTicks(valueAxis); });
    }
    // Without a reading there is nothing to draw axes for.
    for (QAbstractAxis* axis : chart()->axes())
        axis->setVisible(hasReadings_);
    if (chart()->legend()->isVisible() != hasReadings_)
        chart()->legend()->setVisible(hasReadings_);
    notice_->setVisible(!hasReadings_);
    placeNotice();
    for (std::size_t column = 0; column < data_.columns.size(); ++column)
        addColumn(column);
    resetZoom();
    refineNow();
}

void CChartPanel::addColumn(std::size_t column)
{
    lines_.push_back({colourOf(column), {}, 0, nullptr});
    newRun(column);
    auto* dots = new QScatterSeries;
    dots->setMarkerSize(5);
    dots->setColor(lines_[column].colour);
    dots->setBorderColor(lines_[column].colour);
    attach(dots, column);
    lines_[column].lonePoints = dots;
}

QLineSeries* CChartPanel::newRun(std::size_t column)
{
    ColumnLines& lines = lines_[column];
    auto* run = new QLineSeries;
    QPen pen(lines.colour);
    pen.setWidthF(1.5);
    run->setPen(pen);
    run->setName(displayLabel(data_.columns[column].label));
    lines.runs.push_back(run);
    attach(run, column);
    return run;
}

void CChartPanel::attach(QXYSeries* series, std::size_t column)
{
    chart()->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(valueAxes_[axisOfColumn_[column]]);
    // The legend names each column once, by its first run.
    if (series != lines_[column].runs.front())
        for (QLegendMarker* marker : chart()->legend()->markers(series))
            marker->setVisible(false);
}

std::vector<QLineSeries*> CChartPanel::runsOf(std::size_t column) const
{
    const ColumnLines& lines = lines_.at(column);
    return {lines.runs.begin(), lines.runs.begin() + static_cast<std::ptrdiff_t>(lines.runsInUse)};
}

void CChartPanel::drawColumn(std::size_t column, double from, double to, int pixels)
{
    const PlotLine line = plotLine(data_, column, from, to, pixels);
    ColumnLines& lines = lines_[column];
    auto at = [&](std::size_t i) { return QPointF(line.points[i].time * 1000, line.points[i].value); };
    QList<QPointF> lone;
    std::size_t used = 0;
    std::size_t start = 0;
    for (std::size_t end : line.runEnds) {
        if (end - start == 1) {
            lone.append(at(start));
        } else {
            QList<QPointF> points;
            points.reserve(qsizetype(end - start));
            for (std::size_t i = start; i < end; ++i)
                points.append(at(i));
            QLineSeries* run = used < lines.runs.size() ? lines.runs[used] : newRun(column);
            run->replace(points);
            ++used;
        }
        start = end;
    }
    for (std::size_t i = used; i < lines.runsInUse; ++i)
        lines.runs[i]->clear();
    lines.runsInUse = used;
    lines.lonePoints->replace(lone);
}

void CChartPanel::scheduleRefine()
{
    refineTimer_.start();
}

void CChartPanel::refineNow()
{
    refineTimer_.stop();
    updateTimeLabels();
    if (!hasReadings_)
        return;
    int pixels = int(chart()->plotArea().width());
    if (pixels < 2)
        pixels = std::max(width(), 200);
    const double from = visibleFrom(), to = visibleTo();
    for (std::size_t column = 0; column < data_.columns.size(); ++column)
        drawColumn(column, from, to, pixels);
}

double CChartPanel::visibleFrom() const { return timeAxis_->min() / 1000; }
double CChartPanel::visibleTo() const { return timeAxis_->max() / 1000; }

int CChartPanel::plotWidth() const
{
    const double plot = chart()->plotArea().width();
    return int(plot > 1 ? plot : width());
}

void CChartPanel::updateTimeLabels()
{
    for (const QString& label : timeAxis_->categoriesLabels())
        timeAxis_->remove(label);
    if (!hasReadings_)
        return;
    const TimeTicks ticks = timeTicks(visibleFrom(), visibleTo(), std::clamp(plotWidth() / timeLabelSpacing, 2, 14));
    // Each label closes a category that starts where the one before ends;
    // the first starts just before the range, so that a tick on its edge shows.
    timeAxis_->setStartValue(timeAxis_->min() - 1);
    for (double at : ticks.at) {
        // The axis keys its categories by label; a label can recur (the same
        // clock time on two days) and gets an invisible mark to keep it apart.
        QString label = timeTickLabel(ticks, at);
        while (timeAxis_->categoriesLabels().contains(label))
            label += QChar(0x200B);
        timeAxis_->append(label, at * 1000);
    }
}

void CChartPanel::updateValueTicks(QValueAxis* axis)
{
    const int height = int(chart()->plotArea().height() > 1 ? chart()->plotArea().height() : this->height());
    const ValueTicks ticks = valueTicks(axis->min(), axis->max(), std::clamp(height / valueTickSpacing, 2, 12));
    axis->setTickInterval(ticks.step);
    axis->setLabelFormat(QString("%.%1f").arg(ticks.decimals));
}

// The time range of the readings of the columns shown.
void CChartPanel::fitTimeAxis()
{
    const auto span = readingSpan(data_);
    double from = 0, to = 0;
    if (span) {
        from = double(span->first);
        to = double(span->second);
    } else {
        to = double(QDateTime::currentSecsSinceEpoch());
        from = to - 86400;
    }
    // A single instant still gets a range to stand in.
    if (to - from < shortestSpan) {
        from -= 30 * 60;
        to += 30 * 60;
    }
    timeAxis_->setRange(from * 1000, to * 1000);
}

void CChartPanel::resetZoom()
{
    fitTimeAxis();
    fitValueAxes();
}

void CChartPanel::fitValueAxes()
{
    for (int axis = 0; axis < 2; ++axis) {
        if (!valueAxes_[axis])
            continue;
        bool any = false;
        double low = 0, high = 1;
        for (std::size_t column = 0; column < data_.columns.size(); ++column) {
            const ChartColumn& values = data_.columns[column];
            if (axisOfColumn_[column] != axis || values.readings == 0)
                continue;
            low = any ? std::min(low, double(values.low)) : values.low;
            high = any ? std::max(high, double(values.high)) : values.high;
            any = true;
        }
        const auto [from, to] = valueRange(low, high);
        valueAxes_[axis]->setRange(from, to);
        updateValueTicks(valueAxes_[axis]);
    }
}

void CChartPanel::zoomTime(double factor, double centre)
{
    const double from = visibleFrom(), to = visibleTo();
    if (factor < 1 && (to - from) * factor < shortestSpan)
        factor = shortestSpan / std::max(to - from, shortestSpan);
    timeAxis_->setRange((centre - (centre - from) * factor) * 1000, (centre + (to - centre) * factor) * 1000);
}

void CChartPanel::zoomValues(double factor)
{
    for (QValueAxis* axis : valueAxes_) {
        if (!axis)
            continue;
        const double centre = (axis->min() + axis->max()) / 2;
        const double half = (axis->max() - axis->min()) / 2 * factor;
        axis->setRange(centre - half, centre + half);
    }
}

void CChartPanel::panBy(double dx, double dy)
{
    chart()->scroll(dx, dy);
}

QPointF CChartPanel::chartPoint(QPoint viewPosition) const
{
    return chart()->mapFromScene(mapToScene(viewPosition));
}

QString CChartPanel::readOutAt(QPoint viewPosition) const
{
    const QPointF point = chartPoint(viewPosition);
    if (!hasReadings_ || !chart()->plotArea().contains(point))
        return {};
    const double time = chart()->mapToValue(point, lines_.front().runs.front()).x() / 1000;
    QString text = atSeconds(time).toString("yyyy-MM-dd HH:mm:ss");
    // The reading drawn nearest the pointer, if one is within reach.
    double nearest = 20;
    for (std::size_t column = 0; column < lines_.size(); ++column) {
        const auto reading = nearestReading(data_, column, time);
        if (!reading)
            continue;
        const double at = double(data_.times[*reading]);
        const float value = data_.columns[column].values[*reading];
        const QPointF drawn = chart()->mapToPosition(QPointF(at * 1000, value), lines_[column].runs.front());
        const double distance = std::hypot(drawn.x() - point.x(), drawn.y() - point.y());
        if (distance < nearest) {
            nearest = distance;
            text = QString("%1: %2 at %3")
                       .arg(displayLabel(data_.columns[column].label))
                       .arg(double(value), 0, 'g', 6)
                       .arg(atSeconds(at).toString("yyyy-MM-dd HH:mm:ss"));
        }
    }
    return text;
}

bool CChartPanel::saveImage(const QString& path, QString& error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray format = suffix.isEmpty() ? QByteArray("png") : suffix.toLatin1();
    if (suffix != "svg" && !QImageWriter::supportedImageFormats().contains(format)) {
        error = "no image format is known for the suffix '." + suffix + "' (use .png or .svg)";
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    bool drawn = false;
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size());
        svg.setViewBox(rect());
        svg.setTitle("Tessaloom chart");
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn) {
            render(&painter);
            drawn = painter.end();
        }
    } else {
        drawn = grab().toImage().save(&file, format.constData());
    }
    if (!drawn) {
        error = "the image could not be drawn";
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void CChartPanel::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || !hasReadings_) {
        event->ignore();
        return;
    }
    const double factor = std::pow(0.8, steps);
    if (event->modifiers() & Qt::ShiftModifier) {
        zoomValues(factor);
    } else {
        const QPointF point = chartPoint(event->position().toPoint());
        double centre = chart()->mapToValue(point, lines_.front().runs.front()).x() / 1000;
        centre = std::clamp(centre, visibleFrom(), visibleTo());
        zoomTime(factor, centre);
    }
    event->accept();
}

void CChartPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panFrom_ = event->position().toPoint();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void CChartPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (panning_) {
        const QPoint moved = at - panFrom_;
        panBy(-moved.x(), moved.y());
        panFrom_ = at;
    }
    emit readOutChanged(readOutAt(at));
    QChartView::mouseMoveEvent(event);
}

void CChartPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        panning_ = false;
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void CChartPanel::keyPressEvent(QKeyEvent* event)
{
    const QRectF plot = chart()->plotArea();
    const double centre = (visibleFrom() + visibleTo()) / 2;
    switch (event->key()) {
    case Qt::Key_Left:
        panBy(-plot.width() / 10, 0);
        break;
    case Qt::Key_Right:
        panBy(plot.width() / 10, 0);
        break;
    case Qt::Key_Up:
        panBy(0, plot.height() / 10);
        break;
    case Qt::Key_Down:
        panBy(0, -plot.height() / 10);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomTime(0.5, centre);
        break;
    case Qt::Key_Minus:
        zoomTime(2, centre);
        break;
    case Qt::Key_Home:
        resetZoom();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CChartPanel::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    placeNotice();
    for (QValueAxis* axis : valueAxes_)
        if (axis)
            updateValueTicks(axis);
    scheduleRefine();
}

} // namespace tsl
