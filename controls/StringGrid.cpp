#include "StringGrid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>

TStringGrid::TStringGrid(QWidget *parent)
    : QTableWidget(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void TStringGrid::SetColCount(int count)
{
    setColumnCount(count);
    for (int c = 0; c < count; ++c)
        if (!horizontalHeaderItem(c))
            setHorizontalHeaderItem(c, new QTableWidgetItem);
}

void TStringGrid::SetRowCount(int count)
{
    setRowCount(std::max(0, count - 1));
}

QString TStringGrid::Cells(int col, int row) const
{
    const QTableWidgetItem *it = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return it ? it->text() : QString();
}

void TStringGrid::SetCells(int col, int row, const QString &text)
{
    if (row == 0) {
        if (auto *h = horizontalHeaderItem(col))
            h->setText(text);
        else
            setHorizontalHeaderItem(col, new QTableWidgetItem(text));
        return;
    }
    if (row - 1 >= rowCount())
        setRowCount(row);
    if (auto *it = item(row - 1, col)) {
        it->setText(text);
    } else {
        auto *cell = new QTableWidgetItem(text);
        cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        setItem(row - 1, col, cell);
    }
}

void TStringGrid::SetColWidth(int col, int width)
{
    setColumnWidth(col, width);
}

void TStringGrid::SetDefaultRowHeight(int height)
{
    verticalHeader()->setMinimumSectionSize(std::min(height, verticalHeader()->minimumSectionSize()));
    verticalHeader()->setDefaultSectionSize(height);
    horizontalHeader()->setFixedHeight(height + 2);
}

int TStringGrid::Row() const
{
    const int r = currentRow();
    return r < 0 ? 0 : r + 1;
}

void TStringGrid::SetRow(int row)
{
    if (row >= 1 && row - 1 < rowCount())
        setCurrentCell(row - 1, 0);
}

void TStringGrid::initViewItemOption(QStyleOptionViewItem *option) const
{
    QTableWidget::initViewItemOption(option);
    if (hasFocus())
        return;
    // Without the focus the selected row is only hinted at, so that the grid
    // the keys go to stands out.
    const QColor highlight = option->palette.color(QPalette::Active, QPalette::Highlight);
    const QColor base = option->palette.color(QPalette::Active, QPalette::Base);
    const QColor muted((highlight.red() + 3 * base.red()) / 4,
        (highlight.green() + 3 * base.green()) / 4, (highlight.blue() + 3 * base.blue()) / 4);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        option->palette.setColor(group, QPalette::Highlight, muted);
        option->palette.setColor(
            group, QPalette::HighlightedText, option->palette.color(group, QPalette::Text));
    }
}

void TStringGrid::paintEvent(QPaintEvent *event)
{
    QTableWidget::paintEvent(event);
    const int row = currentRow();
    if (!hasFocus() || row < 0 || columnCount() == 0)
        return;
    // The focus rectangle around the whole current row.
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = visualRect(model()->index(row, 0))
                     .united(visualRect(model()->index(row, columnCount() - 1)))
                     .adjusted(0, 0, -1, -1);
    focus.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    focus.backgroundColor = palette().color(QPalette::Highlight);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

void TStringGrid::focusInEvent(QFocusEvent *event)
{
    QTableWidget::focusInEvent(event);
    viewport()->update();
}

void TStringGrid::focusOutEvent(QFocusEvent *event)
{
    QTableWidget::focusOutEvent(event);
    viewport()->update();
}

void TStringGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        // As the menu key: the context menu at the current row.
        const QPoint pos = visualRect(currentIndex()).center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, pos, viewport()->mapToGlobal(pos));
        QApplication::sendEvent(this, &menu);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}
