#pragma once

#include <QChar>
#include <QString>

class QDialog;
class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;
class QWidget;
class TCurrencyEdit;
class TMaskEdit;

// The fields and checks that the tariff entry dialog and the free-hours range
// entry dialog share: the framed top row of start, end and interval, the
// buttons Übernehmen and Abbrechen, and the four flags. A dialog derives from
// QDialog and from this class and calls CreateEntryFields once its font is
// set; the handlers below are then connected to the fields and the buttons.
// Every message is an error box with an OK button.
class TEntryChecks
{
public:
    // All false after creation.
    bool TaktOk = false; // the interval passed its check
    bool TimeFromOk = false; // the start time passed its check
    bool TimeToOk = false; // the end time passed its check
    bool Applied = false; // all three passed when Übernehmen was last pressed

    QFrame *Bevel1 = nullptr;
    QLabel *Label1 = nullptr; // "Gültig von:"
    TMaskEdit *EntryTimeFrom = nullptr;
    QLabel *Label2 = nullptr; // "Uhr"
    QLabel *Label3 = nullptr; // "Gültig bis:"
    TMaskEdit *EntryTimeTo = nullptr;
    QLabel *Label4 = nullptr; // "Uhr"
    QLabel *Label5 = nullptr; // the interval's name
    TCurrencyEdit *Takt = nullptr;
    QLabel *Label6 = nullptr; // "Sekunde(n)"
    QPushButton *ApplyBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    // Key in a time field: drops ";", "," and "/"; Enter moves on to the
    // next control.
    void EnterKeyPress(QChar &key);
    // Leaving the start field. A text other than five characters and the
    // blank time text are left alone (TimeFromOk keeps its value). Otherwise
    // "h:mm" with the hour before the first time separator (leading blanks
    // allowed) and the two minute characters after it must be a time of day;
    // the field then shows it as "hh:mm". Else the "Von" message, the focus
    // back into the field, the text kept and TimeFromOk false.
    void EntryTimeFromExit();
    // Leaving the end field: as the start, with the "Bis" message, and, once
    // the user has typed in the field, the end of a range: a minute of 00
    // ends at the minute before, so 18:00 becomes 17:59, and 00:00 and 24:00
    // become 23:59 (hours above 24 are refused). An end the caller filled in
    // and the user left alone is kept as it stands.
    void EntryTimeToExit();
    // Key in the interval field: Enter moves on; digits, the decimal
    // separator, "." and ",", Backspace and Esc pass ("." and "," as the
    // decimal separator);
    // anything else, and a second decimal separator, is refused with a message.
    void TaktKeyPress(QChar &key);
    // Leaving the interval field: 0 is refused (focus back, TaktOk false).
    void TaktExit();
    // Runs the start check, the end check if the start passed, the interval
    // check if both passed; Applied is their conjunction; on success the
    // dialog is accepted. A blank time field fails here with the field's
    // message and gets the focus (leaving it blank is no error).
    void ApplyBtnClick();

    // "  :  " with the locale's time separator.
    static QString BlankTimeText();
    static QString TimeErrorText(const QString &fieldName); // "Von", "Bis"
    static QString IntervalErrorText(const QString &fieldName); // "Zeittakt", "Taktung"
    static QString WrongCharText();
    static QString SecondSeparatorText();

    // The check of one time text: the text the field shows after a passed
    // check, empty when the time is not valid. end applies the end-of-range rule.
    static QString CheckedTimeText(const QString &text, bool end);

protected:
    // intervalName is the name of the interval field in its message.
    TEntryChecks(QDialog *dialog, QString intervalName);
    ~TEntryChecks();
    TEntryChecks(const TEntryChecks &) = delete;
    TEntryChecks &operator=(const TEntryChecks &) = delete;

    // Creates the shared fields and buttons (the interval with four decimals,
    // at most 9999), puts them in tab order start, end, interval and connects
    // the handlers: key and exit of the three fields, the clicks of both
    // buttons. Called once; returns the width of an amount field, for the
    // dialog's own amounts.
    int CreateEntryFields();

private:
    void checkTime(TMaskEdit *field, bool end, bool &ok, bool applying);

    QDialog *m_dialog;
    QString m_intervalName;
    bool m_endTyped = false; // the user typed in EntryTimeTo
};

// Moves the focus of dialog to the next control in tab order once the event
// being handled is done, as Tab would.
void PostNextControl(QWidget *dialog);

// Enter on a focused push button of dialog clicks it (no button of the entry
// dialogs is a default button). Returns whether the key was used.
bool ClickFocusedButtonOnEnter(QDialog *dialog, QKeyEvent *event);
