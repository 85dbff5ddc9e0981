#include "DialogLayout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

void SetDialogFont(QWidget *dialog)
{
    QFont f = dialog->font();
    f.setPixelSize(11);
    dialog->setFont(f);
}

int FieldWidth(const QWidget *dialog, const QString &sample, int minimum)
{
    return std::max(minimum, dialog->fontMetrics().horizontalAdvance(sample) + 14);
}

QLabel *DialogLabel(QWidget *parent, const QString &text, int x, int y, QWidget *buddy)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton *DialogButton(QWidget *parent, const QString &text, int x, int y)
{
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setGeometry(x, y, 75, 25);
    return b;
}

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect r = window->frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    window->move(r.topLeft());
}
