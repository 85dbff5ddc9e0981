#pragma once

#include <QWidget>

class QFrame;
class QLabel;

// The small "Moment" window shown while long work runs on the GUI thread
// (reading the provider information). It has no close box and no system menu,
// stays on top and sits in the middle of the screen.
//
// The user cannot close it: close requests (Alt+F4, the window manager) are
// refused. The program ends it with CloseAndRelease() or by deleting it; hide()
// works as usual.
class TWaitForm : public QWidget
{
    Q_OBJECT
public:
    // owner: the window the form belongs to (it is destroyed with it); may be null.
    explicit TWaitForm(QWidget *owner);

    // Shows the form and paints it completely before returning, so that it
    // is visible while the caller keeps the event loop busy.
    void ShowAndPaint();
    // Closes the form and deletes it later; do not use the pointer afterwards.
    void CloseAndRelease();

    QFrame *Bevel1;
    // Callers replace its text for other long work.
    QLabel *Label1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fitLabelFont();

    bool m_closing = false;
};
