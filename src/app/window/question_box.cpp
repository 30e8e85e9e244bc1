#include "app/window/question_box.h"

#include <QMessageBox>

namespace tsl {

MessageAnswer runQtQuestion(QWidget* parent, const std::string& text, const std::string& caption,
                            MessageButtons buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromStdString(logText(caption)));
    box.setText(QString::fromStdString(logText(text)));
    switch (buttons) {
    case MessageButtons::Ok:
        // Only errors are reported in a box of their own.
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoDefaultNo:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        // Escape or the close box: the negative answer of the buttons shown.
        return negativeAnswer(buttons);
    }
}

} // namespace tsl
