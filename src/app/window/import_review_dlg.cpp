#include "app/window/import_review_dlg.h"

#include "app/window/copy_folder_choice.h"
#include "input/import_command.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tsl {

namespace {

QString fileName(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

int addRow(QTableWidget& table, const QString& file, const QString& item, const QString& text)
{
    int row = table.rowCount();
    table.insertRow(row);
    table.setItem(row, 0, new QTableWidgetItem(file));
    table.setItem(row, 1, new QTableWidgetItem(item));
    table.setItem(row, 2, new QTableWidgetItem(text));
    if (item == warningItem) {
        for (int column = 1; column < 3; ++column) {
            QFont font = table.item(row, column)->font();
            font.setBold(true);
            table.item(row, column)->setFont(font);
            table.item(row, column)->setForeground(QColor(160, 60, 0));
        }
    }
    return row;
}

// The readings of a file's dates to choose from, the plan's selected.
QComboBox* orderChoice(const FileImport& file)
{
    auto* choice = new QComboBox;
    for (const OrderOption& option : file.orderOptions) {
        choice->addItem(QString::fromStdString(std::string(orderName(option.order)) + " (first " + option.firstTime +
                                               ")"),
                        static_cast<int>(option.order));
        if (option.order == file.recipe.order)
            choice->setCurrentIndex(choice->count() - 1);
    }
    return choice;
}

} // namespace

bool reviewImport(QWidget* parent, ImportPlan& plan, std::string& folder)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("Import Exports");
    auto* table = new QTableWidget(0, 3, &dialog);
    table->setHorizontalHeaderLabels({"File", "Item", "Found / changed"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    std::vector<std::pair<FileImport*, QComboBox*>> choices;
    for (FileImport& file : plan.files) {
        QString name = fileName(file.source);
        if (!file.refusal.empty()) {
            addRow(*table, name, "refused", QString::fromStdString(file.refusal));
            continue;
        }
        for (const auto& [item, text] : file.report)
            addRow(*table, name, QString::fromStdString(item), QString::fromStdString(text));
        if (file.orderOptions.size() > 1) {
            QComboBox* choice = orderChoice(file);
            table->setCellWidget(addRow(*table, name, "date order", {}), 2, choice);
            choices.emplace_back(&file, choice);
        }
    }

    table->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* copies = new CCopyFolderChoice(folder, &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(copies);
    layout->addWidget(buttons);
    dialog.resize(760, 420);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (const auto& [file, choice] : choices)
        file->requestedOrder = static_cast<DateOrder>(choice->currentData().toInt());
    folder = copies->folder();
    return true;
}

} // namespace tsl
