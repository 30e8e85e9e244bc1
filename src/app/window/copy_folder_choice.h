#pragma once

#include <QWidget>

#include <string>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tsl {

// Where an import writes its prepared copies: beside the originals (which
// may sit on a share that cannot be written), or in a folder of the user's.
class CCopyFolderChoice : public QWidget {
    Q_OBJECT
public:
    // folder empty: beside the originals.
    explicit CCopyFolderChoice(const std::string& folder, QWidget* parent = nullptr);

    // The folder chosen; empty for beside the originals (also when "In
    // folder" is chosen without a folder).
    std::string folder() const;
    void setFolder(const std::string& folder);

    QRadioButton* besideOriginals() const { return beside_; }
    QRadioButton* inFolder() const { return inFolder_; }

private:
    void chooseFolder();
    void showChoice();

    QRadioButton* beside_;
    QRadioButton* inFolder_;
    QLineEdit* path_;
    QPushButton* browse_;
};

} // namespace tsl
