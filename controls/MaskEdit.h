#pragma once

#include <QLineEdit>

// The masked edit of the time fields.
//
// EditMask is written the way the forms store it: "!90:00;1; " (hours and
// minutes) or "!9900:00:00;1; " (hours, minutes and seconds). "0" is a
// required digit, "9" an optional one, ":" the locale's time separator (from
// TLocaleSettings::Current() when the mask is set); any other character stands
// for itself. The part after the first ";" is ignored except for the last
// character after the second ";", the blank shown for unfilled positions. The
// leading "!" (unfilled optional positions show as leading blanks) is what
// the field always does.
//
// Text() always has one character per mask position, blanks included: the
// empty five-position text is BlankText() = "  :  ". Typing fills positions
// left to right: a blank, 7, 0, 5 gives " 7:05". SetText(" 7:05") keeps the
// leading blank.
//
// Typing: every character first goes to OnKeyPress, whose handler may change
// it or swallow it (set it to QChar()); the mask takes what is left.
//
// Leaving: when the user has changed the field since it got the focus, it
// cannot be left while a required position is empty: it beeps, keeps the
// focus and shows "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die
// Änderungen rückgängig.". Esc then restores the text the field had when it
// got the focus (and is swallowed; with nothing to restore it goes on to the
// dialog). A field the user never changed may be left in any state.
//
// Otherwise OnExit follows, while the focus is still being handed on: a
// handler that refuses the exit calls ReturnFocus() first and shows its
// message afterwards, so the control the focus was going to is never entered.
// A window that closes or loses the activation does not leave the field.
class TMaskEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
public:
    explicit TMaskEdit(QWidget *parent = nullptr);
    explicit TMaskEdit(const QString &editMask, QWidget *parent = nullptr);

    QString EditMask() const { return m_editMask; }
    void SetEditMask(const QString &mask);

    // The full-width text (QLineEdit::displayText()).
    QString Text() const { return displayText(); }
    // Sets the text; the field counts as unchanged afterwards.
    void SetText(const QString &text);
    // The text with every position unfilled: "  :  " for "!90:00;1; ".
    QString BlankText() const;
    bool IsBlank() const { return Text() == BlankText(); }

    // Whether the user changed the text since the field got the focus.
    bool Modified() const { return m_modified; }

    // Puts the focus back into the field (see ReturnFocus below).
    void ReturnFocus();

    // The mask message.
    static QString InvalidInputText();

signals:
    // Emitted first for each typed character; connect directly.
    void OnKeyPress(QChar &key);
    // The field is being left (see above); connect directly.
    void OnExit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QString m_editMask;
    QChar m_blank = u' ';
    QString m_original; // the text when the field got the focus
    bool m_entered = false; // has the focus and was not left since
    bool m_modified = false; // changed by the user since it got the focus
    bool m_leaving = false; // inside the exit handling
};

// Puts the focus back into field. Called while the field is being left (from
// its exit handler, before any message), it cancels the move of the focus:
// the control the focus was going to is not entered, and when a mouse press
// moved the focus, that press is dropped, so a refused exit never also
// clicks the button that was clicked.
void ReturnFocus(QWidget *field);
