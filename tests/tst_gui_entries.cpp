#include "TestSupport.h"

#include "app/MainWindow.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/HelpWindow.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "controls/StringGrid.h"
#include "dialogs/CentEuroDlg.h"
#include "dialogs/NewEditProvEntryDlg.h"
#include "editor/ProvidersDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QString User = QStringLiteral("UserProv.ini");

QByteArray sampleFile()
{
    return CrLf({"[PROVIDER]", "P0=Tele_Plus,TELE0001", "[TELE0001WERKTAG]",
        "TELE00010=08:00-17:59/60/0.039", "TELE00011=18:00-23:59/60/0.02", "[TELE0001SASO]",
        "TELE00010=00:00-23:59/30/0.0125"});
}

// Sends text to whatever has the focus, one key at a time, and lets queued
// focus moves happen: "\t" is Tab, "\r" Enter, "\x1b" Esc.
void typeKeys(const QString &text)
{
    for (QChar c : text) {
        QWidget *w = QApplication::focusWidget();
        QVERIFY(w);
        const Qt::Key key = c == u'\t' ? Qt::Key_Tab : c == u'\r' ? Qt::Key_Return : Qt::Key_Escape;
        if (c == u'\t' || c == u'\r' || c == u'\x1b')
            QTest::keyClick(w, key);
        else
            QTest::keyClick(w, char(c.unicode()));
        QCoreApplication::processEvents();
    }
}

// Acts on the next modal dialog of type T once it shows and is active; until
// then polls without blocking. Ran() tells whether the action ran and closed
// the dialog; a dialog it leaves open is cancelled, so no test can hang.
template<typename T> class WhenModal
{
public:
    explicit WhenModal(std::function<void(T *)> action)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, action] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || QApplication::activeWindow() != dialog)
                return;
            m_timer.stop();
            action(dialog);
            m_ran = !dialog->isVisible();
            if (!m_ran)
                dialog->reject();
        });
        m_timer.start();
    }
    bool Ran() const { return m_ran; }

private:
    QTimer m_timer;
    bool m_ran = false;
};

// The entry dialog shown as a plain window, the focus in its first field.
struct EntryDialog
{
    MsgRecorder msgs;
    TNewEditProvEntryDlg dlg {nullptr};

    explicit EntryDialog(const QString &from = QStringLiteral("  :  "))
    {
        dlg.EntryTimeFrom->SetText(from);
        dlg.EntryTimeTo->SetText(TEntryChecks::BlankTimeText());
        dlg.Takt->SetValue(60);
        dlg.show();
        dlg.activateWindow();
        if (!QTest::qWaitForWindowActive(&dlg))
            qFatal("dialog not active");
    }
};

// The editor on sampleFile(), shown.
struct Editor
{
    TempProgramDir dir;
    MsgRecorder msgs;
    TMain main;
    std::unique_ptr<TProvidersDlg> dlg;

    explicit Editor(const QByteArray &file = sampleFile())
    {
        if (!file.isEmpty())
            dir.Write(User, file);
        dlg = std::make_unique<TProvidersDlg>(&main, main.TelIniFile, User);
        dlg->show();
        dlg->activateWindow();
        if (!QTest::qWaitForWindowActive(dlg.get()))
            qFatal("editor not active");
    }
    TStringGrid *Grid(bool weekend) const
    {
        return weekend ? dlg->ProvStrGrid2 : dlg->ProvStrGrid1;
    }
    TTariffEntryList &Entries(bool weekend)
    {
        return dlg->Data.Entries(0, weekend ? TDayClass::Weekend : TDayClass::Weekday);
    }
};

// A double click as a mouse gives it: press, release, double click, release.
void doubleClickCell(TStringGrid *grid, int row, int col)
{
    QWidget *viewport = grid->viewport();
    const QPoint pt = grid->visualRect(grid->model()->index(row - 1, col)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pt);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, pt, viewport->mapToGlobal(pt), Qt::LeftButton,
        Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &dbl);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pt);
}

// The cells of a grid row, joined by "|".
QString rowText(const TStringGrid *grid, int r)
{
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells.append(grid->Cells(c, r));
    return cells.join(u'|');
}

QString timeError(const char *field)
{
    return QStringLiteral("Ungültige Uhrzeit im Feld \"%1\". Uhrzeit in der Form HH:MM angeben.")
        .arg(field);
}

} // namespace

class TestEntries : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init()
    {
        TContextHelp::SetShowHandler([this](int n) { m_help.append(n); });
    }
    void cleanup() { TContextHelp::SetShowHandler({}); }

    void tabOrderAndHelp();
    void timeCheckOnLeaving_data();
    void timeCheckOnLeaving();
    void applyRunsChecksInOrder_data();
    void applyRunsChecksInOrder();
    void intervalKeyFilter_data();
    void intervalKeyFilter();
    void centEuro_data();
    void centEuro();

    void addRefusedBeforeAnyDialog();
    void addThroughKeyboard();
    void editMovesEntryToItsSortedRow();
    void unchangedEditKeepsEntry_data();
    void unchangedEditKeepsEntry();
    void savedFileHoldsTheEdits();

private:
    QList<int> m_help;
};

void TestEntries::initTestCase()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QStringLiteral("This plugin does not support")))
                previous(type, context, message);
        });
    TContextHelp::Install();
}

// Tab order; F1 opens each control's own topic; no default button.
void TestEntries::tabOrderAndHelp()
{
    EntryDialog d;
    TNewEditProvEntryDlg &dlg = d.dlg;
    QCOMPARE(dlg.Takt->text(), QStringLiteral("60,0000"));
    QVERIFY(!dlg.ApplyBtn->isDefault() && !dlg.CancelBtn->isDefault());
    const QList<QPair<QWidget *, int>> order {{dlg.EntryTimeFrom, 510200},
        {dlg.EntryTimeTo, 510201}, {dlg.Takt, 510202}, {dlg.CurrencyEdit, 510203},
        {dlg.ApplyBtn, 6}, {dlg.CancelBtn, 2}};
    for (const auto &[widget, context] : order) {
        QCOMPARE(QApplication::focusWidget(), widget);
        QTest::keyClick(widget, Qt::Key_F1);
        QCOMPARE(m_help.constLast(), context);
        QVERIFY(THelpWindow::HasTopic(context));
        QTest::keyClick(widget, Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), dlg.EntryTimeFrom);
    QVERIFY(d.msgs.Messages().isEmpty());
    QVERIFY(dlg.Label2->geometry().right() < dlg.EntryTimeTo->x()); // units clear of the next field
    QVERIFY(dlg.Label4->geometry().right() < dlg.Takt->x());
}

void TestEntries::timeCheckOnLeaving_data()
{
    QTest::addColumn<bool>("end");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refused");
    QTest::newRow("blank and 7, then 05") << false << " 705"
                                          << "07:05" << false;
    QTest::newRow("start 00:00") << false << "0000"
                                 << "00:00" << false;
    QTest::newRow("start 24:00") << false << "2400"
                                 << "24:00" << true;
    QTest::newRow("start 12:60") << false << "1260"
                                 << "12:60" << true;
    QTest::newRow("end 18:00") << true << "1800"
                               << "17:59" << false;
    QTest::newRow("end 00:00") << true << "0000"
                               << "23:59" << false;
    QTest::newRow("end 24:00") << true << "2400"
                               << "23:59" << false;
    QTest::newRow("end 12:30") << true << "1230"
                               << "12:30" << false;
    QTest::newRow("end 24:30") << true << "2430"
                               << "24:30" << true;
    QTest::newRow("end 25:00") << true << "2500"
                               << "25:00" << true;
    QTest::newRow("end 99:00") << true << "9900"
                               << "99:00" << true;
}

void TestEntries::timeCheckOnLeaving()
{
    QFETCH(bool, end);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, refused);

    EntryDialog d;
    if (end)
        typeKeys(QStringLiteral("\t")); // a blank start is left without a word
    TMaskEdit *field = end ? d.dlg.EntryTimeTo : d.dlg.EntryTimeFrom;
    typeKeys(typed + u'\t');
    QCOMPARE(field->Text(), shown);
    QCOMPARE(end ? d.dlg.TimeToOk : d.dlg.TimeFromOk, !refused);
    QCOMPARE(
        d.msgs.Texts(), refused ? QStringList {timeError(end ? "Bis" : "Von")} : QStringList());
    QWidget *next = end ? static_cast<QWidget *>(d.dlg.Takt) : d.dlg.EntryTimeTo;
    QCOMPARE(QApplication::focusWidget(), refused ? field : next);
}

void TestEntries::applyRunsChecksInOrder_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("takt");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("focus"); // 0 start, 1 end, 2 interval, 3 Übernehmen
    const QString zero = QStringLiteral("Der Betrag im Feld \"Zeittakt\" muss größer 0 betragen!");
    // A blank field may be left, but Übernehmen names it and puts the focus into it.
    QTest::newRow("blank start") << "  :  "
                                 << "24:30" << 0.0 << QStringList {timeError("Von")} << 0;
    QTest::newRow("bad start") << "24:00"
                               << "24:30" << 0.0 << QStringList {timeError("Von")} << 0;
    QTest::newRow("bad end, interval unchecked")
        << "08:00"
        << "24:30" << 0.0 << QStringList {timeError("Bis")} << 1;
    QTest::newRow("blank end") << "08:00"
                               << "  :  " << 0.0 << QStringList {timeError("Bis")} << 1;
    QTest::newRow("interval 0") << "08:00"
                                << "18:00" << 0.0 << QStringList {zero} << 2;
    QTest::newRow("start after end") << "22:00"
                                     << "06:00" << 60.0 << QStringList() << -1;
}

void TestEntries::applyRunsChecksInOrder()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, takt);
    QFETCH(QStringList, messages);
    QFETCH(int, focus);

    EntryDialog d;
    TNewEditProvEntryDlg &dlg = d.dlg;
    dlg.ApplyBtn->setFocus();
    dlg.EntryTimeFrom->SetText(from);
    dlg.EntryTimeTo->SetText(to);
    dlg.Takt->SetValue(takt);
    QTest::keyClick(dlg.ApplyBtn, Qt::Key_Space);
    QCOMPARE(d.msgs.Texts(), messages);
    QCOMPARE(dlg.Applied, focus < 0);
    QCOMPARE(dlg.isVisible(), focus >= 0);
    const QWidget *fields[] = {dlg.EntryTimeFrom, dlg.EntryTimeTo, dlg.Takt, dlg.ApplyBtn};
    if (focus >= 0)
        QCOMPARE(QApplication::focusWidget(), fields[focus]);
    else // an end filled in, not typed, keeps its minute
        QCOMPARE(dlg.EntryTimeTo->Text(), to);
    QCOMPARE(dlg.EntryTimeFrom->Text(), from);
}

void TestEntries::intervalKeyFilter_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("typed"); // "^" selects all before the next key
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    const QString wrong = QStringLiteral("Nur Ziffern und , erlaubt.");
    const QString second = QStringLiteral("Nur Ziffern erlaubt. Die Angabe enthält bereits ein ,.");
    QTest::newRow("digits and point") << true << "1.5"
                                      << "1,5" << QStringList();
    QTest::newRow("letter") << true << "1a"
                            << "1" << QStringList {wrong};
    QTest::newRow("minus") << true << "-1"
                           << "1" << QStringList {wrong};
    QTest::newRow("second separator") << true << "1,5."
                                      << "1,5" << QStringList {second};
    QTest::newRow("second, selected") << true << "1,5^,"
                                      << "1,5" << QStringList {second};
    QTest::newRow("copy key") << true << "1\x03"
                              << "1" << QStringList {wrong};
    QTest::newRow("paste key") << true << "1\x16"
                               << "1" << QStringList {wrong};
    QTest::newRow("comma, point locale") << false << "1,5"
                                         << "1.5" << QStringList();
}

void TestEntries::intervalKeyFilter()
{
    QFETCH(bool, german);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);

    TScopedLocaleSettings locale(german ? TLocaleSettings::German() : DollarLocale());
    QApplication::clipboard()->setText(QStringLiteral("77"));
    EntryDialog d;
    TCurrencyEdit *takt = d.dlg.Takt;
    takt->setFocus();
    takt->selectAll();
    for (QChar c : typed) {
        if (c == u'^')
            takt->selectAll();
        else if (c == u'\x03' || c == u'\x16') // as the keyboard sends Ctrl+C, Ctrl+V
            QTest::sendKeyEvent(QTest::Click, takt, c == u'\x03' ? Qt::Key_C : Qt::Key_V,
                QString(c), Qt::ControlModifier);
        else
            QTest::keyClick(takt, char(c.unicode()));
    }
    QCOMPARE(takt->text(), text);
    QCOMPARE(d.msgs.Texts(), messages);
}

void TestEntries::centEuro_data()
{
    QTest::addColumn<int>("field"); // 0 start time, 2 interval, 3 fee
    QTest::addColumn<QString>("typed"); // ends with Enter (OK) or Esc
    QTest::addColumn<QString>("cents"); // the cent field just before that key
    QTest::addColumn<double>("euros");
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("fee");
    QTest::addColumn<bool>("altC"); // pressed with Alt+C instead of the mouse
    QTest::newRow("into the fee") << 3 << "3,9\r"
                                  << "3,9" << 0.039 << 60.0 << 0.039 << false;
    QTest::newRow("Alt+C, into the fee") << 3 << "3,9\r"
                                         << "3,9" << 0.039 << 60.0 << 0.039 << true;
    QTest::newRow("into the interval") << 2 << "250\r"
                                       << "250" << 2.5 << 2.5 << 0.0 << false;
    QTest::newRow("third cent decimal") << 3 << "1,234\r"
                                        << "1,23" << 0.0123 << 60.0 << 0.0123 << false;
    QTest::newRow("nothing typed changes nothing") << 2 << "\r"
                                                   << "" << 0.0 << 60.0 << 0.0 << false;
    QTest::newRow("a typed 0 is taken") << 2 << "0\r"
                                        << "0" << 0.0 << 0.0 << 0.0 << false;
    QTest::newRow("cancelled") << 3 << "1,5\x1b"
                               << "1,5" << 0.015 << 60.0 << 0.0 << false;
    QTest::newRow("time field") << 0 << "250\r"
                                << "250" << 2.5 << 60.0 << 0.0 << false;
}

void TestEntries::centEuro()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, cents);
    QFETCH(double, euros);
    QFETCH(double, interval);
    QFETCH(double, fee);
    QFETCH(bool, altC);

    EntryDialog d(QStringLiteral("08:00"));
    TNewEditProvEntryDlg &dlg = d.dlg;
    typeKeys(QString(field, u'\t'));
    QWidget *focused = QApplication::focusWidget();
    WhenModal<TCentEuroDlg> answer([&](TCentEuroDlg *calc) {
        QCOMPARE(calc->windowTitle(), QStringLiteral("Cent in Euro Umrechnung"));
        typeKeys(typed.chopped(1));
        QCOMPARE(calc->CentEdit->text(), cents);
        QCOMPARE(calc->EuroEdit->Value(), euros);
        typeKeys(typed.right(1));
    });
    if (altC) {
        QVERIFY(dlg.CentEuroBtn->text().contains(QStringLiteral("&C")));
        QTest::keyClick(focused, Qt::Key_C, Qt::AltModifier);
    } else {
        QTest::mouseClick(dlg.CentEuroBtn, Qt::LeftButton);
    }
    QTRY_VERIFY(answer.Ran());
    QCOMPARE(dlg.focusWidget(), focused);
    QCOMPARE(dlg.Takt->Value(), interval);
    QCOMPARE(dlg.CurrencyEdit->Value(), fee);
    QCOMPARE(dlg.EntryTimeFrom->Text(), QStringLiteral("08:00"));
}

// Neither a missing provider nor a full list ever opens the dialog.
void TestEntries::addRefusedBeforeAnyDialog()
{
    WhenModal<TNewEditProvEntryDlg> guard([](TNewEditProvEntryDlg *dlg) { dlg->reject(); });
    {
        Editor e {QByteArray()};
        QTest::keyClick(e.dlg->ProvStrGrid2, Qt::Key_Insert);
        doubleClickCell(e.dlg->ProvStrGrid1, 1, 0);
        QTest::keyClick(e.dlg->ProvStrGrid2, Qt::Key_Delete);
        const QString first = QStringLiteral("Fügen Sie zuerst einen Provider hinzu!");
        QCOMPARE(e.msgs.Texts(),
            (QStringList {first, first, "Sie können diesen Eintrag nicht löschen!"}));
        QCOMPARE(e.msgs.Messages()[2].Caption,
            "Löschen eines Eintrags (Unbekannt, Sa./So./Feiertag, Eintrag 1)");
    }
    {
        Editor e;
        while (e.Entries(false).size() < 20)
            e.Entries(false).append(MakeEntry(0, 59, 60, 0.01));
        QTest::keyClick(e.dlg->ProvStrGrid1, Qt::Key_Insert);
        QCOMPARE(e.msgs.Texts(),
            QStringList {"Es kann kein Providertarif hinzugefügt werden, damit würde das "
                         "Maximum von 20 Tarifen überschritten!"});
        QVERIFY(!e.dlg->Modified());
    }
    QTest::qWait(20);
    QVERIFY(!guard.Ran());
}

// Tab to a grid, Insert, both times, Tab, interval, Tab, fee, Tab to Übernehmen,
// Space. Enter in a field moves on in the same way, once its key is handled,
// and never closes the dialog; on Übernehmen it presses the button.
void TestEntries::addThroughKeyboard()
{
    for (bool weekend : {false, true}) {
        Editor e;
        QString title;
        WhenModal<TNewEditProvEntryDlg> answer([&](TNewEditProvEntryDlg *dlg) {
            title = dlg->windowTitle();
            QCOMPARE(dlg->EntryTimeFrom->Text(), QStringLiteral("  :  "));
            QCOMPARE(dlg->Takt->Value(), 60.0);
            typeKeys(weekend ? QStringLiteral(" 600\r0800\r30\r0,05\r\r")
                             : QStringLiteral(" 600\t0800\t30\t0,05\t "));
        });
        typeKeys(weekend ? QStringLiteral("\t")
                         : QStringLiteral("\t\t")); // list, weekend grid, weekday grid
        QTest::keyClick(e.Grid(weekend), Qt::Key_Insert);
        QVERIFY(answer.Ran());
        QCOMPARE(title,
            QStringLiteral("Neuen Eintrag (%1) hinzufügen")
                .arg(weekend ? "Sa/So/Feiertag" : "Werktag"));
        // Placed by its start: before 08:00 on weekdays, after 00:00 at weekends.
        const int row = weekend ? 2 : 1;
        QCOMPARE(
            rowText(e.Grid(weekend), row), "06:00:00 Uhr|07:59:59 Uhr|30,0000 Sekunde(n)|0,0500 €");
        QCOMPARE(e.Entries(weekend).at(row - 1), MakeEntry(21600, 28799, 30, 0.05));
        QVERIFY(e.dlg->Modified());
        QVERIFY(e.msgs.Messages().isEmpty());
    }
}

// Abbrechen changes nothing; a changed start moves the entry to its row.
void TestEntries::editMovesEntryToItsSortedRow()
{
    Editor e;
    TStringGrid *grid = e.dlg->ProvStrGrid1;
    const TTariffEntryList before = e.Entries(false);
    grid->SetRow(2);
    WhenModal<TNewEditProvEntryDlg> cancel([](TNewEditProvEntryDlg *dlg) {
        typeKeys(QStringLiteral("0100\t0200\t"));
        QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
    });
    QTest::mouseClick(e.dlg->EditEntry1Btn, Qt::LeftButton);
    QVERIFY(cancel.Ran());
    QCOMPARE(e.Entries(false), before);
    QVERIFY(!e.dlg->Modified());

    QString title;
    WhenModal<TNewEditProvEntryDlg> answer([&](TNewEditProvEntryDlg *dlg) {
        title = dlg->windowTitle();
        QCOMPARE(
            dlg->EntryTimeFrom->Text() + dlg->EntryTimeTo->Text(), QStringLiteral("18:0023:59"));
        typeKeys(QStringLiteral("0600\t0759\t"));
        QTest::mouseClick(dlg->ApplyBtn, Qt::LeftButton);
    });
    doubleClickCell(grid, 2, 2);
    QVERIFY(answer.Ran());
    QCOMPARE(title, QStringLiteral("Eintrag (Werktag) ändern"));
    QCOMPARE(rowText(grid, 1), "06:00:00 Uhr|07:59:59 Uhr|60,0000 Sekunde(n)|0,0200 €");
    QCOMPARE(grid->Cells(0, 2), QStringLiteral("08:00:00 Uhr"));
    QVERIFY(e.dlg->Modified());
}

void TestEntries::unchangedEditKeepsEntry_data()
{
    QTest::addColumn<int>("currencyFormat"); // -1: German
    QTest::addColumn<bool>("weekend");
    QTest::newRow("German, weekday") << -1 << false;
    QTest::newRow("German, weekend") << -1 << true;
    QTest::newRow("$1") << 0 << false;
    QTest::newRow("1$") << 1 << true;
    QTest::newRow("$ 1") << 2 << false;
    QTest::newRow("1 $") << 3 << false;
}

// Confirmed without a change, the entry comes back as it was, whatever the
// currency format, also an end at minute 00 (from a file): the end-of-range
// rule is for ends the user types.
void TestEntries::unchangedEditKeepsEntry()
{
    QFETCH(int, currencyFormat);
    QFETCH(bool, weekend);
    TLocaleSettings settings = currencyFormat < 0 ? TLocaleSettings::German() : DollarLocale();
    settings.CurrencyFormat = currencyFormat < 0 ? settings.CurrencyFormat : currencyFormat;
    TScopedLocaleSettings locale(settings);

    Editor e;
    for (int fileEnd : {64799, 64859}) {
        const TTariffEntry entry = MakeEntry(28800, fileEnd, 60, 0.039);
        e.Entries(weekend)[0] = entry;
        e.dlg->ShowSelectedProvider();
        WhenModal<TNewEditProvEntryDlg> answer(
            [](TNewEditProvEntryDlg *dlg) { QTest::mouseClick(dlg->ApplyBtn, Qt::LeftButton); });
        QTest::mouseClick(weekend ? e.dlg->EditEntry2Btn : e.dlg->EditEntry1Btn, Qt::LeftButton);
        QVERIFY(answer.Ran());
        QCOMPARE(e.Entries(weekend).constFirst(), entry);
    }
}

void TestEntries::savedFileHoldsTheEdits()
{
    Editor e;
    WhenModal<TNewEditProvEntryDlg> add(
        [](TNewEditProvEntryDlg *) { typeKeys(QStringLiteral("0000\t0800\t\t0,01\t ")); });
    QTest::mouseClick(e.dlg->AddEntry1Btn, Qt::LeftButton);
    QVERIFY(add.Ran());
    WhenModal<TNewEditProvEntryDlg> edit(
        [](TNewEditProvEntryDlg *) { typeKeys(QStringLiteral("\t\t15\t\t ")); });
    QTest::mouseClick(e.dlg->EditEntry2Btn, Qt::LeftButton);
    QVERIFY(edit.Ran());
    TStringGrid *grid = e.dlg->ProvStrGrid1;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier); // 18:00, row 3
    for (int answer : {idNo, idYes, idYes}) // delete: No, delete: Yes, save: Yes
        e.msgs.Answer(answer);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(e.Entries(false).size(), 3);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(e.Entries(false).size(), 2);
    const TMsgBoxRequest question = e.msgs.Messages().constFirst();
    QCOMPARE(question.Text, QStringLiteral("Möchten Sie diesen Eintrag wirklich löschen?"));
    QCOMPARE(
        question.Caption, QStringLiteral("Löschen eines Eintrags (Tele Plus, Werktag, Eintrag 3)"));
    QCOMPARE(question.Kind, mkConfirmation);
    QTest::mouseClick(e.dlg->SaveBtn, Qt::LeftButton);

    QByteArrayList lines;
    const QRegularExpression entryLine(QStringLiteral("^(\\[TELE|TELE0001\\d+=)"));
    for (const QByteArray &l : e.dir.Read(User).split('\n'))
        if (entryLine.match(QString::fromLatin1(l)).hasMatch())
            lines.append(l.trimmed());
    QCOMPARE(lines.join(' '),
        "[TELE0001WERKTAG] TELE00010=00:00-07:59/60.0000/0.0100 "
        "TELE00011=08:00-17:59/60.0000/0.0390 [TELE0001SASO] TELE00010=00:00-23:59/15.0000/0.0125");
}

QTEST_MAIN(TestEntries)
#include "tst_gui_entries.moc"
