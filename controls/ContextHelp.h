#pragma once

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;
class THelpWindow;

// Help context numbers.
//
// Every control carries a help context number in the property "HelpContext"
// (an int; TMySpeedButton declares it as a real property, other widgets get a
// dynamic one). 0 means "none": such a control uses the number of its nearest
// ancestor, in the end the number of its window. Items of context menus carry
// numbers the same way.
void SetHelpContext(QWidget *w, int context);
int HelpContext(const QWidget *w);
// The first non-zero number of w and its parents; 0 if there is none.
int EffectiveHelpContext(const QWidget *w);

void SetHelpContext(QAction *a, int context);
int HelpContext(const QAction *a);
// The item's own number, else that of the menu it is shown in (and the
// menu's ancestors, including the items that open submenus).
int EffectiveHelpContext(const QAction *a, const QMenu *menu);

// Opens the one help window of the program at the topic for the number and
// raises it; a number without a page of its own shows the contents with a
// note. Goes through TContextHelp's show handler when one is set.
void ShowHelpTopic(int context);

// F1 and What's This for the whole application. Install() once after the
// QApplication exists; the filter sees every key press before the widget
// does, so F1 works in controls that swallow all other keys as well.
class TContextHelp : public QObject
{
    Q_OBJECT
public:
    static void Install();
    static bool IsInstalled();

    // For tests: when set, showing help calls the handler with the number
    // instead of opening the window. An empty function restores the window.
    static void SetShowHandler(std::function<void(int)> handler);
    // The number last passed to ShowHelpTopic; -1 before the first call.
    static int LastShownTopic();

    // The help window, if it has been opened; nullptr otherwise.
    static THelpWindow *HelpWindow();

    // The number F1 would show now, as if the key went to receiver.
    static int ContextForKey(QObject *receiver);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TContextHelp(QObject *parent);
};
