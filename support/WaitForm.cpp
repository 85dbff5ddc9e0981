#include "WaitForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

// Outer size of the window with a 4 px border and a 23 px title bar; the
// client area leaves 8 px around the bevel on every side.
constexpr QSize OuterSize(481, 93);
constexpr QSize ClientSize(473, 66);

// 12 px is 9 pt at 96 dpi. A pixel size keeps text and geometry in the same
// units, so the text fits at any scaling and any font dpi setting.
constexpr int LabelPixelSize = 12;
constexpr int SmallestPixelSize = 8;

} // namespace

TWaitForm::TWaitForm(QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Moment"));
    setFixedSize(ClientSize);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 457, 50);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 24, 441, 16);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(
        QStringLiteral("Bitte warten Sie bis die Providerinformationen eingelesen wurden."));
    fitLabelFont();
}

void TWaitForm::fitLabelFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    const QString text = Label1->text();
    // Another font may stand in for DejaVu Sans; make the text fit anyway.
    for (int px = LabelPixelSize; px >= SmallestPixelSize; --px) {
        font.setPixelSize(px);
        if (QFontMetricsF(font).horizontalAdvance(text) <= Label1->width())
            break;
    }
    Label1->setFont(font);
}

void TWaitForm::ShowAndPaint()
{
    fitLabelFont(); // the caller may have replaced the text

    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QPoint centre = screen ? screen->availableGeometry().center() : QPoint();
    if (screen) {
        QRect outer(QPoint(), OuterSize);
        outer.moveCenter(centre);
        move(outer.topLeft());
    }

    show();
    raise();

    // The window system exposes the window asynchronously; wait for it (a
    // short while at most) without handling user input, then paint at once.
    QElapsedTimer timer;
    timer.start();
    while (windowHandle() && !windowHandle()->isExposed() && timer.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    if (screen) {
        // Now the real frame is known: correct the guess made above.
        QRect outer = frameGeometry();
        outer.moveCenter(centre);
        if (outer.topLeft() != pos())
            move(outer.topLeft());
    }
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TWaitForm::CloseAndRelease()
{
    m_closing = true;
    close();
    deleteLater();
}

void TWaitForm::closeEvent(QCloseEvent *event)
{
    if (m_closing)
        event->accept();
    else
        event->ignore();
}
