#include "EntryChecks.h"

#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"
#include "support/MyTools.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace {

void errorBox(const QString &text)
{
    ShowMsgBox(text, QString(), mkError, {btOK});
}

// Leading blanks, then one or more decimal digits and nothing else.
bool readTimeNumber(const QString &text, int &value)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    if (i == text.size())
        return false;
    value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 9999)
            return false;
    }
    return true;
}

// The paste shortcut reaches the interval field's key filter as the control
// character it types, like every other control character, instead of pasting.
class PasteKeyAsCharacter : public QObject
{
public:
    PasteKeyAsCharacter(TCurrencyEdit *takt, TEntryChecks *checks)
        : QObject(takt)
        , m_checks(checks)
    {
        takt->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->matches(QKeySequence::Paste) || key->text().isEmpty()
            || key->text().at(0).unicode() >= 32)
            return false;
        QChar c = key->text().at(0);
        m_checks->TaktKeyPress(c);
        return c.isNull();
    }

private:
    TEntryChecks *m_checks;
};

} // namespace

TEntryChecks::TEntryChecks(QDialog *dialog, QString intervalName)
    : m_dialog(dialog)
    , m_intervalName(std::move(intervalName))
{ }

TEntryChecks::~TEntryChecks() = default;

void TEntryChecks::AttachEntryChecks(
    TMaskEdit *timeFrom, TMaskEdit *timeTo, TCurrencyEdit *takt, QWidget *applyBtn)
{
    m_timeFrom = timeFrom;
    m_timeTo = timeTo;
    m_takt = takt;
    for (TMaskEdit *field : {timeFrom, timeTo})
        QObject::connect(
            field, &TMaskEdit::OnKeyPress, m_dialog, [this](QChar &key) { EnterKeyPress(key); },
            Qt::DirectConnection);
    QObject::connect(
        timeFrom, &TMaskEdit::OnExit, m_dialog, [this] { EntryTimeFromExit(); },
        Qt::DirectConnection);
    QObject::connect(
        timeTo, &TMaskEdit::OnExit, m_dialog, [this] { EntryTimeToExit(); }, Qt::DirectConnection);
    QObject::connect(
        takt, &TCurrencyEdit::OnKeyPress, m_dialog, [this](QChar &key) { TaktKeyPress(key); },
        Qt::DirectConnection);
    QObject::connect(
        takt, &TCurrencyEdit::OnExit, m_dialog, [this] { TaktExit(); }, Qt::DirectConnection);
    new PasteKeyAsCharacter(takt, this);
    if (auto *button = qobject_cast<QAbstractButton *>(applyBtn))
        QObject::connect(button, &QAbstractButton::clicked, m_dialog, [this] { ApplyBtnClick(); });
}

QString TEntryChecks::BlankTimeText()
{
    return QStringLiteral("  ") + TLocaleSettings::Current().TimeSeparator + QStringLiteral("  ");
}

QString TEntryChecks::TimeErrorText(const QString &fieldName)
{
    return QStringLiteral("Ungültige Uhrzeit im Feld \"") + fieldName
        + QStringLiteral("\". Uhrzeit in der Form HH") + TLocaleSettings::Current().TimeSeparator
        + QStringLiteral("MM angeben.");
}

QString TEntryChecks::IntervalErrorText(const QString &fieldName)
{
    return QStringLiteral("Der Betrag im Feld \"") + fieldName
        + QStringLiteral("\" muss größer 0 betragen!");
}

QString TEntryChecks::WrongCharText()
{
    return QStringLiteral("Nur Ziffern und ") + TLocaleSettings::Current().DecimalSeparator
        + QStringLiteral(" erlaubt.");
}

QString TEntryChecks::SecondSeparatorText()
{
    return QStringLiteral("Nur Ziffern erlaubt. Die Angabe enthält bereits ein ")
        + TLocaleSettings::Current().DecimalSeparator + u'.';
}

QString TEntryChecks::CheckedTimeText(const QString &text, bool end)
{
    const QChar separator = TLocaleSettings::Current().TimeSeparator;
    const qsizetype p = text.indexOf(separator);
    int hour = 0;
    int minute = 0;
    if (p < 0 || !readTimeNumber(text.left(p), hour) || !readTimeNumber(text.mid(p + 1, 2), minute))
        return QString();
    if (end) {
        // A range ends with the last second of its minute: one ending at
        // 18:00 ends at 17:59:59; at 00:00 or 24:00 it ends at 23:59:59. An
        // hour above 24 is no time of day, not even as the end of a day.
        if (hour > 24)
            return QString();
        if (minute == 0) {
            minute = 59;
            hour = hour == 0 ? 23 : hour - 1;
        }
    }
    if (hour > 23 || minute > 59)
        return QString();
    return MyTools.TwoDigitText(hour) + separator + MyTools.TwoDigitText(minute);
}

void TEntryChecks::checkTime(TMaskEdit *field, bool end, bool &ok)
{
    const QString text = field->Text();
    if (text.size() != 5 || text == BlankTimeText())
        return;
    ok = true;
    const QString checked = CheckedTimeText(text, end);
    if (!checked.isEmpty()) {
        field->SetText(checked);
        return;
    }
    // The focus goes back first, so that the control it was going to is not
    // entered behind the message.
    field->ReturnFocus();
    errorBox(TimeErrorText(end ? QStringLiteral("Bis") : QStringLiteral("Von")));
    ok = false;
}

void TEntryChecks::EnterKeyPress(QChar &key)
{
    if (key == u';' || key == u',' || key == u'/') {
        key = QChar();
    } else if (key == u'\r' || key == u'\n') {
        key = QChar();
        PostNextControl(m_dialog);
    }
}

void TEntryChecks::EntryTimeFromExit()
{
    checkTime(m_timeFrom, false, TimeFromOk);
}

void TEntryChecks::EntryTimeToExit()
{
    checkTime(m_timeTo, true, TimeToOk);
}

void TEntryChecks::TaktKeyPress(QChar &key)
{
    if (key == u'\r' || key == u'\n') {
        key = QChar();
        PostNextControl(m_dialog);
        return;
    }
    const QChar separator = TLocaleSettings::Current().DecimalSeparator;
    const bool digit = key >= u'0' && key <= u'9';
    if (!digit && key != QChar(27) && key != separator && key != u'\b' && key != u'.') {
        key = QChar();
        errorBox(WrongCharText());
        return;
    }
    if (key == u'.')
        key = separator;
    if (key == separator && m_takt->text().contains(separator)) {
        key = QChar();
        errorBox(SecondSeparatorText());
    }
}

void TEntryChecks::TaktExit()
{
    TaktOk = true;
    if (m_takt->Value() == 0) {
        ReturnFocus(m_takt);
        errorBox(IntervalErrorText(m_intervalName));
        TaktOk = false;
    }
}

void TEntryChecks::ApplyBtnClick()
{
    EntryTimeFromExit();
    if (TimeFromOk)
        EntryTimeToExit();
    if (TimeFromOk && TimeToOk)
        TaktExit();
    Applied = TaktOk && TimeFromOk && TimeToOk;
    if (Applied)
        m_dialog->accept();
}

void PostNextControl(QWidget *dialog)
{
    QPointer<QWidget> target = dialog;
    QMetaObject::invokeMethod(
        dialog,
        [target] {
            if (!target)
                return;
            if (QWidget *focus = target->focusWidget()) {
                QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
                QCoreApplication::sendEvent(focus, &tab);
            }
        },
        Qt::QueuedConnection);
}

bool ClickFocusedButtonOnEnter(QDialog *dialog, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto *button = qobject_cast<QPushButton *>(dialog->focusWidget());
    if (!button || !button->hasFocus() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
