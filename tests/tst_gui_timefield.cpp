#include "TestSupport.h"

#include "controls/MaskEdit.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class TestTimeField : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void typingFillsPositions_data();
    void typingFillsPositions();
    void changedFieldLeftOnlyComplete();
    void refusedExitStaysInField();
};

namespace {

// A dialog with the field between two others and a button, so that Tab and
// clicks move the focus for real. The field has the focus.
struct Form
{
    QDialog dialog;
    QLineEdit *before = new QLineEdit(&dialog);
    TMaskEdit *edit = new TMaskEdit(QStringLiteral("!90:00;1; "), &dialog);
    TMaskEdit *after = new TMaskEdit(QStringLiteral("!90:00;1; "), &dialog);
    QPushButton *button = new QPushButton(QStringLiteral("OK"), &dialog);

    Form()
    {
        auto *layout = new QVBoxLayout(&dialog);
        for (QWidget *w : {static_cast<QWidget *>(before), static_cast<QWidget *>(edit),
                 static_cast<QWidget *>(after), static_cast<QWidget *>(button)})
            layout->addWidget(w);
        button->setAutoDefault(false);
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            qFatal("window not active");
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
    }
};

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, char(c.unicode()));
}

} // namespace

void TestTimeField::initTestCase()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QStringLiteral("This plugin does not support")))
                previous(type, context, message);
        });
}

void TestTimeField::typingFillsPositions_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("blank");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("complete");

    const QString hm = QStringLiteral("!90:00;1; ");
    const QString hms = QStringLiteral("!9900:00:00;1; ");
    const QChar colon = u':';
    QTest::newRow("blank first") << hm << colon << "" << " 705" << "  :  " << " 7:05" << true;
    QTest::newRow("digit first") << hm << colon << "" << "705" << "  :  " << "70:5 " << false;
    QTest::newRow("letters refused") << hm << colon << "" << "a1b2" << "  :  " << "12:  " << false;
    QTest::newRow("replaces set text") << hm << colon << "08:00" << "0915" << "  :  " << "09:15" << true;
    QTest::newRow("keeps leading blank") << hm << colon << " 7:05" << "" << "  :  " << " 7:05" << true;
    QTest::newRow("locale separator") << hm << QChar(u'.') << "" << "1230" << "  .  " << "12.30" << true;
    QTest::newRow("ten positions") << hms << colon << "" << "  123456" << "    :  :  " << "  12:34:56" << true;
    QTest::newRow("ten, hours only") << hms << colon << "" << "0012" << "    :  :  " << "0012:  :  " << false;
}

void TestTimeField::typingFillsPositions()
{
    QFETCH(QString, mask);
    QFETCH(QChar, separator);
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, blank);
    QFETCH(QString, expected);
    QFETCH(bool, complete);

    TLocaleSettings settings = TLocaleSettings::German();
    settings.TimeSeparator = separator;
    TScopedLocaleSettings locale(settings);
    TMaskEdit edit(mask);
    QCOMPARE(edit.BlankText(), blank);
    QVERIFY(edit.IsBlank());
    if (!start.isEmpty())
        edit.SetText(start);
    edit.selectAll();
    typeText(&edit, typed);
    QCOMPARE(edit.Text(), expected);
    QCOMPARE(edit.hasAcceptableInput(), complete);
}

// Untouched, the field may be left in any state; changed, only complete. Esc
// restores the text it had on entering, then closes the dialog.
void TestTimeField::changedFieldLeftOnlyComplete()
{
    MsgRecorder messages;
    Form f;
    QSignalSpy exits(f.edit, &TMaskEdit::OnExit);
    f.edit->SetText(QStringLiteral("1 :  "));
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QVERIFY(f.after->hasFocus());
    QCOMPARE(exits.count(), 1);

    QTest::keyClick(f.after, Qt::Key_Backtab);
    f.edit->selectAll();
    typeText(f.edit, "7");
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QCOMPARE(messages.Texts(), QStringList {TMaskEdit::InvalidInputText()});
    QVERIFY(f.edit->hasFocus());
    QCOMPARE(exits.count(), 1);
    QTest::keyClick(f.edit, Qt::Key_Escape);
    QCOMPARE(f.edit->Text(), QStringLiteral("1 :  "));
    QVERIFY(f.dialog.isVisible());
    QTest::keyClick(f.edit, Qt::Key_Escape);
    QVERIFY(!f.dialog.isVisible());
}

// An exit handler that refuses takes the focus back before its message: the
// next control is never entered, the field stays in editing even when the
// message leaves its window inactive, and the click that moved the focus is
// dropped.
void TestTimeField::refusedExitStaysInField()
{
    MsgRecorder messages;
    Form f;
    QSignalSpy afterExits(f.after, &TMaskEdit::OnExit);
    QSignalSpy clicks(f.button, &QPushButton::clicked);
    int refusals = 0;
    QObject::connect(f.edit, &TMaskEdit::OnExit, f.edit, [&] {
        if (f.edit->Text() == QStringLiteral("99:99")) {
            ++refusals;
            f.edit->ReturnFocus();
            ShowMsgBox(QStringLiteral("nein"), QString(), mkError, {btOK});
        }
    });
    QWidget box; // the message takes the activation, nothing gives it back
    bool boxActive = false;
    SetMsgBoxHandler([&box, &boxActive](const TMsgBoxRequest &) {
        box.show();
        box.activateWindow();
        boxActive = QTest::qWaitForWindowActive(&box);
        box.hide();
        return int(idOK);
    });
    typeText(f.edit, "9999");
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QCOMPARE(refusals, 1);
    QVERIFY(boxActive);
    QCOMPARE(f.dialog.focusWidget(), f.edit);
    f.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    QCOMPARE(afterExits.count(), 0);
    QTest::mouseClick(f.button, Qt::LeftButton);
    QCOMPARE(refusals, 2);
    QCOMPARE(clicks.count(), 0);
    f.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    QVERIFY(f.edit->hasFocus());
    QTest::keyClick(f.edit, Qt::Key_Escape);
    QVERIFY(f.edit->IsBlank());
    QTest::mouseClick(f.button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(refusals, 2);
}

QTEST_MAIN(TestTimeField)
#include "tst_gui_timefield.moc"
