#include "MsgBoxDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>

#include <cstdio>

namespace {

// Dynamic property on each button holding its result identifier.
constexpr char IdProperty[] = "msgBoxId";

QString buttonText(int id)
{
    // Mnemonics as on the German platform box: a plain J, N, W, I or A
    // answers without the mouse.
    switch (id) {
    case idOK: return QStringLiteral("OK");
    case idCancel: return QStringLiteral("Abbrechen");
    case idAbort: return QStringLiteral("&Abbrechen");
    case idRetry: return QStringLiteral("&Wiederholen");
    case idIgnore: return QStringLiteral("&Ignorieren");
    case idYes: return QStringLiteral("&Ja");
    case idNo: return QStringLiteral("&Nein");
    }
    return QString();
}

QMessageBox::Icon iconOf(TMsgBoxKind kind)
{
    switch (kind) {
    case mkError: return QMessageBox::Warning;
    case mkInformation: return QMessageBox::Information;
    case mkQuestion:
    case mkConfirmation: return QMessageBox::Question;
    case mkWarning: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// A carriage return breaks the line, alone or as part of CR LF.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// The button Esc and the close box press: Cancel if present, else OK when it
// is the only button, else none.
int escapeId(const QList<int> &ids)
{
    if (ids.contains(idCancel))
        return idCancel;
    if (ids == QList<int> {idOK})
        return idOK;
    return 0;
}

// The answer when a box vanishes without a button press (its parent was
// destroyed): the escape answer, else the harmless one, No or Abort.
int fallbackId(const QList<int> &ids)
{
    if (const int id = escapeId(ids))
        return id;
    return ids.contains(idNo) ? idNo : idAbort;
}

int showOnGuiThread(const TMsgBoxRequest &request)
{
    return ExecMsgBox(request, QApplication::activeWindow());
}

} // namespace

QMessageBox *CreateMsgBox(const TMsgBoxRequest &request, QWidget *parent)
{
    auto *box = new QMessageBox(parent);
    box->setWindowTitle(request.Caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(request.Text));
    box->setIcon(iconOf(request.Kind));

    const QList<int> ids = MsgBoxButtonIds(request.Buttons);
    const int escape = escapeId(ids);
    for (int id : ids) {
        // One role for all buttons keeps them in the order added, whatever
        // button layout the platform theme prefers.
        QPushButton *button = box->addButton(buttonText(id), QMessageBox::ActionRole);
        button->setProperty(IdProperty, id);
        if (box->defaultButton() == nullptr)
            box->setDefaultButton(button);
        if (id == escape)
            box->setEscapeButton(button);
    }
    if (escape == 0) {
        // Nothing answers Esc: offer no close box either (QMessageBox refuses
        // a close request anyway when it has no escape button).
        box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }
    return box;
}

int MsgBoxResult(const QMessageBox *box)
{
    const QAbstractButton *clicked = box->clickedButton();
    return clicked ? clicked->property(IdProperty).toInt() : 0;
}

int ExecMsgBox(const TMsgBoxRequest &request, QWidget *parent)
{
    QPointer<QMessageBox> box = CreateMsgBox(request, parent);
    box->exec();
    const int result = box ? MsgBoxResult(box) : 0; // null: the parent went away
    delete box;
    return result != 0 ? result : fallbackId(MsgBoxButtonIds(request.Buttons));
}

void InstallMsgBoxDialog()
{
    SetMsgBoxHandler([](const TMsgBoxRequest &request) -> int {
        QCoreApplication *app = QCoreApplication::instance();
        if (qobject_cast<QApplication *>(app) == nullptr) {
            // No widgets possible: report on standard error like the seam does.
            std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.Caption),
                         qUtf8Printable(request.Text));
            return MsgBoxButtonIds(request.Buttons).constFirst();
        }
        if (QThread::currentThread() == app->thread())
            return showOnGuiThread(request);
        // Widgets live on the GUI thread only: show the box there and wait.
        int result = 0;
        QMetaObject::invokeMethod(
            app, [&] { result = showOnGuiThread(request); }, Qt::BlockingQueuedConnection);
        return result;
    });
}
