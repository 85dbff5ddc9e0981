#include "TestSupport.h"

#include "support/MsgBoxDialog.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

// Message box and wait form.
class TestSupportDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void iconFollowsKind_data();
    void iconFollowsKind();
    void captionAndLineBreaks();
    void textIsPlain();
    void buttonsInOrder_data();
    void buttonsInOrder();
    void escapeAndCloseBox_data();
    void escapeAndCloseBox();
    void keyboardAnswers();
    void handlerShowsModalBoxOnActiveWindow();
    void kindCaptionWhenNoneGiven_data();
    void kindCaptionWhenNoneGiven();
    void handlerFromWorkerThread();
    void parentDestroyedGivesHarmlessAnswer();

    void waitFormWindow();
    void waitFormTextFits();
    void waitFormPaintedBeforeReturn();
    void waitFormRefusesUserClose();
};

namespace {

using ButtonList = QList<int>;

QString plainText(QString text)
{
    return text.remove(u'&');
}

// The box's buttons from left to right as shown.
QList<QPushButton *> visibleButtons(QMessageBox *box)
{
    QList<QPushButton *> buttons;
    for (QAbstractButton *b : box->buttons())
        if (auto *pb = qobject_cast<QPushButton *>(b); pb && pb->isVisible())
            buttons.append(pb);
    std::sort(buttons.begin(), buttons.end(), [box](QPushButton *a, QPushButton *b) {
        return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
    });
    return buttons;
}

std::unique_ptr<QMessageBox> shownBox(TMsgBoxButtons buttons, TMsgBoxKind kind = mkQuestion)
{
    std::unique_ptr<QMessageBox> box(
        CreateMsgBox({QStringLiteral("Text"), QStringLiteral("Titel"), kind, buttons}, nullptr));
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get()))
        qFatal("message box not exposed");
    return box;
}

QLabel *textLabel(QMessageBox *box)
{
    return box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
}

} // namespace

void TestSupportDialogs::initTestCase()
{
    // The offscreen platform warns about every dialog's size hints and raise().
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QStringLiteral("This plugin does not support")))
                previous(type, context, message);
        });
}

void TestSupportDialogs::cleanup()
{
    SetMsgBoxHandler(nullptr);
    // No box may stay open into the next test.
    while (QWidget *w = QApplication::activeModalWidget())
        w->close();
}

void TestSupportDialogs::iconFollowsKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::newRow("error") << int(mkError) << int(QMessageBox::Warning);
    QTest::newRow("information") << int(mkInformation) << int(QMessageBox::Information);
    QTest::newRow("question") << int(mkQuestion) << int(QMessageBox::Question);
    QTest::newRow("warning") << int(mkWarning) << int(QMessageBox::Critical);
    QTest::newRow("confirmation") << int(mkConfirmation) << int(QMessageBox::Question);
    QTest::newRow("plain") << int(mkPlain) << int(QMessageBox::NoIcon);
    QTest::newRow("other ordinal") << 9 << int(QMessageBox::NoIcon);
}

void TestSupportDialogs::iconFollowsKind()
{
    QFETCH(int, kind);
    QFETCH(int, icon);
    std::unique_ptr<QMessageBox> box(CreateMsgBox(
        {QStringLiteral("x"), QStringLiteral("c"), static_cast<TMsgBoxKind>(kind), {btOK}},
        nullptr));
    QCOMPARE(int(box->icon()), icon);
    // The icon is really drawn (or absent).
    QCOMPARE(box->iconPixmap().isNull(), icon == int(QMessageBox::NoIcon));
}

void TestSupportDialogs::captionAndLineBreaks()
{
    std::unique_ptr<QMessageBox> box(
        CreateMsgBox({QStringLiteral("Zeile 1\rZeile 2\r\nZeile 3"), QStringLiteral("Frage"),
                      mkQuestion, {btYesNo}},
                     nullptr));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QCOMPARE(box->windowTitle(), QStringLiteral("Frage"));
    QCOMPARE(box->text(), QStringLiteral("Zeile 1\nZeile 2\nZeile 3"));

    // CR LF makes one break, not two: three lines, no blank one.
    QLabel *label = textLabel(box.get());
    QVERIFY(label);
    const int line = label->fontMetrics().lineSpacing();
    QVERIFY2(label->height() >= 3 * line && label->height() < 4 * line,
             qPrintable(QString::number(label->height())));
}

void TestSupportDialogs::textIsPlain()
{
    // Text that looks like markup is shown as it is, not interpreted.
    std::unique_ptr<QMessageBox> box(CreateMsgBox(
        {QStringLiteral("<b>Tarif</b> <Einfg>"), QStringLiteral("c"), mkError, {btOK}}, nullptr));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QLabel *label = textLabel(box.get());
    QVERIFY(label);
    const QString shown = QStringLiteral("<b>Tarif</b> <Einfg>");
    QVERIFY(label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(shown));
}

void TestSupportDialogs::buttonsInOrder_data()
{
    QTest::addColumn<int>("button"); // -1: the empty set
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<ButtonList>("ids");
    auto row = [](const char *name, int button, QStringList texts, ButtonList ids) {
        QTest::newRow(name) << button << texts << ids;
    };
    const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("Abbrechen"),
                  yes = QStringLiteral("Ja"), no = QStringLiteral("Nein"),
                  retry = QStringLiteral("Wiederholen"), ignore = QStringLiteral("Ignorieren");
    row("ok", btOK, {ok}, {idOK});
    row("empty set", -1, {ok}, {idOK});
    row("ok cancel", btOKCancel, {ok, cancel}, {idOK, idCancel});
    row("abort retry ignore", btAbortRetryIgnore, {cancel, retry, ignore},
        {idAbort, idRetry, idIgnore});
    row("retry cancel", btRetryCancel, {retry, cancel}, {idRetry, idCancel});
    row("yes no", btYesNo, {yes, no}, {idYes, idNo});
    row("yes no cancel", btYesNoCancel, {yes, no, cancel}, {idYes, idNo, idCancel});
}

// The buttons stand in the given order whatever the platform's button layout,
// and clicking each gives its identifier.
void TestSupportDialogs::buttonsInOrder()
{
    QFETCH(int, button);
    QFETCH(QStringList, texts);
    QFETCH(ButtonList, ids);
    const TMsgBoxButtons buttons =
        button < 0 ? TMsgBoxButtons() : TMsgBoxButtons {TMsgBoxButton(button)};
    for (int i = 0; i < ids.size(); ++i) {
        auto box = shownBox(buttons);
        const QList<QPushButton *> shown = visibleButtons(box.get());
        QStringList shownTexts;
        for (QPushButton *b : shown)
            shownTexts.append(plainText(b->text()));
        QCOMPARE(shownTexts, texts);
        QCOMPARE(MsgBoxResult(box.get()), 0);

        QTest::mouseClick(shown.at(i), Qt::LeftButton);
        QCOMPARE(MsgBoxResult(box.get()), ids.at(i));
        QVERIFY(!box->isVisible());
    }
}

void TestSupportDialogs::escapeAndCloseBox_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("expected"); // 0: the box stays open
    QTest::newRow("ok") << int(btOK) << int(idOK);
    QTest::newRow("ok cancel") << int(btOKCancel) << int(idCancel);
    QTest::newRow("retry cancel") << int(btRetryCancel) << int(idCancel);
    QTest::newRow("yes no cancel") << int(btYesNoCancel) << int(idCancel);
    QTest::newRow("yes no") << int(btYesNo) << 0;
    QTest::newRow("abort retry ignore") << int(btAbortRetryIgnore) << 0;
}

void TestSupportDialogs::escapeAndCloseBox()
{
    QFETCH(int, button);
    QFETCH(int, expected);
    const TMsgBoxButtons buttons {TMsgBoxButton(button)};

    auto box = shownBox(buttons);
    QTest::keyClick(box.get(), Qt::Key_Escape);
    QCOMPARE(MsgBoxResult(box.get()), expected);
    QCOMPARE(box->isVisible(), expected == 0);

    auto closed = shownBox(buttons);
    QCOMPARE(closed->close(), expected != 0);
    QCOMPARE(MsgBoxResult(closed.get()), expected);
    QCOMPARE(closed->isVisible(), expected == 0);
    // Where nothing answers a close request there is no close box either.
    QCOMPARE(bool(closed->windowFlags() & Qt::WindowCloseButtonHint), expected != 0);
}

// Enter presses the first button; a button's letter answers directly.
void TestSupportDialogs::keyboardAnswers()
{
    for (TMsgBoxButton b : {btYesNo, btOKCancel, btAbortRetryIgnore}) {
        auto box = shownBox({b});
        QTest::keyClick(box.get(), Qt::Key_Return);
        QCOMPARE(MsgBoxResult(box.get()), MsgBoxButtonIds({b}).constFirst());
    }
    auto yesNo = shownBox({btYesNoCancel});
    QTest::keyClick(yesNo.get(), Qt::Key_N);
    QTRY_COMPARE(MsgBoxResult(yesNo.get()), int(idNo));

    auto ari = shownBox({btAbortRetryIgnore});
    QTest::keyClick(ari.get(), Qt::Key_I);
    QTRY_COMPARE(MsgBoxResult(ari.get()), int(idIgnore));
}

void TestSupportDialogs::handlerShowsModalBoxOnActiveWindow()
{
    QWidget main;
    main.setWindowTitle(QStringLiteral("Tarifeditor"));
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));

    InstallMsgBoxDialog();
    QPointer<QWidget> seenParent;
    bool wasModal = false;
    QString seenTitle;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seenParent = box->parentWidget();
        wasModal = box->isModal();
        seenTitle = box->windowTitle();
        const QList<QPushButton *> shown = visibleButtons(box);
        if (shown.size() == 3)
            QTest::mouseClick(shown.at(1), Qt::LeftButton); // "Nein"
    });
    const int result = ShowMsgBox(QStringLiteral("Tarif speichern?"), QString(), mkConfirmation,
                                  {btYesNoCancel});
    QCOMPARE(result, int(idNo));
    QCOMPARE(seenParent.data(), &main);
    QVERIFY(wasModal);
    QCOMPARE(seenTitle, QStringLiteral("Bestätigung"));

    // The plain message: application title and OK.
    SetApplicationTitle(QStringLiteral("Tarifeditor"));
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seenTitle = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    ShowPlainMessage(QStringLiteral("Fertig"));
    QCOMPARE(seenTitle, QStringLiteral("Tarifeditor"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestSupportDialogs::kindCaptionWhenNoneGiven_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("question") << int(mkQuestion) << QStringLiteral("Frage");
    QTest::newRow("warning") << int(mkWarning) << QStringLiteral("Warnung");
}

void TestSupportDialogs::kindCaptionWhenNoneGiven()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    InstallMsgBoxDialog();
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    QCOMPARE(ShowMsgBox(QStringLiteral("Text"), QString(), static_cast<TMsgBoxKind>(kind), {btOK}), int(idOK));
    QCOMPARE(seen, caption);
}

void TestSupportDialogs::handlerFromWorkerThread()
{
    InstallMsgBoxDialog();
    // The box runs its own event loop on the GUI thread: answer it from a
    // timer firing inside that loop.
    QPointer<QMessageBox> seen;
    bool onGuiThread = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || seen)
            return;
        seen = box;
        onGuiThread = box->thread() == qApp->thread();
        QTest::mouseClick(visibleButtons(box).constFirst(), Qt::LeftButton);
    });
    answer.start();

    std::atomic<int> result {-1};
    std::thread worker([&] {
        result = ShowMsgBox(QStringLiteral("Nochmal?"), QString(), mkQuestion, {btRetryCancel});
    });
    // Should the box never be answered, cancel it so that the worker ends.
    auto joinWorker = qScopeGuard([&] {
        while (result.load() == -1) {
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
            QTest::qWait(10);
        }
        worker.join();
    });
    QTRY_VERIFY_WITH_TIMEOUT(result.load() != -1, 10000);
    joinWorker.dismiss();
    worker.join();
    QCOMPARE(result.load(), int(idRetry));
    QVERIFY(onGuiThread);
}

void TestSupportDialogs::parentDestroyedGivesHarmlessAnswer()
{
    auto *owner = new QWidget;
    owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(owner));
    QTimer::singleShot(0, [owner] { delete owner; });
    const int result = ExecMsgBox(
        {QStringLiteral("Eintrag löschen?"), QStringLiteral("c"), mkQuestion, {btYesNo}},
        owner);
    QCOMPARE(result, int(idNo));
}

// ---- wait form --------------------------------------------------------------

void TestSupportDialogs::waitFormWindow()
{
    QWidget owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    auto *form = new TWaitForm(&owner);
    form->ShowAndPaint();

    QCOMPARE(form->windowTitle(), QStringLiteral("Moment"));
    QVERIFY(form->isWindow());
    const Qt::WindowFlags flags = form->windowHandle()->flags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));

    // The label lies inside the bevel, the bevel inside the window.
    QVERIFY(form->Bevel1->geometry().contains(form->Label1->geometry()));
    QVERIFY(form->rect().contains(form->Bevel1->geometry()));

    // Centred on the screen (the offscreen platform has no frame).
    const QPoint screenCentre = form->screen()->availableGeometry().center();
    const QPoint formCentre = form->frameGeometry().center();
    QVERIFY2((screenCentre - formCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(formCentre.x()).arg(formCentre.y())));

    // Destroyed with its owner.
    QPointer<TWaitForm> guard(form);
    delete form;
    QVERIFY(!guard);
}

// The text must fit the label at 96 dpi and when fonts are resolved at 192
// dpi (200 % scaling, or a font dpi setting), even after a longer text.
void TestSupportDialogs::waitFormTextFits()
{
    TWaitForm form(nullptr);
    QImage highDpi(8, 8, QImage::Format_ARGB32);
    highDpi.setDotsPerMeterX(qRound(192 / 0.0254));
    highDpi.setDotsPerMeterY(qRound(192 / 0.0254));

    auto check = [&](const QString &text) {
        const QFont font = form.Label1->font();
        const qreal width = form.Label1->contentsRect().width();
        const qreal at96 = QFontMetricsF(font).horizontalAdvance(text);
        const qreal at192 = QFontMetricsF(font, &highDpi).horizontalAdvance(text);
        QVERIFY2(at96 <= width && at192 <= width,
                 qPrintable(QStringLiteral("%1 / %2 > %3").arg(at96).arg(at192).arg(width)));
        QVERIFY(QFontMetricsF(font).height() <= form.Label1->height());
        // Not shrunk to nothing: at least 8 px.
        QVERIFY(QFontInfo(font).pixelSize() >= 8);
    };
    QCOMPARE(form.Label1->text(),
             QStringLiteral("Bitte warten Sie bis die Providerinformationen eingelesen wurden."));
    check(form.Label1->text());

    form.Label1->setText(QStringLiteral(
        "Bitte warten Sie bis die Providerinformationen aller Provider eingelesen wurden."));
    form.ShowAndPaint();
    check(form.Label1->text());
}

void TestSupportDialogs::waitFormPaintedBeforeReturn()
{
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;

    TWaitForm form(nullptr);
    form.Label1->installEventFilter(&counter);
    form.ShowAndPaint();
    // No event processing here: the caller goes straight to long work.
    QVERIFY(form.isVisible());
    QVERIFY(form.windowHandle()->isExposed());
    QVERIFY(counter.paints > 0);

    // The painted window shows dark text pixels inside the label.
    const QImage shot = form.grab().toImage();
    const QRect label = form.Label1->geometry();
    int dark = 0;
    for (int y = label.top(); y <= label.bottom(); ++y)
        for (int x = label.left(); x <= label.right(); ++x)
            if (qGray(shot.pixel(x, y)) < 100)
                ++dark;
    QVERIFY(dark > 100);

    // Shown again with a new text: painted at once as well.
    counter.paints = 0;
    form.Label1->setText(QStringLiteral("Bitte warten Sie bis die Tarife gespeichert wurden."));
    form.ShowAndPaint();
    QVERIFY(counter.paints > 0);
}

void TestSupportDialogs::waitFormRefusesUserClose()
{
    auto *form = new TWaitForm(nullptr);
    QPointer<TWaitForm> guard(form);
    form->ShowAndPaint();
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QTest::keyClick(form, Qt::Key_Escape);
    QVERIFY(form->isVisible());

    form->CloseAndRelease();
    QVERIFY(!form->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
}

QTEST_MAIN(TestSupportDialogs)
#include "tst_gui_msgbox.moc"
