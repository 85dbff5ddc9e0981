#include "EntryChecks.h"

#include "DialogLayout.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"
#include "support/MyTools.h"
#include "support/TextHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace {

void errorBox(const QString &text)
{
    ShowMsgBox(text, QString(), mkError, {btOK});
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

int TEntryChecks::CreateEntryFields()
{
    QDialog *d = m_dialog;
    const QString timeMask = QStringLiteral("!90:00;1; ");
    const int timeWidth = FieldWidth(d, QStringLiteral("00:00"), 41);
    const int amountWidth = FieldWidth(d, QStringLiteral("0.000,0000"), 89);

    Bevel1 = new QFrame(d);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 419, 137);

    // Top row: start, end, interval; each with its label above and its unit right.
    int x = 24;
    EntryTimeFrom = new TMaskEdit(timeMask, d);
    EntryTimeFrom->setGeometry(x, 40, timeWidth, 21);
    Label1 = DialogLabel(d, QStringLiteral("Gültig von:"), x, 24, EntryTimeFrom);
    Label2 = DialogLabel(d, QStringLiteral("Uhr"), x + timeWidth + 5, 44);
    x = std::max(120, Label2->geometry().right() + 16);
    EntryTimeTo = new TMaskEdit(timeMask, d);
    EntryTimeTo->setGeometry(x, 40, timeWidth, 21);
    Label3 = DialogLabel(d, QStringLiteral("Gültig bis:"), x, 24, EntryTimeTo);
    Label4 = DialogLabel(d, QStringLiteral("Uhr"), x + timeWidth + 5, 44);
    x = std::max(216, Label4->geometry().right() + 16);
    Takt = new TCurrencyEdit(d);
    Takt->setGeometry(x, 40, amountWidth, 21);
    Label5 = DialogLabel(d, m_intervalName + u':', x, 24, Takt);
    Label6 = DialogLabel(d, QStringLiteral("Sekunde(n)"), x + amountWidth + 5, 44);
    Takt->SetDecimalPlaces(4);
    Takt->SetDisplayFormat(QStringLiteral(",0.0000"));
    Takt->SetMaxValue(9999);

    ApplyBtn = DialogButton(d, QStringLiteral("Übernehmen"), 272, 153);
    CancelBtn = DialogButton(d, QStringLiteral("Abbrechen"), 352, 153);
    QWidget::setTabOrder(EntryTimeFrom, EntryTimeTo);
    QWidget::setTabOrder(EntryTimeTo, Takt);

    for (TMaskEdit *field : {EntryTimeFrom, EntryTimeTo})
        QObject::connect(
            field, &TMaskEdit::OnKeyPress, d, [this](QChar &key) { EnterKeyPress(key); },
            Qt::DirectConnection);
    QObject::connect(
        EntryTimeFrom, &TMaskEdit::OnExit, d, [this] { EntryTimeFromExit(); },
        Qt::DirectConnection);
    QObject::connect(
        EntryTimeTo, &TMaskEdit::OnExit, d, [this] { EntryTimeToExit(); }, Qt::DirectConnection);
    QObject::connect(EntryTimeTo, &QLineEdit::textEdited, d, [this] { m_endTyped = true; });
    QObject::connect(
        Takt, &TCurrencyEdit::OnKeyPress, d, [this](QChar &key) { TaktKeyPress(key); },
        Qt::DirectConnection);
    QObject::connect(
        Takt, &TCurrencyEdit::OnExit, d, [this] { TaktExit(); }, Qt::DirectConnection);
    new PasteKeyAsCharacter(Takt, this);
    QObject::connect(ApplyBtn, &QAbstractButton::clicked, d, [this] { ApplyBtnClick(); });
    QObject::connect(CancelBtn, &QAbstractButton::clicked, d, &QDialog::reject);
    return amountWidth;
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
    // hh:mm as the mask shows it, each field filled in. 24 is no hour of a
    // day, but 24:00 may end one.
    const QChar separator = TLocaleSettings::Current().TimeSeparator;
    qint64 seconds = 0;
    if (!ReadTimeText(QStringView(text), {separator, 24, 59}, seconds))
        return QString();
    int hour = int(seconds / 3600);
    int minute = int(seconds % 3600 / 60);
    // A range ends with the last second of its minute: one ending at 18:00
    // ends at 17:59:59; at 00:00 or 24:00 it ends at 23:59:59.
    if (end && minute == 0) {
        minute = 59;
        hour = hour == 0 ? 23 : hour - 1;
    }
    if (hour > 23)
        return QString();
    return MyTools.TwoDigitText(hour) + separator + MyTools.TwoDigitText(minute);
}

void TEntryChecks::checkTime(TMaskEdit *field, bool end, bool &ok, bool applying)
{
    const QString text = field->Text();
    if (text.size() != 5)
        return;
    // A blank field may be left (on the way to Abbrechen, say), but it is
    // no time to take over.
    const bool blank = text == BlankTimeText();
    if (blank && !applying)
        return;
    ok = true;
    // The end-of-range rule is for an end the user typed; an end the caller
    // filled in is taken as it stands.
    const QString checked = blank ? QString() : CheckedTimeText(text, end && m_endTyped);
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
    checkTime(EntryTimeFrom, false, TimeFromOk, false);
}

void TEntryChecks::EntryTimeToExit()
{
    checkTime(EntryTimeTo, true, TimeToOk, false);
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
    // "." and "," both enter the decimal separator, as in every amount field.
    const bool point = key == u'.' || key == u',';
    if (!digit && key != QChar(27) && key != separator && key != u'\b' && !point) {
        key = QChar();
        errorBox(WrongCharText());
        return;
    }
    if (point)
        key = separator;
    if (key == separator && Takt->text().contains(separator)) {
        key = QChar();
        errorBox(SecondSeparatorText());
    }
}

void TEntryChecks::TaktExit()
{
    TaktOk = true;
    if (Takt->Value() == 0) {
        ReturnFocus(Takt);
        errorBox(IntervalErrorText(m_intervalName));
        TaktOk = false;
    }
}

void TEntryChecks::ApplyBtnClick()
{
    checkTime(EntryTimeFrom, false, TimeFromOk, true);
    if (TimeFromOk)
        checkTime(EntryTimeTo, true, TimeToOk, true);
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
