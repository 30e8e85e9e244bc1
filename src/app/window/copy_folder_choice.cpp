#include "app/window/copy_folder_choice.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tsl {

CCopyFolderChoice::CCopyFolderChoice(const std::string& folder, QWidget* parent) : QWidget(parent)
{
    beside_ = new QRadioButton("beside the originals", this);
    inFolder_ = new QRadioButton("in the folder", this);
    auto* group = new QButtonGroup(this);
    group->addButton(beside_);
    group->addButton(inFolder_);
    path_ = new QLineEdit(this);
    path_->setReadOnly(true);
    path_->setPlaceholderText("no folder chosen");
    browse_ = new QPushButton("Choose...", this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel("Prepared copies go", this));
    row->addWidget(beside_);
    row->addWidget(inFolder_);
    row->addWidget(path_, 1);
    row->addWidget(browse_);

    connect(browse_, &QPushButton::clicked, this, &CCopyFolderChoice::chooseFolder);
    connect(inFolder_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && path_->text().isEmpty())
            chooseFolder();
        showChoice();
    });
    setFolder(folder);
}

std::string CCopyFolderChoice::folder() const
{
    if (!inFolder_->isChecked())
        return {};
    return QFile::encodeName(path_->text()).toStdString();
}

void CCopyFolderChoice::setFolder(const std::string& folder)
{
    path_->setText(QFile::decodeName(QByteArray::fromStdString(folder)));
    (folder.empty() ? beside_ : inFolder_)->setChecked(true);
    showChoice();
}

void CCopyFolderChoice::chooseFolder()
{
    const QString start = path_->text().isEmpty() ? QDir::homePath() : path_->text();
    const QString chosen = QFileDialog::getExistingDirectory(this, "Folder for the prepared copies", start);
    if (!chosen.isEmpty()) {
        path_->setText(chosen);
        inFolder_->setChecked(true);
    } else if (path_->text().isEmpty()) {
        beside_->setChecked(true);
    }
    showChoice();
}

void CCopyFolderChoice::showChoice()
{
    path_->setEnabled(inFolder_->isChecked());
}

} // namespace tsl
