#pragma once

// The chart window: the stored data as it stands, columns chosen from a
// list, with zoom, pan, a read-out under the pointer and export as images.

#include <QDialog>
#include <QTimer>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tsl {

class CommandContext;
class CChartPanel;

class CPlotDlg : public QDialog {
    Q_OBJECT
public:
    CPlotDlg(CommandContext& context, QWidget* parent);

    CChartPanel* panel() const { return panel_; }
    QListWidget* columnList() const { return columns_; }
    QLineEdit* filter() const { return filter_; }
    QLabel* summary() const { return summary_; }
    QLabel* readOut() const { return readOut_; }

    // Checks exactly the columns labelled so and draws them.
    void chooseColumns(const std::vector<std::string>& labels);
    // Reads the stored data again (a read may have added to it); when the
    // ticked columns hold no readings any more, ticks those that do.
    void refresh();
    // Asks for a file name and saves the chart in that format ("png", "svg").
    void exportChart(const QString& format);

private:
    void listColumns(const std::vector<std::string>& checked);
    std::vector<std::string> checkedColumns() const;
    // Hides the list's rows whose label lacks text; the chart is not changed.
    void applyFilter(const QString& text);
    void showSummary();
    void plotChosen();

    CommandContext& context_;
    QLineEdit* filter_;
    QListWidget* columns_;
    CChartPanel* panel_;
    QLabel* readOut_;
    QLabel* summary_;
    QTimer replot_;
};

} // namespace tsl
