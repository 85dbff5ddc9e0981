#include "StringGrid.h"

#include <QHeaderView>

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
