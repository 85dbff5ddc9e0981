#pragma once

#include "model/TETypes.h"

#include <QDialog>
#include <QTreeWidgetItem>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
class TMySpeedButton;

// A row of the list: its own copy of one range, freed with the row.
class TFreeHoursRangeItem : public QTreeWidgetItem
{
public:
    explicit TFreeHoursRangeItem(const TFreeHoursRange &range);
    TFreeHoursRange Range;
    // Writes the three column texts from Range.
    void UpdateTexts();
};

// "Gültigkeit der Freistunden": whether the free hours may be used round the
// clock or only within the listed ranges. The caller checks
// FreeHoursForAllChkBox when it has no ranges, adds its ranges with AddRange,
// shows the dialog and, after OK, reads the box and Ranges(). The list keeps
// its rows sorted by their first column (locale-aware); the box only disables
// the list, it never empties it.
class TFreeHoursRangeDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TFreeHoursRangeDlg(QWidget *owner);

    // The texts of a row: "08:00:00 - 17:59:59 Uhr", "60,0000 Sekunde(n)",
    // "Mo Di Mi Do Fr Sa So" under German settings.
    static QStringList ItemTexts(const TFreeHoursRange &range);

    // Adds a row with a copy of range and re-sorts the list.
    void AddRange(const TFreeHoursRange &range);
    // The ranges of all rows, in display order.
    TFreeHoursRangeArray Ranges() const;
    // The row of the selected range, or nullptr.
    TFreeHoursRangeItem *SelectedItem() const;

    void FreeHoursForAllChkBoxClick();
    void LVChange();
    void LVDblClick();
    void AddEntryBtnClick();
    void EditEntryBtnClick();
    void DeleteEntryBtnClick();

    QFrame *Bevel1;
    QLabel *Label1;
    QCheckBox *FreeHoursForAllChkBox;
    QLabel *Label2;
    QTreeWidget *LV;
    QFrame *Panel;
    TMySpeedButton *AddEntryBtn;
    TMySpeedButton *EditEntryBtn;
    TMySpeedButton *DeleteEntryBtn;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void sortList();
    void fitToFont();
};
