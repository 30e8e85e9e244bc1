#pragma once

#include <QListWidget>
#include <QTimer>

namespace tsl {

// The message log as the window shows it: lines in a fixed-width font, so
// that the columns of a preview stand under their labels; new lines kept in
// view while the list is scrolled to its end (scrolled up, it stays where it
// is); selected lines copied as text with Ctrl+C or the context menu.
class CLogList : public QListWidget {
    Q_OBJECT
public:
    explicit CLogList(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    // Selects the last line alone and scrolls it into view.
    void showLast();
    // The selected lines, in log order, one per line.
    QString selectedText() const;
    void copySelection() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool scrolledToEnd() const;
    QTimer follow_;
    int characterWidth_ = 0;
    int lineHeight_ = 0;
    int widest_ = 0;
};

} // namespace tsl
