#include "ContextHelp.h"

#include "HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QWhatsThis>
#include <QWindow>

namespace {

const char *const ContextProperty = "HelpContext";

QPointer<TContextHelp> g_filter;
QPointer<THelpWindow> g_window;
std::function<void(int)> g_showHandler;
int g_lastShown = -1;

int contextOf(const QObject *o)
{
    if (!o)
        return 0;
    bool ok = false;
    const int context = o->property(ContextProperty).toInt(&ok);
    return ok ? context : 0;
}

bool isHelpKey(const QKeyEvent *e)
{
    return (e->key() == Qt::Key_F1 || e->key() == Qt::Key_Help)
        && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

QWidget *widgetOf(QObject *o)
{
    if (auto *w = qobject_cast<QWidget *>(o))
        return w;
    if (auto *window = qobject_cast<QWindow *>(o)) {
        const QWidgetList topLevels = QApplication::topLevelWidgets();
        for (QWidget *w : topLevels) {
            if (w->windowHandle() == window)
                return w;
        }
    }
    return nullptr;
}

bool belongsToHelpWindow(const QWidget *w)
{
    return w && qobject_cast<const THelpWindow *>(w->window());
}

// The control the user asks about: the highlighted item of an open menu, the
// focused control, the control under the mouse when nothing has the focus,
// the receiver of the key, the active window.
struct THelpTarget
{
    const QWidget *Widget = nullptr;
    const QAction *Action = nullptr;
    const QMenu *Menu = nullptr;
};

THelpTarget helpTarget(QObject *receiver)
{
    THelpTarget target;
    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
        target.Menu = menu;
        target.Action = menu->activeAction();
        target.Widget = menu;
        return target;
    }
    QWidget *receiverWidget = widgetOf(receiver);
    QWidget *w = QApplication::focusWidget();
    if (!w) {
        QWidget *under = QApplication::widgetAt(QCursor::pos());
        if (under && (!receiverWidget || under->window() == receiverWidget->window()))
            w = under;
    }
    if (!w)
        w = receiverWidget;
    if (!w)
        w = QApplication::activeWindow();
    target.Widget = w;
    return target;
}

int contextOf(const THelpTarget &target)
{
    if (target.Menu)
        return EffectiveHelpContext(target.Action, target.Menu);
    return EffectiveHelpContext(target.Widget);
}

bool hasWhatsThisText(const QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        if (!w->whatsThis().isEmpty())
            return true;
    }
    return false;
}

void closePopups()
{
    // A popup grabs mouse and keyboard; the help window must be usable.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup)
            break;
        popup->close();
    }
}

THelpWindow *helpWindow()
{
    if (!g_window) {
        g_window = new THelpWindow;
        // The window has no owner: it goes when the program ends.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, g_window, [] { delete g_window; });
    }
    return g_window;
}

// While a modal dialog is open every other window is blocked; the help window
// is only usable as a window of that dialog.
void attachToModalDialog(THelpWindow *window)
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == window || window->parentWidget() == modal)
        return;
    const bool placed = window->testAttribute(Qt::WA_WState_Created) && window->isVisible();
    const QRect geometry = window->geometry();
    window->setParent(modal, window->windowFlags() | Qt::Window);
    if (placed)
        window->setGeometry(geometry);
}

} // namespace

void SetHelpContext(QWidget *w, int context)
{
    if (w)
        w->setProperty(ContextProperty, context);
}

int HelpContext(const QWidget *w)
{
    return contextOf(w);
}

int EffectiveHelpContext(const QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        if (const int context = contextOf(w))
            return context;
    }
    return 0;
}

void SetHelpContext(QAction *a, int context)
{
    if (a)
        a->setProperty(ContextProperty, context);
}

int HelpContext(const QAction *a)
{
    return contextOf(a);
}

int EffectiveHelpContext(const QAction *a, const QMenu *menu)
{
    if (const int context = contextOf(a))
        return context;
    for (const QWidget *w = menu; w; w = w->parentWidget()) {
        if (const int context = contextOf(w))
            return context;
        if (auto *m = qobject_cast<const QMenu *>(w)) {
            if (const int context = contextOf(m->menuAction()))
                return context;
        }
    }
    return 0;
}

void ShowHelpTopic(int context)
{
    g_lastShown = context;
    if (g_showHandler) {
        g_showHandler(context);
        return;
    }
    closePopups();
    THelpWindow *window = helpWindow();
    attachToModalDialog(window);
    window->ShowTopic(context);
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

TContextHelp::TContextHelp(QObject *parent)
    : QObject(parent)
{
}

void TContextHelp::Install()
{
    if (g_filter || !qApp)
        return;
    g_filter = new TContextHelp(qApp);
    qApp->installEventFilter(g_filter);
}

bool TContextHelp::IsInstalled()
{
    return !g_filter.isNull();
}

void TContextHelp::SetShowHandler(std::function<void(int)> handler)
{
    g_showHandler = std::move(handler);
}

int TContextHelp::LastShownTopic()
{
    return g_lastShown;
}

THelpWindow *TContextHelp::HelpWindow()
{
    return g_window;
}

int TContextHelp::ContextForKey(QObject *receiver)
{
    return contextOf(helpTarget(receiver));
}

bool TContextHelp::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // F1 is never a shortcut: claiming it here keeps the key press coming.
        if (isHelpKey(static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!isHelpKey(key))
            break;
        if (!key->isAutoRepeat()) {
            const THelpTarget target = helpTarget(watched);
            if (!belongsToHelpWindow(target.Widget))
                ShowHelpTopic(contextOf(target));
        }
        return true;
    }
    case QEvent::QueryWhatsThis:
        if (auto *w = qobject_cast<QWidget *>(watched); w && EffectiveHelpContext(w)) {
            event->accept();
            return true;
        }
        break;
    case QEvent::WhatsThis: {
        auto *w = qobject_cast<QWidget *>(watched);
        if (!w || belongsToHelpWindow(w))
            break;
        int context = 0;
        if (auto *menu = qobject_cast<QMenu *>(w))
            context = EffectiveHelpContext(menu->actionAt(static_cast<QHelpEvent *>(event)->pos()), menu);
        else
            context = EffectiveHelpContext(w);
        if (!context && hasWhatsThisText(w))
            break; // Qt shows the widget's own text
        event->accept();
        if (QWhatsThis::inWhatsThisMode())
            QWhatsThis::leaveWhatsThisMode();
        ShowHelpTopic(context);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
