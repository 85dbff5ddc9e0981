#include "MaskEdit.h"

#include "support/LocaleSettings.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

namespace {

// Drops the mouse press that is about to reach target, once: the press that
// moved the focus out of a field that took it back. Any other press in the
// target's window ends the watch.
class PendingClickDropper : public QObject
{
public:
    explicit PendingClickDropper(QWidget *target)
        : QObject(qApp)
        , m_target(target)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
            return false;
        auto *receiver = qobject_cast<QWidget *>(watched);
        if (!m_target || !receiver) {
            finish();
            return false;
        }
        if (receiver->window() != m_target->window())
            return false; // a message box in between
        finish();
        return receiver == m_target || m_target->isAncestorOf(receiver);
    }

private:
    void finish()
    {
        qApp->removeEventFilter(this);
        deleteLater();
    }
    QPointer<QWidget> m_target;
};

} // namespace

TMaskEdit::TMaskEdit(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { m_modified = true; });
}

TMaskEdit::TMaskEdit(const QString &editMask, QWidget *parent)
    : TMaskEdit(parent)
{
    SetEditMask(editMask);
}

QString TMaskEdit::InvalidInputText()
{
    return QStringLiteral(
        "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.");
}

void TMaskEdit::SetEditMask(const QString &mask)
{
    m_editMask = mask;
    const QStringList parts = mask.split(u';');
    m_blank = parts.size() >= 3 && !parts.at(2).isEmpty() ? parts.at(2).back() : QChar(u' ');

    // The line edit's mask letters: "9" required digit, "0" optional digit,
    // a backslash makes the next character a literal.
    QString qtMask;
    QString positions = parts.constFirst();
    if (positions.startsWith(u'!'))
        positions.remove(0, 1);
    for (QChar c : positions) {
        if (c == u'0')
            qtMask += u'9';
        else if (c == u'9')
            qtMask += u'0';
        else
            qtMask += u'\\' + QString(c == u':' ? TLocaleSettings::Current().TimeSeparator : c);
    }
    setInputMask(qtMask + u';' + m_blank);
    m_modified = false;
    if (m_entered)
        m_original = Text();
}

QString TMaskEdit::BlankText() const
{
    QString blank;
    const QString positions = m_editMask.section(u';', 0, 0);
    for (QChar c : positions) {
        if (c == u'!')
            continue;
        if (c == u'0' || c == u'9')
            blank += m_blank;
        else
            blank += c == u':' ? TLocaleSettings::Current().TimeSeparator : c;
    }
    return blank;
}

void TMaskEdit::SetText(const QString &text)
{
    setText(text);
    m_modified = false;
    if (m_entered)
        m_original = Text();
}

void ReturnFocus(QWidget *field)
{
    QWidget *target = QApplication::focusWidget();
    if (target && target != field && QApplication::mouseButtons() != Qt::NoButton)
        new PendingClickDropper(target);
    field->setFocus(Qt::OtherFocusReason);
}

void TMaskEdit::ReturnFocus()
{
    ::ReturnFocus(this);
}

void TMaskEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    if (typed.isEmpty() || isReadOnly()) { // cursor keys, Delete, shortcuts
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (QChar original : typed) {
        QChar key = original;
        emit OnKeyPress(key);
        if (key.isNull()) {
            event->accept();
            continue;
        }
        if (key == QChar(27)) {
            if (m_modified && Text() != m_original) {
                setText(m_original);
                m_modified = false;
                selectAll();
                event->accept();
            } else {
                event->ignore(); // on to the dialog
            }
            continue;
        }
        if (key == original && typed.size() == 1) {
            QLineEdit::keyPressEvent(event);
        } else if (key.unicode() >= 32) {
            QKeyEvent substitute(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
            QLineEdit::keyPressEvent(&substitute);
        } else {
            const Qt::Key code = key == u'\b'  ? Qt::Key_Backspace
                : key == u'\r' || key == u'\n' ? Qt::Key_Return
                                               : Qt::Key_unknown;
            QKeyEvent substitute(QEvent::KeyPress, code, Qt::NoModifier, QString(key));
            QLineEdit::keyPressEvent(&substitute);
            event->setAccepted(substitute.isAccepted());
        }
    }
}

void TMaskEdit::focusInEvent(QFocusEvent *event)
{
    const bool entering = !m_entered;
    if (entering) {
        m_entered = true;
        m_modified = false;
        m_original = Text();
    }
    QLineEdit::focusInEvent(event);
    // Entered by keyboard: all selected, so that typing starts afresh.
    if (entering && event->reason() != Qt::MouseFocusReason)
        selectAll();
}

void TMaskEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (!m_entered || m_leaving || reason == Qt::PopupFocusReason
        || reason == Qt::ActiveWindowFocusReason || !isVisible())
        return;

    m_leaving = true;
    if (m_modified && !hasAcceptableInput()) {
        ReturnFocus();
        m_leaving = false;
        QApplication::beep();
        ShowMsgBox(InvalidInputText(), QString(), mkError, {btOK});
        return;
    }
    emit OnExit();
    m_leaving = false;
    // A handler that refused the exit made the field its window's focus
    // widget again; the window itself may not be active yet after a message.
    if (window()->focusWidget() != this) {
        m_entered = false;
        m_modified = false;
    }
}

void TMaskEdit::hideEvent(QHideEvent *event)
{
    if (!isVisible()) {
        m_entered = false;
        m_modified = false;
    }
    QLineEdit::hideEvent(event);
}
