#include "app/window/fill_values_dlg.h"

#include "app/command_context.h"
#include "app/command_guard.h"
#include "ops/fill_values.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tsl {

FillValuesDlg::FillValuesDlg(CommandContext& owner, QWidget* parent) : QDialog(parent), owner_(owner)
{
    setWindowTitle("Dialog");
    columns_ = new QComboBox(this);
    columns_->setEditable(true);
    columns_->setInsertPolicy(QComboBox::NoInsert);
    columns_->setObjectName("control1038");
    value_ = new QLineEdit(this);
    value_->setObjectName("control1039");
    fill_ = new QPushButton("Fill Values", this);
    fill_->setObjectName("control1040");
    results_ = new QListWidget(this);
    results_->setObjectName("control1042");
    results_->setSortingEnabled(true);
    close_ = new QPushButton("Close", this);
    close_->setObjectName("control1");
    close_->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Select Column:", this), 0, 0);
    grid->addWidget(new QLabel("Fill Value to Column:", this), 0, 1);
    grid->addWidget(columns_, 1, 0);
    grid->addWidget(value_, 1, 1);
    grid->addWidget(fill_, 1, 2);
    grid->addWidget(results_, 2, 0, 1, 3);
    grid->addWidget(close_, 3, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);

    connect(fill_, &QPushButton::clicked, this, &FillValuesDlg::OnFillValues);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    OnInitDialog();
    setFixedSize(520, 300);
}

void FillValuesDlg::OnInitDialog()
{
    const FillValuesColumns columns = fillValuesColumns(owner_);
    labels_ = columns.labels;
    for (const std::string& item : columns.items())
        columns_->addItem(QString::fromStdString(logText(item)));
    fill_->setEnabled(columns.canFill());
    value_->setEnabled(columns.canFill());
    columns_->setCurrentIndex(0);
}

void FillValuesDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == value_) {
        if (fill_->isEnabled())
            fill_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FillValuesDlg::OnFillValues()
{
    int index = columns_->currentIndex();
    // Only a chosen item counts; text typed into the list's edit alone does not.
    if (index < 0 || index >= static_cast<int>(labels_.size()))
        return;
    const std::string& label = labels_[static_cast<std::size_t>(index)];
    const std::string value = value_->text().toStdString();
    runGuarded(owner_, "Fill Values", [&] {
        int count = fillValues(owner_, label, value);
        results_->addItem(QString::fromStdString(fillValuesResultLine(count)));
    });
}

} // namespace tsl
