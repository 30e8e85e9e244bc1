#pragma once

#include <QDialog>

class QPushButton;

namespace tsl {

// The About box: the icon, the program's version and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QPushButton* okButton() const { return ok_; }

private:
    QPushButton* ok_;
};

} // namespace tsl
