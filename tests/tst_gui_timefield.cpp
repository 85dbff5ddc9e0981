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
    void changedIncompleteFieldCannotBeLeft();
    void untouchedFieldMayBeLeftBlank();
    void escapeRestoresThenClosesDialog();
    void refusedExitKeepsNextControlOut();
    void refusedExitDropsTheClick();
};

namespace {

// A dialog with a field between two others and a button, so that Tab and
// clicks move the focus for real.
struct Form
{
    QDialog dialog;
    QLineEdit *before;
    TMaskEdit *edit;
    TMaskEdit *after;
    QPushButton *button;

    explicit Form(const QString &mask = QStringLiteral("!90:00;1; "))
    {
        auto *layout = new QVBoxLayout(&dialog);
        before = new QLineEdit(&dialog);
        edit = new TMaskEdit(mask, &dialog);
        after = new TMaskEdit(mask, &dialog);
        button = new QPushButton(QStringLiteral("OK"), &dialog);
        button->setAutoDefault(false);
        layout->addWidget(before);
        layout->addWidget(edit);
        layout->addWidget(after);
        layout->addWidget(button);
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
    QTest::newRow("blank first") << hm << QChar(u':') << QString() << " 705"
                                 << "  :  "
                                 << " 7:05" << true;
    QTest::newRow("two digits") << hm << QChar(u':') << QString() << "1830"
                                << "  :  "
                                << "18:30" << true;
    QTest::newRow("digit first") << hm << QChar(u':') << QString() << "705"
                                 << "  :  "
                                 << "70:5 " << false;
    QTest::newRow("letters refused") << hm << QChar(u':') << QString() << "a1b2"
                                     << "  :  "
                                     << "12:  " << false;
    QTest::newRow("replaces set text") << hm << QChar(u':') << "08:00"
                                       << "0915"
                                       << "  :  "
                                       << "09:15" << true;
    QTest::newRow("keeps leading blank") << hm << QChar(u':') << " 7:05"
                                         << ""
                                         << "  :  "
                                         << " 7:05" << true;
    QTest::newRow("locale separator") << hm << QChar(u'.') << QString() << "1230"
                                      << "  .  "
                                      << "12.30" << true;
    QTest::newRow("ten positions") << hms << QChar(u':') << QString() << "  123456"
                                   << "    :  :  "
                                   << "  12:34:56" << true;
    QTest::newRow("ten, hours only") << hms << QChar(u':') << QString() << "0012"
                                     << "    :  :  "
                                     << "0012:  :  " << false;
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
    QCOMPARE(edit.Text(), blank);
    QVERIFY(edit.IsBlank());
    if (!start.isEmpty())
        edit.SetText(start);
    edit.selectAll();
    typeText(&edit, typed);
    QCOMPARE(edit.Text(), expected);
    QCOMPARE(edit.hasAcceptableInput(), complete);
}

void TestTimeField::changedIncompleteFieldCannotBeLeft()
{
    MsgRecorder messages;
    Form f;
    QSignalSpy exits(f.edit, &TMaskEdit::OnExit);
    typeText(f.edit, "7");
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QCOMPARE(messages.Texts(), QStringList {TMaskEdit::InvalidInputText()});
    QCOMPARE(messages.Messages().constFirst().Kind, mkError);
    QVERIFY(f.edit->hasFocus());
    QCOMPARE(exits.count(), 0);
    QCOMPARE(f.edit->Text(), QStringLiteral("7 :  "));

    // Completed, it may be left.
    typeText(f.edit, "5");
    QCOMPARE(f.edit->Text(), QStringLiteral("75:  "));
    typeText(f.edit, "00");
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QVERIFY(f.after->hasFocus());
    QCOMPARE(exits.count(), 1);
    QCOMPARE(messages.Messages().size(), 1);
}

void TestTimeField::untouchedFieldMayBeLeftBlank()
{
    MsgRecorder messages;
    Form f;
    QSignalSpy exits(f.edit, &TMaskEdit::OnExit);
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QVERIFY(f.after->hasFocus());
    QCOMPARE(exits.count(), 1);
    QVERIFY(messages.Messages().isEmpty());

    // A set incomplete text is the program's business, not the user's change.
    f.edit->SetText(QStringLiteral("1 :  "));
    QTest::keyClick(f.after, Qt::Key_Backtab);
    QVERIFY(f.edit->hasFocus());
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QVERIFY(f.after->hasFocus());
    QVERIFY(messages.Messages().isEmpty());
}

void TestTimeField::escapeRestoresThenClosesDialog()
{
    MsgRecorder messages;
    Form f;
    f.edit->SetText(QStringLiteral("08:00"));
    f.edit->selectAll();
    typeText(f.edit, "1");
    QTest::keyClick(f.edit, Qt::Key_Tab); // refused: "1 :  "
    QVERIFY(f.edit->hasFocus());
    QTest::keyClick(f.edit, Qt::Key_Escape);
    QCOMPARE(f.edit->Text(), QStringLiteral("08:00"));
    QVERIFY(f.dialog.isVisible());
    QTest::keyClick(f.edit, Qt::Key_Escape);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
}

// A handler that refuses the exit takes the focus back before its message:
// the control the focus was going to is not entered and not left.
void TestTimeField::refusedExitKeepsNextControlOut()
{
    MsgRecorder messages;
    Form f;
    QSignalSpy afterExits(f.after, &TMaskEdit::OnExit);
    int refusals = 0;
    QObject::connect(f.edit, &TMaskEdit::OnExit, f.edit, [&] {
        if (f.edit->Text() == QStringLiteral("99:99")) {
            ++refusals;
            f.edit->ReturnFocus();
            ShowMsgBox(QStringLiteral("nein"), QString(), mkError, {btOK});
        }
    });
    // The message takes the activation, and nothing gives it back at once
    // (as on a desktop without a window manager).
    QWidget box;
    SetMsgBoxHandler([&box](const TMsgBoxRequest &) {
        box.show();
        box.activateWindow();
        QTest::qWaitForWindowActive(&box);
        box.hide();
        return int(idOK);
    });
    typeText(f.edit, "9999");
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QCOMPARE(refusals, 1);
    QCOMPARE(f.dialog.focusWidget(), f.edit);
    f.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
    QVERIFY(f.edit->hasFocus());
    QCOMPARE(afterExits.count(), 0);
    QCOMPARE(f.edit->Text(), QStringLiteral("99:99"));
    // Still being edited: Esc restores the blank text of the start.
    QTest::keyClick(f.edit, Qt::Key_Escape);
    QVERIFY(f.edit->IsBlank());
    QTest::keyClick(f.edit, Qt::Key_Tab);
    QVERIFY(f.after->hasFocus());
    QCOMPARE(refusals, 1);
}

void TestTimeField::refusedExitDropsTheClick()
{
    MsgRecorder messages;
    Form f;
    QSignalSpy clicks(f.button, &QPushButton::clicked);
    typeText(f.edit, "1");
    QTest::mouseClick(f.button, Qt::LeftButton);
    QCOMPARE(messages.Texts(), QStringList {TMaskEdit::InvalidInputText()});
    QVERIFY(f.edit->hasFocus());
    QCOMPARE(clicks.count(), 0);

    typeText(f.edit, "200"); // "12:00"
    QTest::mouseClick(f.button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(messages.Messages().size(), 1);
}

QTEST_MAIN(TestTimeField)
#include "tst_gui_timefield.moc"
