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
#include <QComboBox>
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
        if (c == u'\t')
            QTest::keyClick(w, Qt::Key_Tab);
        else if (c == u'\r')
            QTest::keyClick(w, Qt::Key_Return);
        else if (c == u'\x1b')
            QTest::keyClick(w, Qt::Key_Escape);
        else
            QTest::keyClick(w, char(c.unicode()));
        QCoreApplication::processEvents();
    }
}

// Acts on the next modal dialog of type T as soon as it shows; until then
// polls without blocking. Ran() tells whether such a dialog appeared.
template<typename T> class WhenModal
{
public:
    explicit WhenModal(std::function<void(T *)> action)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, action] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            m_timer.stop();
            m_ran = true;
            action(dialog);
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

    EntryDialog(const QString &from = QString(), const QString &to = QString(), double takt = 60)
    {
        dlg.EntryTimeFrom->SetText(from.isEmpty() ? TEntryChecks::BlankTimeText() : from);
        dlg.EntryTimeTo->SetText(to.isEmpty() ? TEntryChecks::BlankTimeText() : to);
        dlg.Takt->SetValue(takt);
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
        dlg = std::make_unique<TProvidersDlg>(&main, User);
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

QStringList rowOf(const TStringGrid *grid, int r)
{
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells.append(grid->Cells(c, r));
    return cells;
}

} // namespace

class TestEntries : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutTabOrderAndHelp();
    void timeCheckOnLeaving_data();
    void timeCheckOnLeaving();
    void applyRunsChecksInOrder_data();
    void applyRunsChecksInOrder();
    void intervalKeyFilter_data();
    void intervalKeyFilter();
    void enterMovesOnAndNeverCloses();
    void centEuroFields_data();
    void centEuroFields();
    void centEuroIntoFocusedField_data();
    void centEuroIntoFocusedField();

    void addRefusedBeforeAnyDialog();
    void addThroughKeyboard();
    void editMovesEntryToItsSortedRow();
    void cancelledEditChangesNothing();
    void unchangedEditKeepsEntry_data();
    void unchangedEditKeepsEntry();
    void deleteAsksFirst();
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
}

void TestEntries::init()
{
    if (!TContextHelp::IsInstalled())
        TContextHelp::Install();
    m_help.clear();
    TContextHelp::SetShowHandler([this](int n) { m_help.append(n); });
}

void TestEntries::cleanup()
{
    TContextHelp::SetShowHandler({});
}

void TestEntries::layoutTabOrderAndHelp()
{
    EntryDialog d;
    TNewEditProvEntryDlg &dlg = d.dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Neuen Eintrag (%s) hinzufügen"));
    QCOMPARE(dlg.size(), QSize(435, 186));
    QCOMPARE(dlg.cLabel->text(), QStringLiteral("€"));
    QCOMPARE(dlg.Takt->text(), QStringLiteral("60,0000"));
    QCOMPARE(dlg.CentEuroBtn->focusPolicy(), Qt::NoFocus);
    QCOMPARE(dlg.CentEuroBtn->Hint(), QStringLiteral("Umwandlung Angabe in Cent in Euro-Beträge"));
    for (QPushButton *b : {dlg.ApplyBtn, dlg.CancelBtn})
        QVERIFY(!b->isDefault() && !b->autoDefault());
    // Tab order, and F1 in each control.
    QCOMPARE(QApplication::focusWidget(), dlg.EntryTimeFrom);
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
    // Every label and unit stays inside the frame and clear of the next field.
    for (QLabel *l : {dlg.Label2, dlg.Label4, dlg.Label6, dlg.cLabel})
        QVERIFY(dlg.Bevel1->geometry().contains(l->geometry()));
    QVERIFY(dlg.Label2->geometry().right() < dlg.EntryTimeTo->x());
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
    TNewEditProvEntryDlg &dlg = d.dlg;
    if (end)
        typeKeys(QStringLiteral("\t")); // a blank start is left without a word
    TMaskEdit *field = end ? dlg.EntryTimeTo : dlg.EntryTimeFrom;
    QCOMPARE(QApplication::focusWidget(), field);
    typeKeys(typed + u'\t');
    QCOMPARE(field->Text(), shown);
    QCOMPARE(end ? dlg.TimeToOk : dlg.TimeFromOk, !refused);
    if (refused) {
        QCOMPARE(d.msgs.Texts(),
            QStringList {QStringLiteral("Ungültige Uhrzeit im Feld \"%1\". Uhrzeit in der "
                                        "Form HH:MM angeben.")
                             .arg(end ? "Bis" : "Von")});
        QCOMPARE(d.msgs.Messages().constFirst().Kind, mkError);
        QCOMPARE(QApplication::focusWidget(), field);
    } else {
        QVERIFY(d.msgs.Messages().isEmpty());
        QCOMPARE(
            QApplication::focusWidget(), end ? static_cast<QWidget *>(dlg.Takt) : dlg.EntryTimeTo);
    }
    QVERIFY(!dlg.TaktOk && !dlg.Applied);
}

void TestEntries::applyRunsChecksInOrder_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("takt");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("focus"); // 0 start, 1 end, 2 interval, 3 Übernehmen
    QTest::addColumn<bool>("applied");

    const QString bis
        = QStringLiteral("Ungültige Uhrzeit im Feld \"Bis\". Uhrzeit in der Form HH:MM angeben.");
    const QString von
        = QStringLiteral("Ungültige Uhrzeit im Feld \"Von\". Uhrzeit in der Form HH:MM angeben.");
    const QString zero = QStringLiteral("Der Betrag im Feld \"Zeittakt\" muss größer 0 betragen!");
    QTest::newRow("blank start") << ""
                                 << "24:30" << 0.0 << QStringList() << 3 << false;
    QTest::newRow("bad start") << "24:00"
                               << "24:30" << 0.0 << QStringList {von} << 0 << false;
    QTest::newRow("bad end, interval not checked")
        << "08:00"
        << "24:30" << 0.0 << QStringList {bis} << 1 << false;
    QTest::newRow("blank end") << "08:00"
                               << "" << 0.0 << QStringList() << 3 << false;
    QTest::newRow("interval 0") << "08:00"
                                << "18:00" << 0.0 << QStringList {zero} << 2 << false;
    QTest::newRow("start after end") << "22:00"
                                     << "06:00" << 60.0 << QStringList() << 3 << true;
}

void TestEntries::applyRunsChecksInOrder()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, takt);
    QFETCH(QStringList, messages);
    QFETCH(int, focus);
    QFETCH(bool, applied);

    EntryDialog d;
    TNewEditProvEntryDlg &dlg = d.dlg;
    dlg.ApplyBtn->setFocus();
    dlg.EntryTimeFrom->SetText(from.isEmpty() ? TEntryChecks::BlankTimeText() : from);
    dlg.EntryTimeTo->SetText(to.isEmpty() ? TEntryChecks::BlankTimeText() : to);
    dlg.Takt->SetValue(takt);
    QTest::keyClick(dlg.ApplyBtn, Qt::Key_Space);
    QCOMPARE(d.msgs.Texts(), messages);
    QCOMPARE(dlg.Applied, applied);
    QCOMPARE(dlg.isVisible(), !applied);
    if (!applied) {
        const QWidget *fields[] = {dlg.EntryTimeFrom, dlg.EntryTimeTo, dlg.Takt, dlg.ApplyBtn};
        QCOMPARE(QApplication::focusWidget(), fields[focus]);
        QCOMPARE(dlg.EntryTimeFrom->Text(), from.isEmpty() ? TEntryChecks::BlankTimeText() : from);
    } else {
        QCOMPARE(dlg.EntryTimeTo->Text(), QStringLiteral("05:59"));
    }
}

void TestEntries::intervalKeyFilter_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("selectAllLast"); // the last key replaces the whole text
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");

    const QString wrong = QStringLiteral("Nur Ziffern und , erlaubt.");
    const QString second = QStringLiteral("Nur Ziffern erlaubt. Die Angabe enthält bereits ein ,.");
    QTest::newRow("digits and point") << true << "1.5" << false << "1,5" << QStringList();
    QTest::newRow("letter") << true << "1a" << false << "1" << QStringList {wrong};
    QTest::newRow("minus") << true << "-1" << false << "1" << QStringList {wrong};
    QTest::newRow("second separator") << true << "1,5." << false << "1,5" << QStringList {second};
    QTest::newRow("second, selected") << true << "1,5," << true << "1,5" << QStringList {second};
    QTest::newRow("copy key") << true << "1\x03" << false << "1" << QStringList {wrong};
    QTest::newRow("paste key") << true << "1\x16" << false << "1" << QStringList {wrong};
    QTest::newRow("comma, point locale")
        << false << "1,5" << false << "15"
        << QStringList {QStringLiteral("Nur Ziffern und . erlaubt.")};
}

void TestEntries::intervalKeyFilter()
{
    QFETCH(bool, german);
    QFETCH(QString, typed);
    QFETCH(bool, selectAllLast);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);

    TScopedLocaleSettings locale(german ? TLocaleSettings::German() : DollarLocale());
    QApplication::clipboard()->setText(QStringLiteral("77"));
    EntryDialog d;
    d.dlg.Takt->setFocus();
    d.dlg.Takt->selectAll();
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (selectAllLast && i == typed.size() - 1)
            d.dlg.Takt->selectAll();
        if (c == u'\x03' || c == u'\x16')
            QTest::sendKeyEvent(QTest::Click, d.dlg.Takt, c == u'\x03' ? Qt::Key_C : Qt::Key_V,
                QString(c), Qt::ControlModifier);
        else
            QTest::keyClick(d.dlg.Takt, char(c.unicode()));
    }
    QCOMPARE(d.dlg.Takt->text(), text);
    QCOMPARE(d.msgs.Texts(), messages);
}

// Enter in a field goes on to the next control once the key is handled, and
// Enter never closes the dialog; on a button it presses that button.
void TestEntries::enterMovesOnAndNeverCloses()
{
    EntryDialog d;
    TNewEditProvEntryDlg &dlg = d.dlg;
    typeKeys(QStringLiteral("0800\r1800\r\r0,03\r"));
    QCOMPARE(QApplication::focusWidget(), dlg.ApplyBtn);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.EntryTimeTo->Text(), QStringLiteral("17:59"));
    QCOMPARE(dlg.CurrencyEdit->Value(), 0.03);
    // Semicolon, comma and slash are dropped in the time fields.
    dlg.EntryTimeFrom->setFocus();
    dlg.EntryTimeFrom->selectAll();
    typeKeys(QStringLiteral("1;,/2"));
    QCOMPARE(dlg.EntryTimeFrom->Text(), QStringLiteral("12:  "));
    typeKeys(QStringLiteral("\x1b")); // back to 08:00
    dlg.ApplyBtn->setFocus();
    typeKeys(QStringLiteral("\r"));
    QVERIFY(dlg.Applied);
    QVERIFY(!dlg.isVisible());
    QVERIFY(d.msgs.Messages().isEmpty());
}

void TestEntries::centEuroFields_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cents");
    QTest::addColumn<double>("euros");

    QTest::newRow("250") << "250"
                         << "250" << 2.5;
    QTest::newRow("1,5") << "1,5"
                         << "1,5" << 0.015;
    QTest::newRow("third decimal") << "1,234"
                                   << "1,23" << 0.0123;
    QTest::newRow("nothing") << ""
                             << "" << 0.0;
}

void TestEntries::centEuroFields()
{
    QFETCH(QString, typed);
    QFETCH(QString, cents);
    QFETCH(double, euros);

    TCentEuroDlg dlg(nullptr);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Cent in Euro Umrechnung"));
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QCOMPARE(QApplication::focusWidget(), dlg.CentEdit);
    typeKeys(typed);
    QCOMPARE(dlg.CentEdit->text(), cents);
    QCOMPARE(dlg.EuroEdit->Value(), euros);
    typeKeys(QStringLiteral("\r"));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestEntries::centEuroIntoFocusedField_data()
{
    QTest::addColumn<int>("field"); // 0 start time, 2 interval, 3 fee
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("fee");

    QTest::newRow("into the fee") << 3 << "3,9\r" << 60.0 << 0.039;
    QTest::newRow("into the interval") << 2 << "250\r" << 2.5 << 0.0;
    QTest::newRow("nothing typed gives 0") << 2 << "\r" << 0.0 << 0.0;
    QTest::newRow("cancelled") << 3 << "250\x1b" << 60.0 << 0.0;
    QTest::newRow("time field") << 0 << "250\r" << 60.0 << 0.0;
}

void TestEntries::centEuroIntoFocusedField()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(double, interval);
    QFETCH(double, fee);

    EntryDialog d(QStringLiteral("08:00"));
    TNewEditProvEntryDlg &dlg = d.dlg;
    typeKeys(QString(field, u'\t'));
    QWidget *focused = QApplication::focusWidget();
    WhenModal<TCentEuroDlg> answer([&](TCentEuroDlg *) { typeKeys(typed); });
    QTest::mouseClick(dlg.CentEuroBtn, Qt::LeftButton);
    QVERIFY(answer.Ran());
    QCOMPARE(dlg.focusWidget(), focused);
    QCOMPARE(dlg.Takt->Value(), interval);
    QCOMPARE(dlg.CurrencyEdit->Value(), fee);
    QCOMPARE(dlg.EntryTimeFrom->Text(), QStringLiteral("08:00"));
    QVERIFY(dlg.isVisible());
}

// Neither a missing provider nor a full list ever opens the dialog.
void TestEntries::addRefusedBeforeAnyDialog()
{
    WhenModal<TNewEditProvEntryDlg> guard([](TNewEditProvEntryDlg *dlg) { dlg->reject(); });
    {
        Editor e {QByteArray()};
        e.dlg->ProvStrGrid2->setFocus();
        QTest::keyClick(e.dlg->ProvStrGrid2, Qt::Key_Insert);
        doubleClickCell(e.dlg->ProvStrGrid1, 1, 0);
        QTest::keyClick(e.dlg->ProvStrGrid2, Qt::Key_Delete);
        QCOMPARE(e.msgs.Texts(),
            (QStringList {QStringLiteral("Fügen Sie zuerst einen Provider hinzu!"),
                QStringLiteral("Fügen Sie zuerst einen Provider hinzu!"),
                QStringLiteral("Sie können diesen Eintrag nicht löschen!")}));
        QCOMPARE(e.msgs.Messages().constLast().Caption,
            QStringLiteral("Löschen eines Eintrags (Unbekannt, Sa./So./Feiertag, Eintrag 1)"));
    }
    {
        Editor e;
        while (e.Entries(false).size() < 20)
            e.Entries(false).append(MakeEntry(0, 59, 60, 0.01));
        e.dlg->ProvStrGrid1->setFocus();
        QTest::keyClick(e.dlg->ProvStrGrid1, Qt::Key_Insert);
        QCOMPARE(e.msgs.Texts(),
            QStringList {QStringLiteral("Es kann kein Providertarif hinzugefügt werden, "
                                        "damit würde das Maximum von 20 Tarifen überschritten!")});
        QCOMPARE(e.msgs.Messages().constFirst().Kind, mkError);
        QVERIFY(!e.dlg->Modified());
    }
    QTest::qWait(20);
    QVERIFY(!guard.Ran());
}

// Tab to a grid, Insert, both times, interval, fee, Tab to Übernehmen, Space.
void TestEntries::addThroughKeyboard()
{
    for (bool weekend : {false, true}) {
        Editor e;
        QString title;
        TTariffEntry seen;
        WhenModal<TNewEditProvEntryDlg> answer([&](TNewEditProvEntryDlg *dlg) {
            title = dlg->windowTitle();
            QCOMPARE(dlg->EntryTimeFrom->Text(), QStringLiteral("  :  "));
            QCOMPARE(dlg->Takt->Value(), 60.0);
            typeKeys(QStringLiteral(" 6") + QStringLiteral("00\t0800\t30\t0,05\t "));
        });
        // Tab order of the editor: provider list, weekend grid, weekday grid.
        typeKeys(weekend ? QStringLiteral("\t") : QStringLiteral("\t\t"));
        QCOMPARE(QApplication::focusWidget(), e.Grid(weekend));
        QTest::keyClick(e.Grid(weekend), Qt::Key_Insert);
        QVERIFY(answer.Ran());
        QCOMPARE(title,
            weekend ? QStringLiteral("Neuen Eintrag (Sa/So/Feiertag) hinzufügen")
                    : QStringLiteral("Neuen Eintrag (Werktag) hinzufügen"));
        QVERIFY(e.dlg->Modified());
        // Placed by its start: before 08:00 on weekdays, after 00:00 at weekends.
        const int row = weekend ? 2 : 1;
        QCOMPARE(rowOf(e.Grid(weekend), row),
            (QStringList {
                "06:00:00 Uhr", "07:59:59 Uhr", "30,0000 Sekunde(n)", QStringLiteral("0,0500 €")}));
        const TTariffEntry &stored = e.Entries(weekend).at(row - 1);
        QCOMPARE(stored.TimeFrom, 21600);
        QCOMPARE(stored.TimeTo, 28799);
        QCOMPARE(e.Entries(weekend).size(), weekend ? 2 : 3);
        QVERIFY(e.msgs.Messages().isEmpty());
    }
}

void TestEntries::editMovesEntryToItsSortedRow()
{
    Editor e;
    TStringGrid *grid = e.dlg->ProvStrGrid1;
    grid->SetRow(2); // 18:00 to 23:59
    QString title;
    WhenModal<TNewEditProvEntryDlg> answer([&](TNewEditProvEntryDlg *dlg) {
        title = dlg->windowTitle();
        QCOMPARE(dlg->EntryTimeFrom->Text(), QStringLiteral("18:00"));
        QCOMPARE(dlg->EntryTimeTo->Text(), QStringLiteral("23:59"));
        typeKeys(QStringLiteral("0600\t0759\t"));
        QTest::mouseClick(dlg->ApplyBtn, Qt::LeftButton);
    });
    doubleClickCell(grid, 2, 2);
    QVERIFY(answer.Ran());
    QCOMPARE(title, QStringLiteral("Eintrag (Werktag) ändern"));
    QCOMPARE(rowOf(grid, 1),
        (QStringList {
            "06:00:00 Uhr", "07:59:59 Uhr", "60,0000 Sekunde(n)", QStringLiteral("0,0200 €")}));
    QCOMPARE(grid->Cells(0, 2), QStringLiteral("08:00:00 Uhr"));
    QCOMPARE(e.Entries(false).size(), 2);
    QVERIFY(e.dlg->Modified());
}

void TestEntries::cancelledEditChangesNothing()
{
    Editor e;
    const TTariffEntryList before = e.Entries(true);
    WhenModal<TNewEditProvEntryDlg> answer([&](TNewEditProvEntryDlg *dlg) {
        typeKeys(QStringLiteral("0100\t0200\t"));
        QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
    });
    QTest::mouseClick(e.dlg->EditEntry2Btn, Qt::LeftButton);
    QVERIFY(answer.Ran());
    QCOMPARE(e.Entries(true), before);
    QVERIFY(!e.dlg->Modified());
}

void TestEntries::unchangedEditKeepsEntry_data()
{
    QTest::addColumn<int>("currencyFormat"); // -1: German
    QTest::addColumn<bool>("weekend");
    QTest::newRow("German, weekday") << -1 << false;
    QTest::newRow("German, weekend") << -1 << true;
    QTest::newRow("$1, weekday") << 0 << false;
    QTest::newRow("1$, weekend") << 1 << true;
    QTest::newRow("$ 1, weekday") << 2 << false;
    QTest::newRow("1 $, weekday") << 3 << false;
}

void TestEntries::unchangedEditKeepsEntry()
{
    QFETCH(int, currencyFormat);
    QFETCH(bool, weekend);
    TLocaleSettings settings = currencyFormat < 0 ? TLocaleSettings::German() : DollarLocale();
    if (currencyFormat >= 0)
        settings.CurrencyFormat = currencyFormat;
    TScopedLocaleSettings locale(settings);

    Editor e;
    e.Entries(weekend)[0] = MakeEntry(28800, 64799, 60, 0.039);
    e.dlg->ShowSelectedProvider();
    const TTariffEntryList before = e.Entries(weekend);
    WhenModal<TNewEditProvEntryDlg> answer(
        [](TNewEditProvEntryDlg *dlg) { QTest::mouseClick(dlg->ApplyBtn, Qt::LeftButton); });
    e.Grid(weekend)->SetRow(1);
    QTest::mouseClick(weekend ? e.dlg->EditEntry2Btn : e.dlg->EditEntry1Btn, Qt::LeftButton);
    QVERIFY(answer.Ran());
    QCOMPARE(e.Entries(weekend), before);
    QVERIFY(e.dlg->Modified());

    // An end read from a file as 18:00:59 comes back as 17:59:59.
    e.Entries(weekend)[0].TimeTo = 64859;
    e.dlg->ShowSelectedProvider();
    WhenModal<TNewEditProvEntryDlg> again(
        [](TNewEditProvEntryDlg *dlg) { QTest::mouseClick(dlg->ApplyBtn, Qt::LeftButton); });
    QTest::mouseClick(weekend ? e.dlg->EditEntry2Btn : e.dlg->EditEntry1Btn, Qt::LeftButton);
    QVERIFY(again.Ran());
    QCOMPARE(e.Entries(weekend), before);
}

void TestEntries::deleteAsksFirst()
{
    Editor e;
    TStringGrid *grid = e.dlg->ProvStrGrid1;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down); // row 2
    e.msgs.Answer(idNo);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(e.msgs.Messages().size(), 1);
    const TMsgBoxRequest question = e.msgs.Messages().constFirst();
    QCOMPARE(question.Text, QStringLiteral("Möchten Sie diesen Eintrag wirklich löschen?"));
    QCOMPARE(
        question.Caption, QStringLiteral("Löschen eines Eintrags (Tele Plus, Werktag, Eintrag 2)"));
    QCOMPARE(question.Kind, mkConfirmation);
    QCOMPARE(question.Buttons, TMsgBoxButtons({btYesNo}));
    QCOMPARE(e.Entries(false).size(), 2);
    QVERIFY(!e.dlg->Modified());

    e.msgs.Answer(idYes);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(e.Entries(false).size(), 1);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("08:00:00 Uhr"));
    QVERIFY(e.dlg->Modified());

    // The only weekend entry: afterwards the grid shows one empty row.
    e.msgs.Answer(idYes);
    QTest::mouseClick(e.dlg->DeleteEntry2Btn, Qt::LeftButton);
    QCOMPARE(e.dlg->ProvStrGrid2->RowCount(), 2);
    QCOMPARE(rowOf(e.dlg->ProvStrGrid2, 1), (QStringList {"", "", "", ""}));
    QCOMPARE(e.msgs.Messages().constLast().Caption,
        QStringLiteral("Löschen eines Eintrags (Tele Plus, Sa./So./Feiertag, Eintrag 1)"));
}

void TestEntries::savedFileHoldsTheEdits()
{
    Editor e;
    {
        WhenModal<TNewEditProvEntryDlg> add(
            [](TNewEditProvEntryDlg *) { typeKeys(QStringLiteral("0000\t0800\t\t0,01\t ")); });
        QTest::mouseClick(e.dlg->AddEntry1Btn, Qt::LeftButton);
        QVERIFY(add.Ran());
    }
    {
        e.dlg->ProvStrGrid2->SetRow(1);
        WhenModal<TNewEditProvEntryDlg> edit(
            [](TNewEditProvEntryDlg *) { typeKeys(QStringLiteral("\t\t15\t\t ")); });
        QTest::mouseClick(e.dlg->EditEntry2Btn, Qt::LeftButton);
        QVERIFY(edit.Ran());
    }
    e.dlg->ProvStrGrid1->SetRow(3); // 18:00
    e.msgs.Answer(idYes);
    QTest::mouseClick(e.dlg->DeleteEntry1Btn, Qt::LeftButton);
    e.msgs.Answer(idYes);
    QTest::mouseClick(e.dlg->SaveBtn, Qt::LeftButton);

    const QList<QByteArray> lines = e.dir.Read(User).split('\n');
    QByteArrayList sections;
    const QRegularExpression entryLine(QStringLiteral("^(\\[TELE|TELE0001\\d+=)"));
    for (const QByteArray &l : lines)
        if (entryLine.match(QString::fromLatin1(l)).hasMatch())
            sections.append(l.trimmed());
    QCOMPARE(sections,
        (QByteArrayList {"[TELE0001WERKTAG]", "TELE00010=00:00-07:59/60.0000/0.0100",
            "TELE00011=08:00-17:59/60.0000/0.0390", "[TELE0001SASO]",
            "TELE00010=00:00-23:59/15.0000/0.0125"}));
}

QTEST_MAIN(TestEntries)
#include "tst_gui_entries.moc"
