#include "app/chart/chart_file.h"

#include "app/chart/chart_panel.h"
#include "app/command_context.h"
#include "ops/chart_series.h"
#include "ops/plot_command.h"
#include "output/save_target.h"

#include <QApplication>
#include <QFile>

#include <clocale>
#include <memory>

namespace tsl {

namespace {

// Drawing a chart needs an application object. A program without one (the
// batch front end) gets one for the drawing, on the off-screen platform: no
// display is needed, and the platform's warnings about missing desktop
// services are of no interest to a script.
class OffscreenApplication {
public:
    OffscreenApplication()
    {
        if (QApplication::instance())
            return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        previousHandler_ = qInstallMessageHandler(&OffscreenApplication::quiet);
        application_ = std::make_unique<QApplication>(argc_, argv_);
        // The application object set the C library's locale from the
        // environment; numbers are written with a point whatever it says.
        std::setlocale(LC_NUMERIC, "C");
    }
    ~OffscreenApplication()
    {
        if (!application_)
            return;
        application_.reset();
        qInstallMessageHandler(previousHandler_);
    }

private:
    static void quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(message));
    }

    static inline int argc_ = 1;
    static inline char name_[] = "tsl";
    static inline char* argv_[] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
    QtMessageHandler previousHandler_ = nullptr;
};

} // namespace

SaveOutcome saveChartImage(CommandContext& context, CChartPanel& panel, const std::string& path)
{
    const std::optional<SaveTarget> target = admitSaveTarget(context, path);
    if (!target)
        return SaveOutcome::Refused;
    QString error;
    if (!panel.saveImage(QFile::decodeName(QByteArray::fromStdString(target->path)), error)) {
        logChartNotSaved(context.log(), path, error.toStdString());
        return SaveOutcome::WriteFailed;
    }
    logChartSaved(context.log(), path, panel.data().columns.size(), panel.data().times.size());
    noteOtherNames(context.log(), path, *target);
    return SaveOutcome::Saved;
}

SaveOutcome OnPlotToFile(CommandContext& context, const std::string& path,
                         const std::vector<std::string>& requestedColumns, QSize size)
{
    const std::vector<std::string> columns = chooseChartColumns(context, requestedColumns);
    ChartData data = collectChartData(context.tree(), columns);
    if (!readingSpan(data))
        context.log().append(data.empty()      ? "No data to plot: the chart says so."
                             : columns.empty() ? "No column with readings to plot: the chart says \"No data to plot\"."
                                               : "The columns chosen hold no readings: the chart says \"No data to plot\".");
    OffscreenApplication application;
    CChartPanel panel;
    panel.setAttribute(Qt::WA_DontShowOnScreen);
    panel.resize(size);
    panel.show();
    panel.setData(std::move(data));
    QApplication::processEvents();
    panel.refineNow();
    return saveChartImage(context, panel, path);
}

} // namespace tsl
