#include "app/window/log_list.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

namespace tsl {

CLogList::CLogList(QWidget* parent) : QListWidget(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    characterWidth_ = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    lineHeight_ = fontMetrics().height() + 2;
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Lines come in bursts during a read; the list scrolls once per burst.
    follow_.setSingleShot(true);
    follow_.setInterval(0);
    connect(&follow_, &QTimer::timeout, this, &QListWidget::scrollToBottom);
}

bool CLogList::scrolledToEnd() const
{
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void CLogList::appendLine(const QString& line)
{
    // Looked at before the line is added: the scroll range grows with it.
    const bool follow = follow_.isActive() || scrolledToEnd();
    auto* added = new QListWidgetItem(line);
    // The list sizes every line as its last one: each new line carries the
    // width of the widest so far, so that none is cut. In a fixed-width font
    // a line is as wide as its characters (two more leave room at its end).
    widest_ = std::max(widest_, static_cast<int>(line.size() + 2) * characterWidth_);
    added->setSizeHint(QSize(widest_, lineHeight_));
    addItem(added);
    if (follow)
        follow_.start();
}

void CLogList::showLast()
{
    const int last = count() - 1;
    if (last < 0)
        return;
    setCurrentRow(last, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(last));
}

QString CLogList::selectedText() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (int row : rows)
        lines << item(row)->text();
    return lines.join('\n');
}

void CLogList::copySelection() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void CLogList::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CLogList::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copy = menu.addAction("&Copy", this, &CLogList::copySelection);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!selectedItems().isEmpty());
    QAction* all = menu.addAction("Select &All", this, &QListWidget::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
    event->accept();
}

} // namespace tsl
