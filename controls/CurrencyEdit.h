#pragma once

#include <QLineEdit>

// The numeric field of the editing dialogs.
//
// Without the focus the field shows Value in DisplayFormat (",0.00": thousands
// separator and two fixed decimals); with the focus it shows the plain number
// with at most DecimalPlaces decimals. A value of 0 shows as an empty field.
// Separators come from TLocaleSettings::Current().
//
// Typing: every character first goes to OnKeyPress, whose handler may change
// it or swallow it (set it to QChar()). Of what is left, "," and "." both
// enter the decimal separator (the edit text never holds thousands
// separators, and nobody types one into an amount); control characters
// (Backspace, Enter, ...) act as usual; any other character is taken only if
// the text stays a number with at most DecimalPlaces decimals - otherwise it
// is refused with a beep. No minus sign is taken: only a negative value the
// field was given keeps its sign. Pasted text obeys the same rules, "." and
// "," read as the decimal separator (a copied display text such as "1.234,50"
// loses its thousands separators).
//
// Esc restores the value the field had on entering (or was last given) and is
// swallowed; when there is nothing to restore, Esc goes on to the dialog, so
// that it still closes the dialog.
//
// Leaving the field turns the text into Value; when MaxValue is not 0 the
// value is then held to the range 0 ... MaxValue silently, the text shows the
// display form and OnExit follows. A field that was entered and left without
// an edit keeps its Value exactly, even with more decimals than it shows.
// Hiding the window while the field edits (a dialog closed with Enter) takes
// the value the same way, without OnExit. Set numbers through Value, not setText.
class TCurrencyEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(int DecimalPlaces READ DecimalPlaces WRITE SetDecimalPlaces)
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
public:
    explicit TCurrencyEdit(QWidget *parent = nullptr);

    // While the field has the focus: the number the text holds, already held
    // to the range when MaxValue is not 0 (a dialog closed with Enter reads
    // the value the field would take on leaving).
    double Value() const;
    // Rewrites the text; OnChange follows when the text changes.
    void SetValue(double value);

    int DecimalPlaces() const { return m_decimalPlaces; }
    void SetDecimalPlaces(int places); // 0 ... 15

    // Supported: an optional "," (thousands separator), "0" or "#" digits
    // before the ".", and "0" (fixed) then "#" (optional) decimals after it:
    // ",0.00", ",0.0000", "0.##". Empty: no grouping, up to DecimalPlaces
    // decimals.
    QString DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format);

    // 0: no range check.
    double MaxValue() const { return m_maxValue; }
    void SetMaxValue(double maxValue) { m_maxValue = maxValue; }

    // Whether text is acceptable while editing (a number in the making:
    // "", "-", "," and "12," count).
    bool IsValidEditText(const QString &text) const;

    // Inserts the clipboard text if the result is acceptable, else beeps.
    void PasteChecked();

signals:
    void OnChange();
    // Emitted first for each typed character; connect directly.
    void OnKeyPress(QChar &key);
    void OnExit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Result of one character: handled here, to be passed on, or unhandled
    // (Esc with nothing to restore).
    enum class KeyOutcome { Done, PassOn, Ignore };
    KeyOutcome handleChar(QChar key);
    bool insertChecked(const QString &piece);
    bool restore();
    void finishEditing();

    QString editText(double value) const;
    QString displayText(double value) const;
    double textValue(const QString &text) const;
    double clamped(double value) const;
    void setTextQuietly(const QString &text);

    double m_value = 0;
    int m_decimalPlaces = 2;
    QString m_displayFormat;
    double m_maxValue = 0;

    bool m_editing = false;   // entered and not yet left
    bool m_modified = false;  // the user changed the text since entering/SetValue
    bool m_reformatting = false;
};
