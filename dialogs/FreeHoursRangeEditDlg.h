#pragma once

#include "EntryChecks.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;
class TCurrencyEdit;
class TMaskEdit;
class TMySpeedButton;
class TPanelEx;

// "Eintrag hinzufügen" / "Eintrag ändern": one free-hours range, from and to
// (hours and minutes), the billing interval and the days. The time and
// interval fields are checked as in the tariff entry dialog, with "Taktung"
// in the interval message; the day buttons toggle independently and are
// never checked. The caller reads the fields when Applied is set after the
// showing; the modal result means nothing.
class TFreeHoursRangeEditDlg : public QDialog, public TEntryChecks
{
    Q_OBJECT
public:
    explicit TFreeHoursRangeEditDlg(QWidget *owner);

    // The day buttons in the order of their day numbers: So (1), Mo (2) …
    // Sa (7). Each button's "Tag" property holds its number.
    std::array<TMySpeedButton *, 7> DayButtons() const;

    TPanelEx *Panel;
    QLabel *Label13;
    TMySpeedButton *SunBtn;
    TMySpeedButton *MoBtn;
    TMySpeedButton *TuBtn;
    TMySpeedButton *WedBtn;
    TMySpeedButton *ThuBtn;
    TMySpeedButton *FrBtn;
    TMySpeedButton *SatBtn;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
