#include "TestSupport.h"

#include "controls/CurrencyEdit.h"
#include "controls/Glyphs.h"
#include "controls/MySpeedButton.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QVBoxLayout>

#include <memory>

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void typingLimitsDecimals_data();
    void typingLimitsDecimals();
    void pointAndCommaEnterDecimalSeparator_data();
    void pointAndCommaEnterDecimalSeparator();
    void refusesWhatIsNoNumber_data();
    void refusesWhatIsNoNumber();
    void maxValueHoldsRangeAndForbidsMinus();
    void zeroShowsEmpty();
    void displayAndEditForms_data();
    void displayAndEditForms();
    void valueWhileEditing();
    void untouchedFieldKeepsExactValue();
    void escapeRestoresThenClosesDialog();
    void dialogClosedWhileEditing();
    void keyPressHandlerRunsBeforeRules();
    void changeAndExitOrder();
    void pasteIsChecked();
    void contextMenuKeepsEditingAndChecksPaste();
    void readOnlyFieldIgnoresTyping();

    void speedButtonTakesNoFocus();
    void speedButtonGroups();
    void speedButtonHintToolTip();
    void speedButtonHelpContext();

    void iconsLoad_data();
    void iconsLoad();
};

namespace {

// A window with a currency field between two plain fields, so that Tab and
// Backtab move the focus in and out of it for real.
struct Form
{
    QWidget window;
    QLineEdit *before;
    TCurrencyEdit *edit;
    QLineEdit *after;

    Form()
    {
        auto *layout = new QVBoxLayout(&window);
        before = new QLineEdit(&window);
        edit = new TCurrencyEdit(&window);
        after = new QLineEdit(&window);
        layout->addWidget(before);
        layout->addWidget(edit);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("window not active");
        before->setFocus();
    }
    // Tab from the field before: the field's content is selected.
    void Enter()
    {
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
    }
    void Leave() { QTest::keyClick(edit, Qt::Key_Tab); }
};

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Expected texts are written German style; the point locale swaps the marks.
QString localised(bool german, QString text)
{
    if (german)
        return text;
    for (QChar &c : text)
        c = c == u',' ? u'.' : c == u'.' ? u',' : c;
    return text;
}

TLocaleSettings localeOf(bool german)
{
    return german ? TLocaleSettings::German() : DollarLocale();
}

void addLocaleColumns()
{
    QTest::addColumn<bool>("german");
}

} // namespace

void TestControls::initTestCase()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QStringLiteral("This plugin does not support")))
                previous(type, context, message);
        });
}

void TestControls::cleanup()
{
    QToolTip::hideText();
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

// ---- currency field ---------------------------------------------------------

void TestControls::typingLimitsDecimals_data()
{
    addLocaleColumns();
    QTest::newRow("german") << true;
    QTest::newRow("point") << false;
}

void TestControls::typingLimitsDecimals()
{
    QFETCH(bool, german);
    TScopedLocaleSettings locale(localeOf(german));
    Form f;
    f.edit->SetDecimalPlaces(4);
    f.Enter();
    typeText(f.edit, localised(german, QStringLiteral("0,12345")));
    QCOMPARE(f.edit->text(), localised(german, QStringLiteral("0,1234")));
    QCOMPARE(f.edit->Value(), 0.1234);

    // A decimal in the middle is refused too once four are there...
    f.edit->setCursorPosition(3);
    typeText(f.edit, QStringLiteral("9"));
    QCOMPARE(f.edit->text(), localised(german, QStringLiteral("0,1234")));
    // ... but replacing a selected decimal is fine.
    f.edit->setSelection(3, 1);
    typeText(f.edit, QStringLiteral("9"));
    QCOMPARE(f.edit->text(), localised(german, QStringLiteral("0,1934")));

    // No decimals at all.
    f.edit->SetValue(0);
    f.edit->SetDecimalPlaces(0);
    f.edit->selectAll();
    typeText(f.edit, QStringLiteral("12,5"));
    QCOMPARE(f.edit->text(), QStringLiteral("125"));
}

void TestControls::pointAndCommaEnterDecimalSeparator_data()
{
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<QChar>("thousands");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // Either mark enters the decimal separator, also the one that is the
    // thousands separator: nobody types that into an amount.
    QTest::newRow("German, point") << QChar(u',') << QChar(u'.') << "4.95"
                                   << "4,95";
    QTest::newRow("German, comma") << QChar(u',') << QChar(u'.') << "1,5"
                                   << "1,5";
    QTest::newRow("point locale, comma") << QChar(u'.') << QChar(u',') << "1,5"
                                         << "1.5";
    QTest::newRow("point locale, point") << QChar(u'.') << QChar(u',') << "1.5"
                                         << "1.5";
    QTest::newRow("comma locale grouping with blanks, point") << QChar(u',') << QChar(u' ') << "1.5"
                                                              << "1,5";
    QTest::newRow("a second separator") << QChar(u',') << QChar(u' ') << "2,7.,5"
                                        << "2,75";
}

void TestControls::pointAndCommaEnterDecimalSeparator()
{
    QFETCH(QChar, decimal);
    QFETCH(QChar, thousands);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TLocaleSettings settings = TLocaleSettings::German();
    settings.DecimalSeparator = decimal;
    settings.ThousandSeparator = thousands;
    TScopedLocaleSettings locale(settings);
    Form f;
    f.Enter();
    typeText(f.edit, typed);
    QCOMPARE(f.edit->text(), shown);
    QCOMPARE(f.edit->Value(), QString(shown).replace(decimal, u'.').toDouble());
}

void TestControls::refusesWhatIsNoNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("letters") << QStringLiteral("1a2b") << QStringLiteral("12");
    QTest::newRow("blank") << QStringLiteral("1 2") << QStringLiteral("12");
    QTest::newRow("minus inside") << QStringLiteral("12-") << QStringLiteral("12");
    QTest::newRow("leading minus") << QStringLiteral("-12") << QStringLiteral("12");
    QTest::newRow("euro and umlaut") << QStringLiteral("4€ä5") << QStringLiteral("45");
    QTest::newRow("plus and e") << QStringLiteral("+1e5") << QStringLiteral("15");
    QTest::newRow("arabic digit") << QStringLiteral("1\u0662") << QStringLiteral("1");
}

void TestControls::refusesWhatIsNoNumber()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.Enter();
    typeText(f.edit, typed);
    QCOMPARE(f.edit->text(), expected);
}

void TestControls::maxValueHoldsRangeAndForbidsMinus()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetDisplayFormat(QStringLiteral(",0.00"));
    f.edit->SetMaxValue(100);
    f.Enter();
    typeText(f.edit, QStringLiteral("-150"));
    QCOMPARE(f.edit->text(), QStringLiteral("150"));
    f.Leave();
    QCOMPARE(f.edit->Value(), 100.0);
    QCOMPARE(f.edit->text(), QStringLiteral("100,00"));

    // A value given by the program beyond the range stays when the field is
    // only passed through: it is what the file holds, not what was typed.
    f.edit->SetValue(-5);
    f.Enter();
    f.Leave();
    QCOMPARE(f.edit->Value(), -5.0);

    // Within the range nothing changes.
    f.Enter();
    typeText(f.edit, QStringLiteral("99,99"));
    f.Leave();
    QCOMPARE(f.edit->Value(), 99.99);
}

void TestControls::zeroShowsEmpty()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetDisplayFormat(QStringLiteral(",0.00"));
    QCOMPARE(f.edit->text(), QString());
    QCOMPARE(f.edit->Value(), 0.0);

    f.edit->SetValue(3);
    QCOMPARE(f.edit->text(), QStringLiteral("3,00"));
    f.edit->SetValue(0);
    QCOMPARE(f.edit->text(), QString());

    f.Enter();
    QCOMPARE(f.edit->text(), QString());
    typeText(f.edit, QStringLiteral("0,00"));
    QCOMPARE(f.edit->Value(), 0.0);
    f.Leave();
    QCOMPARE(f.edit->text(), QString());
    QCOMPARE(f.edit->Value(), 0.0);

    // What is no complete number yet counts as 0.
    for (const QString &partial :
        {QStringLiteral("-"), QStringLiteral(","), QStringLiteral("-,")}) {
        f.Enter();
        typeText(f.edit, partial);
        QCOMPARE(f.edit->Value(), 0.0);
        f.Leave();
        QCOMPARE(f.edit->text(), QString());
    }
}

void TestControls::displayAndEditForms_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("places");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("display"); // German style
    QTest::addColumn<QString>("editing");
    for (bool german : {true, false}) {
        auto row = [german](const char *name) {
            return &(QTest::newRow(qPrintable(QString::fromLatin1(name)
                         + (german ? QStringLiteral(" de") : QStringLiteral(" pt"))))
                << german);
        };
        *row("grouped money") << QStringLiteral(",0.00") << 2 << 1234.5
                              << QStringLiteral("1.234,50") << QStringLiteral("1234,5");
        *row("fee") << QStringLiteral(",0.0000") << 4 << 0.039 << QStringLiteral("0,0390")
                    << QStringLiteral("0,039");
        *row("millions negative") << QStringLiteral(",0.00") << 2 << -1234567.891
                                  << QStringLiteral("-1.234.567,89")
                                  << QStringLiteral("-1234567,89");
        *row("no format") << QString() << 2 << 1234.5 << QStringLiteral("1234,5")
                          << QStringLiteral("1234,5");
        *row("hundreds") << QStringLiteral(",0.00") << 2 << 999.0 << QStringLiteral("999,00")
                         << QStringLiteral("999");
        *row("tiny negative") << QStringLiteral(",0.00") << 2 << -0.001 << QStringLiteral("0,00")
                              << QStringLiteral("0");
    }
}

void TestControls::displayAndEditForms()
{
    QFETCH(bool, german);
    QFETCH(QString, format);
    QFETCH(int, places);
    QFETCH(double, value);
    QFETCH(QString, display);
    QFETCH(QString, editing);
    TScopedLocaleSettings locale(localeOf(german));
    Form f;
    f.edit->SetDisplayFormat(format);
    f.edit->SetDecimalPlaces(places);
    f.edit->SetValue(value);
    QCOMPARE(f.edit->text(), localised(german, display));
    f.Enter();
    QCOMPARE(f.edit->text(), localised(german, editing));
    QCOMPARE(f.edit->selectedText(), f.edit->text());
    f.Leave();
    QCOMPARE(f.edit->text(), localised(german, display));
}

void TestControls::valueWhileEditing()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetValue(1);
    f.Enter();
    typeText(f.edit, QStringLiteral("7,25"));
    QCOMPARE(f.edit->Value(), 7.25);

    // A dialog closed with Enter reads the field without leaving it: the
    // value is already the one leaving would give.
    f.edit->SetMaxValue(5);
    QCOMPARE(f.edit->Value(), 5.0);
    QCOMPARE(f.edit->text(), QStringLiteral("7,25"));

    // Setting the value while editing shows the edit form.
    f.edit->SetValue(2.5);
    QCOMPARE(f.edit->text(), QStringLiteral("2,5"));
    QCOMPARE(f.edit->Value(), 2.5);
}

void TestControls::untouchedFieldKeepsExactValue()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetDisplayFormat(QStringLiteral(",0.00"));
    f.edit->SetValue(1.23456);
    f.Enter();
    QCOMPARE(f.edit->text(), QStringLiteral("1,23"));
    QCOMPARE(f.edit->Value(), 1.23456);
    f.Leave();
    QCOMPARE(f.edit->Value(), 1.23456);
    QCOMPARE(f.edit->text(), QStringLiteral("1,23"));

    // Once edited the text counts.
    f.Enter();
    QTest::keyClick(f.edit, Qt::Key_End);
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    f.Leave();
    QCOMPARE(f.edit->Value(), 1.2);
}

void TestControls::escapeRestoresThenClosesDialog()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    QDialog dialog;
    auto *layout = new QHBoxLayout(&dialog);
    auto *edit = new TCurrencyEdit(&dialog);
    layout->addWidget(edit);
    edit->SetDisplayFormat(QStringLiteral(",0.00"));
    edit->SetValue(12.5);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), edit); // first field of the dialog

    typeText(edit, QStringLiteral("99"));
    QCOMPARE(edit->text(), QStringLiteral("99"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QStringLiteral("12,5"));
    QCOMPARE(edit->Value(), 12.5);
    QVERIFY(dialog.isVisible()); // swallowed

    // The value last set counts as the one to restore.
    typeText(edit, QStringLiteral("3"));
    edit->SetValue(4);
    typeText(edit, QStringLiteral("1"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QStringLiteral("4"));
    QVERIFY(dialog.isVisible());

    // Nothing left to restore: Esc reaches the dialog.
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

// A dialog shown again starts with the display form, and the value typed
// before Enter closed it counts.
void TestControls::dialogClosedWhileEditing()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    QDialog dialog;
    auto *layout = new QHBoxLayout(&dialog);
    auto *edit = new TCurrencyEdit(&dialog);
    layout->addWidget(edit);
    edit->SetDisplayFormat(QStringLiteral(",0.00"));
    edit->SetMaxValue(10);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    for (int round = 0; round < 2; ++round) {
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), edit);
        typeText(edit, QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(edit->Value(), 10.0);
        edit->SetValue(3);
        QCOMPARE(edit->text(), QStringLiteral("3,00"));
    }
}

void TestControls::keyPressHandlerRunsBeforeRules()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    QString seen;
    connect(
        f.edit, &TCurrencyEdit::OnKeyPress, f.edit,
        [&seen](QChar &key) {
            seen += key;
            if (key == u'.')
                key = u'5'; // the handler's own meaning of "."
            else if (key == u'x')
                key = u'7'; // would be refused, the rules see the 7
            else if (key == u'3')
                key = QChar(); // swallowed
        },
        Qt::DirectConnection);
    f.Enter();
    typeText(f.edit, QStringLiteral("1.2x34"));
    QCOMPARE(seen, QStringLiteral("1.2x34"));
    QCOMPARE(f.edit->text(), QStringLiteral("15274"));

    // Control keys pass through the handler as well.
    seen.clear();
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    QCOMPARE(seen, QStringLiteral("\b"));
    QCOMPARE(f.edit->text(), QStringLiteral("1527"));
}

void TestControls::changeAndExitOrder()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetDisplayFormat(QStringLiteral(",0.00"));
    QStringList events;
    connect(f.edit, &TCurrencyEdit::OnChange, f.edit,
        [&] { events << QStringLiteral("change:") + f.edit->text(); });
    connect(f.edit, &TCurrencyEdit::OnExit, f.edit,
        [&] { events << QStringLiteral("exit:%1:%2").arg(f.edit->Value()).arg(f.edit->text()); });

    f.edit->SetValue(3);
    f.edit->SetValue(3); // same text: no change
    QCOMPARE(events, QStringList {QStringLiteral("change:3,00")});

    // Entering and leaving reformat the same number: no change.
    events.clear();
    f.Enter();
    f.Leave();
    QCOMPARE(events, QStringList {QStringLiteral("exit:3:3,00")});

    events.clear();
    f.Enter();
    typeText(f.edit, QStringLiteral("12"));
    f.Leave();
    QCOMPARE(events,
        (QStringList {QStringLiteral("change:1"), QStringLiteral("change:12"),
            QStringLiteral("exit:12:12,00")}));

    // A typed value held to the range: the change comes before the exit.
    events.clear();
    f.edit->SetMaxValue(10);
    f.Enter();
    typeText(f.edit, QStringLiteral("12"));
    f.Leave();
    QCOMPARE(events,
        (QStringList {QStringLiteral("change:1"), QStringLiteral("change:12"),
            QStringLiteral("change:10,00"), QStringLiteral("exit:10:10,00")}));

    // Leaving by mouse click counts the same as Tab.
    events.clear();
    f.Enter();
    typeText(f.edit, QStringLiteral("5"));
    QTest::mouseClick(f.after, Qt::LeftButton);
    QCOMPARE(events, (QStringList {QStringLiteral("change:5"), QStringLiteral("exit:5:5,00")}));
}

void TestControls::pasteIsChecked()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetMaxValue(1000000);
    f.Enter();
    QClipboard *clipboard = QGuiApplication::clipboard();

    clipboard->setText(QStringLiteral("abc"));
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QString());

    clipboard->setText(QStringLiteral("-3"));
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QString());

    // An application's edit menu calls the paste slot by name.
    clipboard->setText(QStringLiteral("7a"));
    QVERIFY(QMetaObject::invokeMethod(f.edit, "paste"));
    QCOMPARE(f.edit->text(), QString());

    // Too many decimals; "1.234" is no thousand, as it would not be typed.
    for (const char *pasted : {"1,23456", "1.23456"}) {
        clipboard->setText(QString::fromLatin1(pasted));
        QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.edit->text(), QString());
    }

    // A copied display text loses its thousands separators.
    clipboard->setText(QStringLiteral(" 1.234,50 "));
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("1234,50"));

    // A point number is taken as typed, the point as the decimal separator.
    f.edit->selectAll();
    clipboard->setText(QStringLiteral("0.5"));
    QTest::keyClick(f.edit, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("0,5"));
    f.Leave();
    QCOMPARE(f.edit->Value(), 0.5);
}

void TestControls::contextMenuKeepsEditingAndChecksPaste()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetDisplayFormat(QStringLiteral(",0.00"));
    f.edit->SetValue(1234.5);
    f.Enter();
    QCOMPARE(f.edit->text(), QStringLiteral("1234,5"));
    int exits = 0;
    connect(f.edit, &TCurrencyEdit::OnExit, f.edit, [&exits] { ++exits; });

    QGuiApplication::clipboard()->setText(QStringLiteral("12x"));
    QContextMenuEvent event(
        QContextMenuEvent::Mouse, QPoint(5, 5), f.edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(f.edit, &event);
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    // The menu took the focus: the field still edits.
    QCOMPARE(exits, 0);
    QCOMPARE(f.edit->text(), QStringLiteral("1234,5"));

    QAction *paste = nullptr;
    for (QAction *a : menu->actions())
        if (a->text().startsWith(QStringLiteral("&Paste")))
            paste = a;
    QVERIFY(paste);
    f.edit->selectAll();
    paste->trigger();
    menu->close();
    QCOMPARE(f.edit->text(), QStringLiteral("1234,5"));
    QCOMPARE(exits, 0);
}

void TestControls::readOnlyFieldIgnoresTyping()
{
    TScopedLocaleSettings locale(TLocaleSettings::German());
    Form f;
    f.edit->SetValue(8);
    f.edit->setReadOnly(true);
    f.Enter();
    typeText(f.edit, QStringLiteral("12"));
    QGuiApplication::clipboard()->setText(QStringLiteral("5"));
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    QCOMPARE(f.edit->text(), QStringLiteral("8"));
    f.Leave();
    QCOMPARE(f.edit->Value(), 8.0);
}

// ---- speed button -------------------------------------------------------------

void TestControls::speedButtonTakesNoFocus()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *edit = new QLineEdit(&window);
    auto *button = new TMySpeedButton(&window);
    button->SetCaption(QStringLiteral("Neu"));
    button->SetGlyph(TGlyphs::Add());
    layout->addWidget(edit);
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();

    int clicks = 0;
    connect(button, &QAbstractButton::clicked, button, [&clicks] { ++clicks; });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != button);
    QVERIFY(button->autoRaise());
    // A plain button never stays down.
    QVERIFY(!button->Down());
    button->SetDown(true);
    QVERIFY(!button->Down());
}

void TestControls::speedButtonGroups()
{
    QWidget window, otherParent(&window);
    auto *layout = new QHBoxLayout(&window);
    TMySpeedButton *a = new TMySpeedButton(&window), *b = new TMySpeedButton(&window),
                   *c = new TMySpeedButton(&window), *otherGroup = new TMySpeedButton(&window),
                   *elsewhere = new TMySpeedButton(&otherParent);
    for (TMySpeedButton *button : {a, b, c, otherGroup}) {
        button->SetCaption(QStringLiteral("x"));
        layout->addWidget(button);
    }
    layout->addWidget(&otherParent);
    for (TMySpeedButton *button : {a, b, c, elsewhere})
        button->SetGroupIndex(1);
    otherGroup->SetGroupIndex(2);
    otherGroup->SetDown(true);
    elsewhere->SetDown(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto downs = [&] {
        return QList<bool> {a->Down(), b->Down(), c->Down(), otherGroup->Down(), elsewhere->Down()};
    };
    QTest::mouseClick(a, Qt::LeftButton);
    QCOMPARE(downs(), (QList<bool> {true, false, false, true, true}));
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(downs(), (QList<bool> {false, true, false, true, true}));

    // Without AllowAllUp the down button stays down.
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(b->Down());
    b->SetDown(false);
    QVERIFY(b->Down());
    c->SetDown(true);
    QCOMPARE(downs(), (QList<bool> {false, false, true, true, true}));

    // AllowAllUp set on one member holds for the group.
    a->SetAllowAllUp(true);
    QVERIFY(c->AllowAllUp());
    QVERIFY(!otherGroup->AllowAllUp());
    QTest::mouseClick(c, Qt::LeftButton);
    QCOMPARE(downs(), (QList<bool> {false, false, false, true, true}));
    QTest::mouseClick(c, Qt::LeftButton);
    QVERIFY(c->Down());

    // Leaving the group: back to a plain button.
    c->SetGroupIndex(0);
    QVERIFY(!c->Down());
    QTest::mouseClick(c, Qt::LeftButton);
    QVERIFY(!c->Down());
    QTest::mouseClick(a, Qt::LeftButton);
    QCOMPARE(downs(), (QList<bool> {true, false, false, true, true}));
}

void TestControls::speedButtonHintToolTip()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *button = new TMySpeedButton(&window);
    button->SetGlyph(TGlyphs::Sort());
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Asks the button for its tool tip as the application does after a hover.
    auto requestTip = [&] {
        const QPoint at = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, button->mapToGlobal(at));
        QApplication::sendEvent(button, &help);
    };
    auto visibleTip = []() -> QLabel * {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                return qobject_cast<QLabel *>(w);
        return nullptr;
    };

    const QString hint = QStringLiteral("Einträge sortieren\r\nnach Beginn <Zeit>");
    button->SetHint(hint);
    QCOMPARE(button->Hint(), hint);
    requestTip();
    QLabel *tip = visibleTip();
    QVERIFY(tip);
    // Two lines, the second one shown literally with its angle brackets.
    QTextDocument shown;
    shown.setHtml(tip->text());
    QCOMPARE(shown.toPlainText(), QStringLiteral("Einträge sortieren\nnach Beginn <Zeit>"));
    const int line = tip->fontMetrics().lineSpacing();
    QVERIFY2(tip->sizeHint().height() >= 2 * line && tip->sizeHint().height() < 3 * line,
        qPrintable(QString::number(tip->sizeHint().height())));
    // A long hint of one line is not wrapped into a narrow column.
    QToolTip::hideText();
    QTRY_VERIFY(!visibleTip());
    button->SetHint(QStringLiteral("Umwandlung Angabe in Cent in Euro-Beträge"));
    requestTip();
    tip = visibleTip();
    QVERIFY(tip);
    QVERIFY2(
        tip->sizeHint().height() < 2 * line, qPrintable(QString::number(tip->sizeHint().height())));

    button->SetHint(QString());
    QToolTip::hideText();
    QTRY_VERIFY(!visibleTip());
    requestTip();
    QVERIFY(!visibleTip());
}

void TestControls::speedButtonHelpContext()
{
    TMySpeedButton button;
    QCOMPARE(button.property("HelpContext").toInt(), 0);
    QVERIFY(button.setProperty("HelpContext", 1234));
    QCOMPARE(button.HelpContext(), 1234);
}

// ---- icons ----------------------------------------------------------------------

void TestControls::iconsLoad_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QIcon>("glyph");
    TGlyphs::Load();
    QTest::newRow("add") << QStringLiteral("add") << TGlyphs::Add();
    QTest::newRow("edit") << QStringLiteral("edit") << TGlyphs::Edit();
    QTest::newRow("delete") << QStringLiteral("delete") << TGlyphs::Delete();
    QTest::newRow("sort") << QStringLiteral("sort") << TGlyphs::Sort();
}

void TestControls::iconsLoad()
{
    QFETCH(QString, name);
    QFETCH(QIcon, glyph);
    auto opaquePixels = [](const QPixmap &pixmap) {
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 128)
                    ++n;
        return n;
    };
    const QIcon byName(QStringLiteral(":/icons/%1.svg").arg(name));
    for (const QIcon &icon : {byName, glyph}) {
        const QPixmap pixmap = icon.pixmap(32, 32);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QVERIFY(opaquePixels(pixmap) > 32);
    }
    // At 200 % the glyph is drawn at twice the pixels, not blown up.
    const QPixmap sharp = byName.pixmap(QSize(16, 16), 2.0);
    QCOMPARE(sharp.size(), QSize(32, 32));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QVERIFY(opaquePixels(sharp) > 32);
}

QTEST_MAIN(TestControls)
#include "tst_gui_controls.moc"
