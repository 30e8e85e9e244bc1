#include "app/window/import_review_dlg.h"

#include "input/import_command.h"

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

void addRow(QTableWidget& table, const QString& file, const QString& item, const QString& text)
{
    int row = table.rowCount();
    table.insertRow(row);
    table.setItem(row, 0, new QTableWidgetItem(file));
    table.setItem(row, 1, new QTableWidgetItem(item));
    table.setItem(row, 2, new QTableWidgetItem(text));
}

} // namespace

bool reviewImport(QWidget* parent, const ImportPlan& plan)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("Import Exports");
    auto* table = new QTableWidget(0, 3, &dialog);
    table->setHorizontalHeaderLabels({"File", "Item", "Found / changed"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (const FileImport& file : plan.files) {
        QString name = fileName(file.source);
        if (!file.refusal.empty()) {
            addRow(*table, name, "refused", QString::fromStdString(file.refusal));
            continue;
        }
        for (const auto& [item, text] : file.report)
            addRow(*table, name, QString::fromStdString(item), QString::fromStdString(text));
    }
    table->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(760, 420);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tsl
