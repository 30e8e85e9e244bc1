#include "app/chart/plot_dlg.h"

#include "app/chart/chart_file.h"
#include "app/chart/chart_panel.h"
#include "app/command_context.h"
#include "app/message_log.h"
#include "ops/chart_series.h"
#include "ops/plot_command.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace tsl {

CPlotDlg::CPlotDlg(CommandContext& context, QWidget* parent) : QDialog(parent), context_(context)
{
    setWindowTitle("Plot Data");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1100, 650);

    filter_ = new QLineEdit(this);
    // The filter finds labels among hundreds; what is drawn stays as ticked.
    filter_->setPlaceholderText("Filter the list only");
    filter_->setToolTip("Shows only the labels that contain this text. Ticked columns stay drawn while hidden "
                        "from the list.");
    filter_->setClearButtonEnabled(true);
    columns_ = new QListWidget(this);
    columns_->setUniformItemSizes(true);
    panel_ = new CChartPanel(this);
    readOut_ = new QLabel(this);
    readOut_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    auto* refresh = new QPushButton("Refresh", this);
    refresh->setToolTip("Read the stored data again");
    auto* reset = new QPushButton("Reset Zoom", this);
    reset->setToolTip("Whole time range (Home). Wheel: zoom time; Shift+wheel: zoom values; "
                      "drag: zoom to a rectangle; middle drag or arrow keys: pan");
    auto* png = new QPushButton("Export PNG...", this);
    auto* svg = new QPushButton("Export SVG...", this);
    auto* close = new QPushButton("Close", this);

    auto* chooser = new QWidget(this);
    auto* chooserLayout = new QVBoxLayout(chooser);
    chooserLayout->setContentsMargins(0, 0, 0, 0);
    chooserLayout->addWidget(filter_);
    chooserLayout->addWidget(columns_);
    chooserLayout->addWidget(summary_);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(chooser);
    splitter->addWidget(panel_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 880});
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(readOut_, 1);
    for (QPushButton* button : {refresh, reset, png, svg, close})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    // Checking several boxes in a row draws once.
    replot_.setSingleShot(true);
    replot_.setInterval(0);
    connect(&replot_, &QTimer::timeout, this, &CPlotDlg::plotChosen);
    connect(columns_, &QListWidget::itemChanged, this, [this] { replot_.start(); });
    connect(filter_, &QLineEdit::textChanged, this, &CPlotDlg::applyFilter);
    connect(panel_, &CChartPanel::readOutChanged, readOut_, &QLabel::setText);
    connect(refresh, &QPushButton::clicked, this, &CPlotDlg::refresh);
    connect(reset, &QPushButton::clicked, panel_, &CChartPanel::resetZoom);
    connect(png, &QPushButton::clicked, this, [this] { exportChart("png"); });
    connect(svg, &QPushButton::clicked, this, [this] { exportChart("svg"); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    listColumns(chooseChartColumns(context_, {}));
    plotChosen();
}

void CPlotDlg::listColumns(const std::vector<std::string>& checked)
{
    const QSignalBlocker quiet(columns_);
    columns_->clear();
    for (const std::string& label : chartColumnLabels(context_.tree())) {
        auto* item = new QListWidgetItem(QString::fromStdString(logText(label)), columns_);
        // The label's bytes as the tree holds them, which need not be UTF-8.
        item->setData(Qt::UserRole, QByteArray::fromStdString(label));
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        const bool on = std::find(checked.begin(), checked.end(), label) != checked.end();
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    applyFilter(filter_->text());
}

std::vector<std::string> CPlotDlg::checkedColumns() const
{
    std::vector<std::string> labels;
    for (int row = 0; row < columns_->count(); ++row)
        if (columns_->item(row)->checkState() == Qt::Checked)
            labels.push_back(columns_->item(row)->data(Qt::UserRole).toByteArray().toStdString());
    return labels;
}

void CPlotDlg::applyFilter(const QString& text)
{
    for (int row = 0; row < columns_->count(); ++row) {
        QListWidgetItem* item = columns_->item(row);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
    showSummary();
}

void CPlotDlg::showSummary()
{
    int ticked = 0, tickedHidden = 0;
    for (int row = 0; row < columns_->count(); ++row) {
        const QListWidgetItem* item = columns_->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        ++ticked;
        tickedHidden += item->isHidden() ? 1 : 0;
    }
    QString text = QString("%1 of %2 columns, %3 data lines")
                       .arg(ticked)
                       .arg(columns_->count())
                       .arg(qulonglong(panel_->data().times.size()));
    if (tickedHidden > 0)
        text += QString("; %1 ticked %2 hidden by the filter still drawn")
                    .arg(tickedHidden)
                    .arg(tickedHidden == 1 ? "column" : "columns");
    summary_->setText(text);
}

void CPlotDlg::chooseColumns(const std::vector<std::string>& labels)
{
    listColumns(labels);
    plotChosen();
}

void CPlotDlg::refresh()
{
    listColumns(checkedColumns());
    // Ticked columns that no longer hold readings (the data was cleared and
    // read anew) give way to the columns that do.
    if (!readingSpan(collectChartData(context_.tree(), checkedColumns())))
        listColumns(chooseChartColumns(context_, {}));
    plotChosen();
}

void CPlotDlg::plotChosen()
{
    replot_.stop();
    const std::vector<std::string> chosen = checkedColumns();
    panel_->setData(collectChartData(context_.tree(), chosen));
    showSummary();
}

void CPlotDlg::exportChart(const QString& format)
{
    FileRequest& request = context_.fileRequest();
    const std::string upper = format.toUpper().toStdString();
    request.title = "Export chart as " + upper;
    request.filters = {{upper + " Images *." + format.toStdString(), "*." + format.toStdString()},
                       {"All Files *.*", "*.*"}};
    request.selectedFilter = 1;
    request.defaultExtension = format.toStdString();
    request.options = FileRequest::Explorer | FileRequest::OverwritePrompt;
    request.result.clear();
    request.names.clear();
    if (!context_.runFileDialog(FileDialogMode::Save) || request.result.empty())
        return;
    saveChartImage(context_, *panel_, request.result);
}

} // namespace tsl
