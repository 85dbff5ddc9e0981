#pragma once

#include <QTableWidget>

// A text grid addressed like the editor's grids: row 0 is the fixed header
// row (the horizontal header), rows 1.. hold the data. RowCount() counts the
// header row too, so an empty grid with one blank data row has RowCount() 2.
// Whole rows are selected; no grid lines are drawn. The grid with the focus
// shows its current row highlighted and framed by a focus rectangle; without
// the focus the row keeps a muted highlight. Shift+F10 opens the context menu
// as the menu key does.
class TStringGrid : public QTableWidget
{
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);

    int ColCount() const { return columnCount(); }
    void SetColCount(int count);
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int count);

    // The text of a cell; row 0 is the header.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString &text);
    void SetColWidth(int col, int width);
    void SetDefaultRowHeight(int height);

    // The selected data row (1 or more), or 0 when none is selected.
    int Row() const;
    void SetRow(int row);

protected:
    void initViewItemOption(QStyleOptionViewItem *option) const override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
