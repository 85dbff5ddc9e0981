#include "CurrencyEdit.h"

#include "support/LocaleSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>

#include <algorithm>
#include <cmath>

namespace {

// Last line of defence for edits that bypass the key handling (middle-click
// paste, undo): the line edit refuses any change to text the field would not
// accept.
class EditTextValidator : public QValidator
{
public:
    explicit EditTextValidator(TCurrencyEdit *edit)
        : QValidator(edit)
        , m_edit(edit)
    { }
    State validate(QString &input, int &) const override
    {
        return m_edit->IsValidEditText(input) ? Acceptable : Invalid;
    }

private:
    TCurrencyEdit *m_edit;
};

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

struct NumberFormat
{
    bool grouping = false;
    int minIntegerDigits = 1;
    int minDecimals = 0;
    int maxDecimals = 0;
};

NumberFormat parseFormat(const QString &format)
{
    NumberFormat f;
    f.grouping = format.contains(u',');
    const qsizetype point = format.indexOf(u'.');
    const QString integer = point < 0 ? format : format.left(point);
    f.minIntegerDigits = int(integer.count(u'0'));
    if (point >= 0) {
        const QString decimals = format.mid(point + 1);
        f.minDecimals = int(decimals.count(u'0'));
        f.maxDecimals = f.minDecimals + int(decimals.count(u'#'));
    }
    return f;
}

// value with maxDecimals, trailing zeros dropped down to minDecimals, using
// the locale's separators. No minus sign when the text shows zero.
QString formatNumber(double value, const NumberFormat &f)
{
    const TLocaleSettings &locale = TLocaleSettings::Current();
    QString digits = QString::number(std::fabs(value), 'f', f.maxDecimals);
    QString integer = digits, decimals;
    if (const qsizetype point = digits.indexOf(u'.'); point >= 0) {
        integer = digits.left(point);
        decimals = digits.mid(point + 1);
    }
    while (decimals.size() > f.minDecimals && decimals.endsWith(u'0'))
        decimals.chop(1);
    if (integer == QStringLiteral("0") && f.minIntegerDigits == 0)
        integer.clear();
    while (integer.size() < f.minIntegerDigits)
        integer.prepend(u'0');
    if (f.grouping)
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, locale.ThousandSeparator);

    QString text = integer;
    if (!decimals.isEmpty())
        text += locale.DecimalSeparator + decimals;
    const bool allZero = std::all_of(
        text.cbegin(), text.cend(), [](QChar c) { return !isAsciiDigit(c) || c == u'0'; });
    if (value < 0 && !allZero)
        text.prepend(u'-');
    return text;
}

// The paste entry of the line edit's standard menu: named in newer Qt
// versions, else known by its shortcut text. Not found, the validator still
// keeps invalid text out (silently).
QAction *pasteAction(QMenu *menu)
{
    const QList<QAction *> actions = menu->actions();
    for (QAction *a : actions)
        if (a->objectName() == QStringLiteral("edit-paste"))
            return a;
    const QString shortcut
        = u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction *a : actions)
        if (a->text().endsWith(shortcut))
            return a;
    return nullptr;
}

} // namespace

TCurrencyEdit::TCurrencyEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new EditTextValidator(this));
    // A drop onto the field while it shows the display form would not be checked.
    setAcceptDrops(false);
    setInputMethodHints(Qt::ImhFormattedNumbersOnly);

    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_reformatting)
            emit OnChange();
    });
    connect(this, &QLineEdit::textEdited, this, [this] { m_modified = true; });
}

// ---- value and formats ----------------------------------------------------

double TCurrencyEdit::Value() const
{
    if (m_editing && m_modified)
        return clamped(textValue(text()));
    return m_value;
}

void TCurrencyEdit::SetValue(double value)
{
    if (!std::isfinite(value))
        value = 0;
    m_value = value;
    m_modified = false;
    const QString t = m_editing ? editText(value) : displayText(value);
    if (t != text())
        setText(t);
}

void TCurrencyEdit::SetDecimalPlaces(int places)
{
    m_decimalPlaces = qBound(0, places, 15);
    if (!m_editing)
        setTextQuietly(displayText(m_value));
}

void TCurrencyEdit::SetDisplayFormat(const QString &format)
{
    m_displayFormat = format;
    if (!m_editing)
        setTextQuietly(displayText(m_value));
}

QString TCurrencyEdit::editText(double value) const
{
    if (value == 0)
        return QString();
    NumberFormat f;
    f.maxDecimals = m_decimalPlaces;
    return formatNumber(value, f);
}

QString TCurrencyEdit::displayText(double value) const
{
    if (value == 0)
        return QString();
    if (m_displayFormat.isEmpty())
        return editText(value);
    return formatNumber(value, parseFormat(m_displayFormat));
}

double TCurrencyEdit::textValue(const QString &text) const
{
    QString t = text.trimmed();
    t.replace(TLocaleSettings::Current().DecimalSeparator, u'.');
    bool negative = false;
    if (t.startsWith(u'-')) {
        negative = true;
        t.remove(0, 1);
    }
    if (t.startsWith(u'.'))
        t.prepend(u'0');
    if (t.isEmpty() || t == QStringLiteral("0."))
        return 0;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return 0;
    return negative ? -v : v;
}

double TCurrencyEdit::clamped(double value) const
{
    if (m_maxValue == 0)
        return value;
    if (value < 0)
        value = 0;
    if (value > m_maxValue)
        value = m_maxValue;
    return value;
}

bool TCurrencyEdit::IsValidEditText(const QString &text) const
{
    const QChar separator = TLocaleSettings::Current().DecimalSeparator;
    const qsizetype n = text.size();
    qsizetype i = 0;
    // No minus sign can be typed or pasted; only a negative value the field
    // was given keeps its sign while it is edited.
    if (i < n && text.at(i) == u'-') {
        if (!(m_value < 0))
            return false;
        ++i;
    }
    while (i < n && isAsciiDigit(text.at(i)))
        ++i;
    if (i < n && text.at(i) == separator) {
        if (m_decimalPlaces == 0)
            return false;
        ++i;
        int decimals = 0;
        while (i < n && isAsciiDigit(text.at(i))) {
            ++i;
            ++decimals;
        }
        if (decimals > m_decimalPlaces)
            return false;
    }
    return i == n;
}

void TCurrencyEdit::setTextQuietly(const QString &text)
{
    if (text == this->text())
        return;
    m_reformatting = true;
    setText(text);
    m_reformatting = false;
}

// ---- typing ---------------------------------------------------------------

void TCurrencyEdit::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        PasteChecked();
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (typed.isEmpty()) { // cursor keys, Delete, shortcuts without text
        QLineEdit::keyPressEvent(event);
        return;
    }

    bool passedOn = false;
    bool ignored = false;
    for (QChar original : typed) {
        QChar key = original;
        emit OnKeyPress(key);
        switch (handleChar(key)) {
        case KeyOutcome::Done:
            break;
        case KeyOutcome::Ignore:
            ignored = true;
            break;
        case KeyOutcome::PassOn:
            if (key == original && typed.size() == 1) {
                QLineEdit::keyPressEvent(event);
                passedOn = true;
            } else {
                // The handler made it another control character: act on that one.
                const Qt::Key code = key == u'\b'  ? Qt::Key_Backspace
                    : key == u'\r' || key == u'\n' ? Qt::Key_Return
                                                   : Qt::Key_unknown;
                if (code != Qt::Key_unknown) {
                    QKeyEvent substitute(QEvent::KeyPress, code, Qt::NoModifier, QString(key));
                    QLineEdit::keyPressEvent(&substitute);
                    event->setAccepted(substitute.isAccepted());
                    passedOn = true;
                }
            }
            break;
        }
    }
    if (!passedOn)
        event->setAccepted(!ignored);
}

TCurrencyEdit::KeyOutcome TCurrencyEdit::handleChar(QChar key)
{
    if (key.isNull())
        return KeyOutcome::Done; // swallowed by the handler
    if (key == QChar(27))
        return restore() ? KeyOutcome::Done : KeyOutcome::Ignore;
    if (key.unicode() < 32)
        return KeyOutcome::PassOn;
    // "," and "." both enter the decimal separator: the edit form never holds
    // a thousands separator, and nobody types one into an amount.
    if (key == u',' || key == u'.')
        key = TLocaleSettings::Current().DecimalSeparator;
    if (!insertChecked(QString(key)))
        QApplication::beep();
    return KeyOutcome::Done;
}

bool TCurrencyEdit::insertChecked(const QString &piece)
{
    QString candidate = text();
    if (hasSelectedText())
        candidate.replace(selectionStart(), selectedText().size(), piece);
    else
        candidate.insert(cursorPosition(), piece);
    if (!IsValidEditText(candidate))
        return false;
    insert(piece);
    return true;
}

bool TCurrencyEdit::restore()
{
    const QString original = editText(m_value);
    if (!m_modified && text() == original)
        return false;
    setText(original);
    m_modified = false;
    selectAll();
    return true;
}

void TCurrencyEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    if (isReadOnly() || commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Let the line edit handle the composition, and commit through the rules.
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
    for (QChar original : commit) {
        QChar key = original;
        emit OnKeyPress(key);
        if (!key.isNull() && key.unicode() >= 32)
            handleChar(key);
    }
    event->accept();
}

void TCurrencyEdit::PasteChecked()
{
    if (isReadOnly())
        return;
    const QString pasted = QGuiApplication::clipboard()->text().trimmed();
    const TLocaleSettings &locale = TLocaleSettings::Current();

    // As typed ("." and "," as decimal separator), else, for a copied display
    // text ("1.234,50"), without the thousands separators before its decimal
    // separator.
    QString asTyped = pasted;
    asTyped.replace(u',', locale.DecimalSeparator).replace(u'.', locale.DecimalSeparator);
    const qsizetype point = pasted.lastIndexOf(locale.DecimalSeparator);
    QString ungrouped;
    if (point > 0 && pasted.left(point).contains(locale.ThousandSeparator))
        ungrouped = pasted.left(point).remove(locale.ThousandSeparator) + pasted.mid(point);

    if (!pasted.isEmpty() && !insertChecked(asTyped)
        && (ungrouped.isEmpty() || !insertChecked(ungrouped)))
        QApplication::beep();
}

void TCurrencyEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (QAction *paste = pasteAction(menu)) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &TCurrencyEdit::PasteChecked);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---- focus ----------------------------------------------------------------

void TCurrencyEdit::focusInEvent(QFocusEvent *event)
{
    const bool entering = !m_editing;
    if (entering) {
        m_editing = true;
        m_modified = false;
        setTextQuietly(editText(m_value));
    }
    QLineEdit::focusInEvent(event);
    // Entered by keyboard or as the first field of a window: all selected, so
    // that typing replaces the number. A click places the cursor instead.
    if (entering && event->reason() != Qt::MouseFocusReason)
        selectAll();
}

void TCurrencyEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A popup (the context menu) or another window taking the activation
    // does not end the editing.
    if (!m_editing || event->reason() == Qt::PopupFocusReason
        || event->reason() == Qt::ActiveWindowFocusReason)
        return;

    finishEditing();
    emit OnExit();
}

void TCurrencyEdit::hideEvent(QHideEvent *event)
{
    // A dialog closed (with Enter, say) while the field still had the focus:
    // no exit, but the field must not keep the edit form for the next showing.
    if (m_editing && !isVisible())
        finishEditing();
    QLineEdit::hideEvent(event);
}

void TCurrencyEdit::finishEditing()
{
    // The bounds apply to what the user typed: a value the field was given
    // and the user only passed through stays as it is, even beyond them.
    const double typed = m_modified ? textValue(text()) : m_value;
    const double value = m_modified ? clamped(typed) : typed;
    m_editing = false;
    m_modified = false;
    m_value = value;
    setTextQuietly(displayText(value));
    if (value != typed)
        emit OnChange();
}
