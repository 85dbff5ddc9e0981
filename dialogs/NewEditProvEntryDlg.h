#pragma once

#include "EntryChecks.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TCurrencyEdit;
class TMaskEdit;
class TMySpeedButton;

// The dialog for one tariff entry: start and end time (hours and minutes),
// billing interval in seconds and fee per interval. The caller fills the
// fields, shows the dialog once and takes the values only when Applied is set;
// the modal result means nothing. Start and end text are then "hh:mm" (the end
// already moved back from minute 00), Takt is not 0 and the fee lies between
// 0 and 100.
class TNewEditProvEntryDlg : public QDialog, public TEntryChecks
{
    Q_OBJECT
public:
    explicit TNewEditProvEntryDlg(QWidget *owner);

    // The design caption, a format for the day class: "Neuen Eintrag (%s) hinzufügen".
    static QString NewCaption() { return QStringLiteral("Neuen Eintrag (%s) hinzufügen"); }
    static QString EditCaption() { return QStringLiteral("Eintrag (%s) ändern"); }
    static QString NegativeFeeText();

    // Key in CurrencyEdit: Enter moves on.
    void CurrencyEditKeyPress(QChar &key);
    // Leaving CurrencyEdit: a negative fee is refused (no flag).
    void CurrencyEditExit();
    // Converts cents into the amount field that has the focus.
    void CentEuroBtnClick();

    QLabel *Label7;
    TCurrencyEdit *CurrencyEdit;
    QLabel *cLabel;
    TMySpeedButton *CentEuroBtn;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
};
