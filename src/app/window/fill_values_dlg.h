#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tsl {

class CommandContext;

// Writes one text into one column of every stored data line, as often as the
// user likes while it is open. Reports each fill in its own sorted list;
// nothing goes to the main log.
class FillValuesDlg : public QDialog {
    Q_OBJECT
public:
    // owner: the main window, whose tree and last read template are used.
    explicit FillValuesDlg(CommandContext& owner, QWidget* parent = nullptr);

    // The "Fill Values" button.
    void OnFillValues();

    QComboBox* columnList() const { return columns_; }
    QLineEdit* valueEdit() const { return value_; }
    QPushButton* fillButton() const { return fill_; }
    QListWidget* resultList() const { return results_; }
    QPushButton* closeButton() const { return close_; }

protected:
    // Enter in the value field fills, rather than closing the dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();

    CommandContext& owner_;
    // The labels as the tree holds them (8-bit), by list index: the list shows
    // them as readable text, the fill compares the bytes.
    std::vector<std::string> labels_;
    QComboBox* columns_;
    QLineEdit* value_;
    QPushButton* fill_;
    QListWidget* results_;
    QPushButton* close_;
};

} // namespace tsl
