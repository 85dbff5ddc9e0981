#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

// Runs action on the next modal dialog of type T once it shows and is active
// (typing and Tab need the focus). The timer deletes itself once it has run;
// a test that expects no such dialog deletes it through a QPointer.
template<typename T> QTimer *OnModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
        if (dlg == nullptr || !dlg->isVisible())
            return;
        if (!dlg->isActiveWindow()) {
            dlg->activateWindow();
            return;
        }
        timer->stop();
        timer->deleteLater();
        action(dlg);
    });
    timer->start();
    return timer;
}

// Types text into w one character at a time; non-ASCII characters go as text.
inline void TypeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Gives the field the focus, replaces its text by typing and leaves it with Tab.
inline void EnterField(QWidget *field, const QString &text)
{
    field->setFocus(Qt::TabFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->home(false);
        edit->selectAll();
    }
    TypeText(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
    QCoreApplication::processEvents();
}
