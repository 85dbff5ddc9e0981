#include "GuiTestSupport.h"
#include "TestSupport.h"

#include "app/MainWindow.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/HelpWindow.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "controls/StringGrid.h"
#include "dialogs/CentEuroDlg.h"
#include "dialogs/FreeHoursRangeDlg.h"
#include "dialogs/FreeHoursRangeEditDlg.h"
#include "dialogs/NewEditProvEntryDlg.h"
#include "dialogs/NewEditProviderDlg.h"
#include "editor/ProvidersDlg.h"
#include "model/ProviderFormat.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <array>
#include <memory>

namespace {

const QString User = QStringLiteral("UserProv.ini");

QByteArray fiveProviders()
{
    return CrLf({"[PROVIDER]", "P0=Anna,ANNA0001", "P1=Berta,BERT0001", "P2=Carla,CARL0001",
        "P3=Dora,DORA0001", "P4=Emil,EMIL0001", "[ANNA0001WERKTAG]",
        "ANNA00010=00:00-23:59/60/0.01", "[CARL0001WERKTAG]", "CARL00010=00:00-23:59/30/0.03",
        "[DORA0001WERKTAG]", "DORA00010=00:00-23:59/40/0.04", "[EMIL0001SASO]",
        "EMIL00010=00:00-23:59/50/0.05", "[GRUNDBETRAG]", "ANNA0001=100", "CARL0001=300",
        "DORA0001=400", "EMIL0001=500", "[TIMING]", "BERT0001=60", "CARL0001=60",
        "[MinConnectTime]", "BERT0001=0", "CARL0001=30", "[NOCOSTS]", "DORA0001=2500"});
}

struct Editor
{
    TScopedLocaleSettings german {TLocaleSettings::German()};
    TempProgramDir dir;
    MsgRecorder msgs;
    TMain main;
    std::unique_ptr<TProvidersDlg> dlg;

    explicit Editor(const QByteArray &file = QByteArray())
    {
        if (!file.isEmpty())
            dir.Write(User, file);
        dlg = std::make_unique<TProvidersDlg>(&main, main.TelIniFile, User);
    }
    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < dlg->ProvidersCB->count(); ++i)
            items.append(dlg->ProvidersCB->itemText(i));
        return items;
    }
    QStringList Keys() const
    {
        QStringList keys;
        for (const TKeyAndName &p : dlg->Data.ProviderList())
            keys.append(p.Key);
        return keys;
    }
    // Adds a provider through the dialog, typing only its name.
    void Add(const QString &name)
    {
        OnModal<TNewEditProviderDlg>([name](TNewEditProviderDlg *d) {
            EnterField(d->ProvNameEdit, name);
            QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
        });
        dlg->AddProvClick();
    }
};

// Tabs through the dialog's fields, each left as it is, to the button and
// presses Enter there. A dialog that stays open is cancelled.
void TabToAndPress(QAbstractButton *button)
{
    QWidget *window = button->window();
    if (!window->isActiveWindow()) {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    for (int i = 0; i < 40 && QApplication::focusWidget() != button; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    QTest::keyClick(button, Qt::Key_Return);
    if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible())
        dialog->reject();
}

// The commands that open the dialogs on stored values: none, the options,
// the options with each free-hours range, an entry of each day class.
enum Untouched { NoCommand, Options, Ranges, WeekdayEntry, WeekendEntry };

// The file that file gives when it is loaded and saved, after the command has
// run with each dialog confirmed untouched; messages gets what was shown.
QByteArray SavedAfter(const QByteArray &file, int command, QStringList &messages)
{
    Editor e(file);
    e.dlg->show();
    e.dlg->activateWindow();
    if (!QTest::qWaitForWindowActive(e.dlg.get()))
        return QByteArray();
    if (command == Options || command == Ranges) {
        OnModal<TNewEditProviderDlg>([command](TNewEditProviderDlg *d) {
            if (command == Ranges) {
                OnModal<TFreeHoursRangeDlg>([](TFreeHoursRangeDlg *v) {
                    for (int row = 0; row < v->LV->topLevelItemCount(); ++row) {
                        v->LV->setCurrentItem(v->LV->topLevelItem(row));
                        OnModal<TFreeHoursRangeEditDlg>(
                            [](TFreeHoursRangeEditDlg *r) { TabToAndPress(r->ApplyBtn); });
                        QTest::mouseClick(v->EditEntryBtn, Qt::LeftButton);
                    }
                    TabToAndPress(v->OKBtn);
                });
                QTest::mouseClick(d->FreeHoursRangeBtn, Qt::LeftButton);
            }
            TabToAndPress(d->ApplyBtn);
        });
        e.dlg->EditProvClick();
    } else if (command == WeekdayEntry || command == WeekendEntry) {
        OnModal<TNewEditProvEntryDlg>([](TNewEditProvEntryDlg *d) { TabToAndPress(d->ApplyBtn); });
        if (command == WeekdayEntry) {
            e.dlg->ProvStrGrid1->SetRow(1);
            e.dlg->EditEntry1BtnClick();
        } else {
            e.dlg->ProvStrGrid2->SetRow(1);
            e.dlg->EditEntry2BtnClick();
        }
    }
    messages = e.msgs.Texts();
    e.msgs.Answer(idYes);
    e.dlg->SaveBtnClick();
    return e.dir.Read(User);
}

} // namespace

class TestProviders : public QObject
{
    Q_OBJECT
private slots:
    void addDefaultsDuplicatesAndCancel();
    void optionsRoundTrip_data();
    void optionsRoundTrip();
    void renameKeepsKeyAndOptions();
    void deleteKeepsListsInStep();
    void providerLimitRefusedBeforeDialog();
    void keyboardReachesProviderButtons();
    void addedProviderSavedAndReloaded();
    void untouchedDialogsChangeNothing_data();
    void untouchedDialogsChangeNothing();
    void amountFieldsTakePointOrCommaNoMinus_data();
    void amountFieldsTakePointOrCommaNoMinus();

    void nameFieldFiltersAndTrims();
    void freeHoursNormalisedOnExit_data();
    void freeHoursNormalisedOnExit();
    void timingBoxAndCurrencyLabels();
    void enterMovesOnAndNeverCloses();
    void freeHoursRangesEditedAsCopy();
    void everyControlHasHelpPage();
};

void TestProviders::addDefaultsDuplicatesAndCancel()
{
    Editor e(CrLf({"[PROVIDER]", "P0=Anna,ANNA0001"}));
    e.Add(QStringLiteral("Tele Plus"));
    QCOMPARE(e.Items(), (QStringList {"Anna", "Tele Plus"}));
    QCOMPARE(e.dlg->ProvidersCB->currentIndex(), 1);
    QCOMPARE(e.Keys(), (QStringList {"ANNA0001", "TELE0001"}));
    // Untouched fields: the defaults (no limit, entries' own timing, holiday tariff).
    QCOMPARE(e.dlg->Data.Options(1), TProviderOptions {});
    QCOMPARE(e.dlg->Data.Options(1).NoCostsFrom, -1.0);
    QCOMPARE(e.dlg->ProvStrGrid1->Cells(0, 1), QString());
    QVERIFY(e.dlg->Modified());
    // The same name in any letter case, also with blanks around it, is refused
    // on Übernehmen: the dialog stays open with what was typed and the focus
    // in the name; another name is then taken with the rest.
    for (const QString &name : {QStringLiteral("Tele Plus"), QStringLiteral("  TELE PLUS ")}) {
        e.msgs.Clear();
        bool open = false;
        bool focusInName = false;
        double base = 0;
        OnModal<TNewEditProviderDlg>([&](TNewEditProviderDlg *d) {
            EnterField(d->ProvNameEdit, name);
            EnterField(d->BaseValueEdit, QStringLiteral("7"));
            QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
            open = d->isVisible();
            focusInName = QApplication::focusWidget() == d->ProvNameEdit;
            base = d->BaseValueEdit->Value();
            if (focusInName)
                EnterField(d->ProvNameEdit, name.trimmed() + u'2');
            QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
            if (d->isVisible())
                d->reject();
        });
        e.dlg->AddProvClick();
        QCOMPARE(
            e.msgs.Texts(), QStringList {"Es existiert bereits ein Provider mit diesem Namen!"});
        QVERIFY(open && focusInName);
        QCOMPARE(base, 7.0);
        QCOMPARE(e.Items().constLast(), name.trimmed() + u'2');
        QCOMPARE(e.dlg->Data.Options(e.dlg->Data.Count() - 1).BaseAmount, 700);
        e.msgs.Answer(idYes);
        e.dlg->DelProvClick();
    }
    // Cancel, here by Esc, changes nothing.
    const TProviderData before = e.dlg->Data;
    for (auto command : {&TProvidersDlg::AddProvClick, &TProvidersDlg::EditProvClick}) {
        OnModal<TNewEditProviderDlg>([](TNewEditProviderDlg *d) {
            EnterField(d->ProvNameEdit, QStringLiteral("Neu"));
            EnterField(d->BaseValueEdit, QStringLiteral("7"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        (e.dlg.get()->*command)();
    }
    QVERIFY(e.dlg->Data.SameContent(before));
    QCOMPARE(e.Items(), (QStringList {"Anna", "Tele Plus"}));
}

// Opens the editor on one provider with the given options, runs the options
// dialog, checks what it shows, optionally types and confirms; then compares
// the stored options.
void TestProviders::optionsRoundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>(
        "shown"); // base, no costs, timing box, takt, first second, free hours
    QTest::addColumn<QString>("baseTyped");
    QTest::addColumn<QList<double>>(
        "stored"); // BaseAmount, NoCostsFrom, Timing, MinConnectTime, FreeHours
    const QByteArray head = "[PROVIDER]\r\nP0=Tele,TELE0001\r\n";
    QTest::newRow("defaults") << head << QStringList {"", "", "checked", "", "", "  00:00:00"}
                              << QString() << QList<double> {0, -1, -1, -1, 0};
    QTest::newRow("4,95 is 495 cents")
        << head << QStringList {"", "", "checked", "", "", "  00:00:00"} << QStringLiteral("4,95")
        << QList<double> {495, -1, -1, -1, 0};
    QTest::newRow("half cent to even")
        << head << QStringList {"", "", "checked", "", "", "  00:00:00"} << QStringLiteral("0,125")
        << QList<double> {12, -1, -1, -1, 0};
    QTest::newRow("timing 60 and first second 0 kept")
        << head + CrLf({"[TIMING]", "TELE0001=60", "[MinConnectTime]", "TELE0001=0"})
        << QStringList {"", "", "checked", "", "", "  00:00:00"} << QString()
        << QList<double> {0, -1, 60, 0, 0};
    QTest::newRow("own timing kept")
        << head
            + CrLf({"[TIMING]", "TELE0001=60", "[MinConnectTime]", "TELE0001=30", "[GRUNDBETRAG]",
                "TELE0001=495", "[NOCOSTS]", "TELE0001=2500", "[FREISTUNDEN]", "TELE0001=360000"})
        << QStringList {"4,95", "25,00", "unchecked", "60,0000", "30,0000", " 100:00:00"}
        << QString() << QList<double> {495, 2500, 60, 30, 360000};
}

void TestProviders::optionsRoundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, shown);
    QFETCH(QString, baseTyped);
    QFETCH(QList<double>, stored);
    Editor e(file);
    QStringList seen;
    OnModal<TNewEditProviderDlg>([&](TNewEditProviderDlg *d) {
        seen = QStringList {d->BaseValueEdit->text(), d->NoCostValueEdit->text(),
            d->TimingChkBox->isChecked() ? "checked" : "unchecked", d->CalcTaktEdit->text(),
            d->FirstSecondEdit->text(), d->FreeHoursEdit->Text()};
        QCOMPARE(d->windowTitle(), QStringLiteral("Optionen des Providers ändern"));
        QCOMPARE(d->CalcTaktEdit->isEnabled(), !d->TimingChkBox->isChecked());
        if (!baseTyped.isEmpty())
            EnterField(d->BaseValueEdit, baseTyped);
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    e.dlg->EditProvClick();
    QCOMPARE(seen, shown);
    const TProviderOptions &o = e.dlg->Data.Options(0);
    QCOMPARE((QList<double> {double(o.BaseAmount), o.NoCostsFrom, o.Timing, o.MinConnectTime,
                 double(o.FreeHours)}),
        stored);
    QVERIFY(e.dlg->Modified());
}

void TestProviders::renameKeepsKeyAndOptions()
{
    Editor e(fiveProviders());
    const TProviderData before = e.dlg->Data;
    e.dlg->ProvidersCB->setCurrentIndex(3);
    OnModal<TNewEditProviderDlg>([](TNewEditProviderDlg *d) {
        QCOMPARE(d->ProvNameEdit->text(), QStringLiteral("Dora"));
        EnterField(d->ProvNameEdit, QStringLiteral("Anna")); // another's name is accepted here
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    e.dlg->EditProvClick();
    QVERIFY(e.msgs.Messages().isEmpty());
    QCOMPARE(e.Items()[3], QStringLiteral("Anna"));
    QCOMPARE(e.dlg->ProvidersCB->currentIndex(), 3);
    TKeyAndName renamed = before.Provider(3);
    renamed.DisplayName = QStringLiteral("Anna");
    QCOMPARE(e.dlg->Data.Provider(3), renamed);
    QCOMPARE(e.dlg->Data.Options(3), before.Options(3));
    // The file keeps the provider's sections; only the name changes.
    e.msgs.Answer(idYes);
    e.dlg->SaveBtnClick();
    const QByteArray saved = e.dir.Read(User);
    QVERIFY(saved.contains("\r\nP3=Anna,DORA0001\r\n"));
    QVERIFY(saved.contains("\r\n[DORA0001WERKTAG]\r\nDORA00010=00:00-23:59/40.0000/0.0400\r\n"));
}

void TestProviders::deleteKeepsListsInStep()
{
    Editor e(fiveProviders());
    const TProviderData before = e.dlg->Data;
    e.dlg->ProvidersCB->setCurrentIndex(2);
    e.msgs.Answer(idNo);
    e.dlg->DelProvClick();
    QVERIFY(e.dlg->Data.SameContent(before));
    e.msgs.Answer(idYes);
    e.dlg->DelProvClick();
    QCOMPARE(
        e.msgs.Texts()[1], QStringLiteral("Möchten Sie den Provider \"Carla\" wirklich löschen?"));
    QCOMPARE(e.msgs.Messages()[1].Kind, mkConfirmation);
    QCOMPARE(e.Items(), (QStringList {"Anna", "Berta", "Dora", "Emil"}));
    QCOMPARE(e.Keys(), (QStringList {"ANNA0001", "BERT0001", "DORA0001", "EMIL0001"}));
    for (int from : {3, 4}) {
        QCOMPARE(e.dlg->Data.Options(from - 1), before.Options(from));
        QCOMPARE(e.dlg->Data.Entries(from - 1, TDayClass::Weekday),
            before.Entries(from, TDayClass::Weekday));
        QCOMPARE(e.dlg->Data.Entries(from - 1, TDayClass::Weekend),
            before.Entries(from, TDayClass::Weekend));
    }
    QCOMPARE(e.dlg->ProvidersCB->currentIndex(), 0);
    QCOMPARE(e.dlg->Grundbetrag->text(), QStringLiteral("1,00 €"));
    QVERIFY(e.dlg->Modified());
    // The last one: the zero texts; then the refusal.
    for (int i = 0; i < 4; ++i) {
        e.msgs.Answer(idYes);
        e.dlg->DelProvClick();
    }
    QCOMPARE(e.dlg->Data.Count(), 0);
    QCOMPARE(e.dlg->Grundbetrag->text(), QStringLiteral("0,00 €"));
    e.msgs.Clear();
    e.dlg->DelProvClick();
    QCOMPARE(
        e.msgs.Texts(), QStringList {"Sie können keinen Provider löschen. Es existiert keiner."});
}

void TestProviders::providerLimitRefusedBeforeDialog()
{
    Editor e;
    for (int i = 0; i < ProviderFormat::MaxProviderLines; ++i) {
        e.dlg->Data.AppendProvider({QString::number(i), QString::number(i), {}});
        e.dlg->ProvidersCB->addItem(QString::number(i));
    }
    bool opened = false;
    QPointer<QTimer> watch = OnModal<TNewEditProviderDlg>([&opened](TNewEditProviderDlg *d) {
        opened = true;
        d->reject();
    });
    e.dlg->AddProvClick();
    QCOMPARE(e.msgs.Texts(),
        QStringList {"Es kann kein Provider aufgenommen werden, da das Maximum von 1025 "
                     "Providern damit überschritten würde!"});
    QCOMPARE(e.dlg->Data.Count(), ProviderFormat::MaxProviderLines);
    QTest::qWait(20);
    QVERIFY(!opened);
    delete watch.data();
}

// Tab after "Abbrechen" reaches the three provider buttons; Space presses them.
void TestProviders::keyboardReachesProviderButtons()
{
    Editor e(fiveProviders());
    e.dlg->show();
    e.dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(e.dlg.get()));
    e.dlg->CancelBtn->setFocus(Qt::TabFocusReason);
    for (TMySpeedButton *b : {e.dlg->AddProv, e.dlg->EditProv, e.dlg->DelProv}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), b);
    }
    e.msgs.Answer(idNo);
    QTest::keyClick(e.dlg->DelProv, Qt::Key_Space);
    QCOMPARE(e.msgs.Messages().size(), 1);
    for (QWidget *next :
        {static_cast<QWidget *>(e.dlg->TakeOverProv), static_cast<QWidget *>(e.dlg->ProvidersCB)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    e.dlg->hide();
}

// A provider with every option, free hours, two ranges and a weekday and a
// weekend entry, all typed into the dialogs; saved and read again.
void TestProviders::addedProviderSavedAndReloaded()
{
    Editor e(CrLf(
        {"[PROVIDER]", "P0=Anna,ANNA0001", "[ANNA0001WERKTAG]", "ANNA00010=00:00-23:59/60/0.01"}));
    auto addRange
        = [](const QString &from, const QString &to, const QString &takt, QList<int> daysUp) {
              OnModal<TFreeHoursRangeEditDlg>([=](TFreeHoursRangeEditDlg *r) {
                  EnterField(r->EntryTimeFrom, from);
                  EnterField(r->EntryTimeTo, to);
                  EnterField(r->Takt, takt);
                  for (int day : daysUp)
                      QTest::mouseClick(r->DayButtons()[day - 1], Qt::LeftButton);
                  QTest::mouseClick(r->ApplyBtn, Qt::LeftButton);
              });
          };
    OnModal<TNewEditProviderDlg>([&](TNewEditProviderDlg *d) {
        EnterField(d->ProvNameEdit, QStringLiteral("Tele Plus"));
        EnterField(d->FreeHoursEdit, QStringLiteral("  050000"));
        EnterField(d->BaseValueEdit, QStringLiteral("4,95"));
        EnterField(d->NoCostValueEdit, QStringLiteral("25"));
        EnterField(d->CostsPerDay, QStringLiteral("0,5"));
        EnterField(d->BaseConnectPriceEdit, QStringLiteral("0,0123"));
        EnterField(d->FreeHourCostEdit, QStringLiteral("0,01"));
        for (QCheckBox *c :
            {d->ISDNDoubleCostsChkBox, d->FreeHoursPerDayChkBox, d->ChkBox2431, d->TimingChkBox})
            QTest::mouseClick(c, Qt::LeftButton);
        EnterField(d->CalcTaktEdit, QStringLiteral("60"));
        EnterField(d->FirstSecondEdit, QStringLiteral("30"));
        OnModal<TFreeHoursRangeDlg>([&](TFreeHoursRangeDlg *v) {
            QTest::mouseClick(v->FreeHoursForAllChkBox, Qt::LeftButton);
            addRange(QStringLiteral("1800"), QStringLiteral("0000"), QStringLiteral("60"), {1, 7});
            QTest::mouseClick(v->AddEntryBtn, Qt::LeftButton);
            addRange(QStringLiteral("0600"), QStringLiteral("0800"), QStringLiteral("1,5"),
                {2, 3, 4, 5, 6});
            QTest::mouseClick(v->AddEntryBtn, Qt::LeftButton);
            QTest::mouseClick(v->OKBtn, Qt::LeftButton);
        });
        QTest::mouseClick(d->FreeHoursRangeBtn, Qt::LeftButton);
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    e.dlg->AddProvClick();
    QCOMPARE(e.dlg->FreeHours->text(), QStringLiteral("05:00:00 Stunde(n)"));
    QCOMPARE(e.dlg->Grundbetrag->text(), QStringLiteral("4,95 €"));
    for (auto [command, fee] : {std::pair {&TProvidersDlg::AddEntry1BtnClick, "0,039"},
             std::pair {&TProvidersDlg::AddEntry2BtnClick, "0,02"}}) {
        OnModal<TNewEditProvEntryDlg>([fee](TNewEditProvEntryDlg *d) {
            EnterField(d->EntryTimeFrom, QStringLiteral("0800"));
            EnterField(d->EntryTimeTo, QStringLiteral("1800"));
            EnterField(d->CurrencyEdit, QString::fromLatin1(fee));
            QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
        });
        (e.dlg.get()->*command)();
    }
    e.msgs.Answer(idYes);
    e.dlg->SaveBtnClick();
    QVERIFY2(e.msgs.Messages().size() == 1, qPrintable(e.msgs.Texts().join(u'|')));

    QByteArray expected;
    for (const QString &t : ProviderFormat::HeaderTexts(User))
        expected += (QStringLiteral("; ") + t).toLatin1() + "\r\n";
    expected += "[COMMON]\r\n";
    for (const auto &[k, v] : ProviderFormat::CommonValues(User, QDate::currentDate()))
        expected += (k + u'=' + v).toLatin1() + "\r\n";
    expected += CrLf({"[PROVIDER]", "P0=Anna,ANNA0001", "P1=Tele_Plus,TELE0001",
        "[ANNA0001WERKTAG]", "ANNA00010=00:00-23:59/60.0000/0.0100", "[TELE0001WERKTAG]",
        "TELE00010=08:00-17:59/60.0000/0.0390", "[TELE0001SASO]",
        "TELE00010=08:00-17:59/60.0000/0.0200", "[TIMING]", "ANNA0001=-1.0000", "TELE0001=60.0000",
        "[MinConnectTime]", "ANNA0001=-1.0000", "TELE0001=30.0000", "[FREISTUNDEN]", "ANNA0001=0",
        "TELE0001=18000", "[TELE0001FREEHOURSRANGE]", "TELE00010=17|06:00-07:59/1.5000/",
        "TELE00011=23456|18:00-23:59/60.0000/", "[OPTIONS]", "ANNA0001=YES", "TELE0001=NO",
        "[FreeHoursCosts]", "TELE0001=1.0000", "[GRUNDBETRAG]", "ANNA0001=0", "TELE0001=495",
        "[BASECONNECTPRICE]", "ANNA0001=0.0000", "TELE0001=1.2300", "[FreeHoursPerDay]",
        "TELE0001=YES", "[ISDNDoubleCosts]", "TELE0001=YES", "[NOCOSTS]", "ANNA0001=-1",
        "TELE0001=2500", "[COSTSPERDAY]", "TELE0001=50"});
    const QList<QByteArray> saved = e.dir.Read(User).split('\n');
    const QList<QByteArray> lines = expected.split('\n');
    for (qsizetype i = 0; i < std::max(saved.size(), lines.size()); ++i)
        QCOMPARE(saved.value(i), lines.value(i));

    // Read again: the same names, keys, options and entries.
    TMain main;
    TProvidersDlg reloaded(&main, main.TelIniFile, User);
    QCOMPARE(reloaded.ProvidersCB->itemText(1), QStringLiteral("Tele Plus"));
    QCOMPARE(reloaded.Data.Provider(1).Key, QStringLiteral("TELE0001"));
    QCOMPARE(reloaded.Data.OptionsList(), e.dlg->Data.OptionsList());
    QCOMPARE(reloaded.Data.WeekdayLists(), e.dlg->Data.WeekdayLists());
    QCOMPARE(reloaded.Data.WeekendLists(), e.dlg->Data.WeekendLists());
}

// Each dialog opened through the editor's commands on a kind of value the file
// may hold and confirmed without a change: the saved file is the one saved
// without opening it.
void TestProviders::untouchedDialogsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("command");
    const QByteArray head = "[PROVIDER]\r\nP0=Tele,TELE0001\r\n";
    auto row = [&](const char *name, std::initializer_list<const char *> lines, int command) {
        QTest::newRow(name) << head + CrLf(lines) << command;
    };
    row("entry ending at a full hour", {"[TELE0001WERKTAG]", "TELE00010=08:00-18:00/60/0.039"},
        WeekdayEntry);
    row("entry ending at hh:59", {"[TELE0001WERKTAG]", "TELE00010=08:00-17:59/60/0.039"},
        WeekdayEntry);
    row("entry ending at midnight", {"[TELE0001SASO]", "TELE00010=22:00-00:00/60/0.02"},
        WeekendEntry);
    row("interval and fee with more decimals than shown",
        {"[TELE0001SASO]", "TELE00010=00:00-23:59/1.23456/0.0123456"}, WeekendEntry);
    // Values beyond a field's bounds stay when the field is only passed through.
    row("fee above the field's bound", {"[TELE0001SASO]", "TELE00010=00:00-23:59/60/150.5"},
        WeekendEntry);
    row("timing 60, first second 0", {"[TIMING]", "TELE0001=60", "[MinConnectTime]", "TELE0001=0"},
        Options);
    row("timing 0, first second 30", {"[TIMING]", "TELE0001=0", "[MinConnectTime]", "TELE0001=30"},
        Options);
    row("own timing with more decimals than shown",
        {"[TIMING]", "TELE0001=12.345", "[MinConnectTime]", "TELE0001=30.5"}, Options);
    row("amounts with more decimals than shown, switches",
        {"[FREISTUNDEN]", "TELE0001=360061", "[OPTIONS]", "TELE0001=NO", "[FreeHoursCosts]",
            "TELE0001=1.23456", "[GRUNDBETRAG]", "TELE0001=-495", "[BASECONNECTPRICE]",
            "TELE0001=0.123456", "[FreeHoursPerDay]", "TELE0001=YES", "[ISDNDoubleCosts]",
            "TELE0001=YES", "[NOCOSTS]", "TELE0001=2500", "[COSTSPERDAY]", "TELE0001=50"},
        Options);
    row("more free hours than the field holds", {"[FREISTUNDEN]", "TELE0001=36000000"}, Options);
    row("ranges with holiday, ending at a full hour, unsorted",
        {"[FREISTUNDEN]", "TELE0001=3600", "[TELE0001FREEHOURSRANGE]",
            "TELE00010=12345678|18:00-23:00/1.23456/", "TELE00011=8|06:00-07:59/60/"},
        Ranges);
}

void TestProviders::untouchedDialogsChangeNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(int, command);
    QStringList messages;
    const QByteArray expected = SavedAfter(file, NoCommand, messages);
    QVERIFY(!expected.isEmpty());
    const QByteArray saved = SavedAfter(file, command, messages);
    QCOMPARE(messages, QStringList());
    const QList<QByteArray> lines = saved.split('\n');
    const QList<QByteArray> expectedLines = expected.split('\n');
    for (qsizetype i = 0; i < std::max(lines.size(), expectedLines.size()); ++i)
        QCOMPARE(lines.value(i), expectedLines.value(i));
    QCOMPARE(saved, expected);
}

// In every amount field of the dialogs "." and "," enter the decimal
// separator, typed or pasted ("^"), and no minus sign is taken.
void TestProviders::amountFieldsTakePointOrCommaNoMinus_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<double>("value");
    const char *names[] = {"Grundbetrag", "Keine Gebühren ab", "Kosten pro Tag",
        "Kosten bei Einwahl", "Kosten während der Freistd.", "Abrechnung im", "Abrechnung ab der",
        "Zeittakt", "Gebühr pro Zeittakt", "Angabe in Cent", "Taktung"};
    const std::pair<const char *, double> inputs[]
        = {{"4.95", 4.95}, {"0.03", 0.03}, {"-4,95", 4.95}, {"^0.03", 0.03}, {"^-1", 0}};
    for (int field = 0; field < 11; ++field) {
        const bool interval = field == 7 || field == 10; // Ctrl+V is refused there
        for (auto [input, value] : inputs)
            if (!interval || input[0] != '^')
                QTest::addRow("%s: %s", names[field], input)
                    << field << QString::fromLatin1(input) << value;
    }
}

void TestProviders::amountFieldsTakePointOrCommaNoMinus()
{
    QFETCH(int, field);
    QFETCH(QString, input);
    QFETCH(double, value);
    TScopedLocaleSettings german(TLocaleSettings::German());
    MsgRecorder msgs;
    std::unique_ptr<QDialog> dialog;
    TCurrencyEdit *edit = nullptr;
    if (field < 7) {
        auto d = std::make_unique<TNewEditProviderDlg>(nullptr);
        edit = std::array {d->BaseValueEdit, d->NoCostValueEdit, d->CostsPerDay,
            d->BaseConnectPriceEdit, d->FreeHourCostEdit, d->CalcTaktEdit,
            d->FirstSecondEdit}[field];
        dialog = std::move(d);
    } else if (field < 9) {
        auto d = std::make_unique<TNewEditProvEntryDlg>(nullptr);
        d->EntryTimeFrom->SetText(TEntryChecks::BlankTimeText());
        edit = field == 7 ? d->Takt : d->CurrencyEdit;
        dialog = std::move(d);
    } else if (field == 9) {
        auto d = std::make_unique<TCentEuroDlg>(nullptr);
        edit = d->CentEdit;
        dialog = std::move(d);
    } else {
        auto d = std::make_unique<TFreeHoursRangeEditDlg>(nullptr);
        edit = d->Takt;
        dialog = std::move(d);
    }
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    if (auto *options = qobject_cast<TNewEditProviderDlg *>(dialog.get()))
        options->TimingChkBox->setChecked(false);
    edit->setFocus(Qt::TabFocusReason);
    if (input.startsWith(u'^')) {
        QGuiApplication::clipboard()->setText(input.mid(1));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        TypeText(edit, input);
    }
    QCOMPARE(edit->Value(), value);
}

void TestProviders::nameFieldFiltersAndTrims()
{
    TScopedLocaleSettings german(TLocaleSettings::German());
    TNewEditProviderDlg d(nullptr);
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.ProvNameEdit->setFocus();
    TypeText(d.ProvNameEdit, QStringLiteral("   "));
    QVERIFY(!d.ApplyBtn->isEnabled());
    TypeText(d.ProvNameEdit, QStringLiteral("T;e,l&eΩ Ü€"));
    QCOMPARE(d.ProvNameEdit->text(), QStringLiteral("   Tele Ü€"));
    QVERIFY(d.ApplyBtn->isEnabled());
    // Pasted text loses the same characters, and every one a line of the file
    // cannot hold; the cursor stays after the paste.
    QGuiApplication::clipboard()->setText(
        QStringLiteral(";P\tl\nu\r\u0001s\u007f\u2028\u2029\u0081中,"));
    d.ProvNameEdit->end(false);
    QTest::keyClick(d.ProvNameEdit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(d.ProvNameEdit->text(), QStringLiteral("   Tele Ü€Plus"));
    QCOMPARE(d.ProvNameEdit->cursorPosition(), d.ProvNameEdit->text().size());
    TypeText(d.ProvNameEdit, QStringLiteral("  "));
    QTest::keyClick(d.ProvNameEdit, Qt::Key_Tab);
    QCOMPARE(d.ProvNameEdit->text(), QStringLiteral("Tele Ü€Plus"));
    QCOMPARE(QApplication::focusWidget(), d.FreeHoursEdit);
    // A name preset by the caller is taken as it stands.
    d.ProvNameEdit->setText(QStringLiteral("A;B"));
    QCOMPARE(d.ProvNameEdit->text(), QStringLiteral("A;B"));
}

void TestProviders::freeHoursNormalisedOnExit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    QTest::newRow("minutes carried")
        << QStringLiteral("  10:75:00") << QStringLiteral("  11:15:00") << QString();
    QTest::newRow("seconds carried")
        << QStringLiteral("  00:00:90") << QStringLiteral("  00:01:30") << QString();
    QTest::newRow("four hour digits")
        << QStringLiteral("1234:05:06") << QStringLiteral("1234:05:06") << QString();
    QTest::newRow("beyond 9999 hours")
        << QStringLiteral("9999:99:00") << QStringLiteral("9999:59:59")
        << QStringLiteral(
               "Die eingegebenen Freistunden sind zu groß! Es werden höchstens 9999:59:59 Stunden "
               "übernommen.");
}

void TestProviders::freeHoursNormalisedOnExit()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    TScopedLocaleSettings german(TLocaleSettings::German());
    MsgRecorder msgs;
    TNewEditProviderDlg d(nullptr);
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.FreeHoursEdit->setFocus();
    d.FreeHoursEdit->home(false);
    TypeText(d.FreeHoursEdit, QString(typed).remove(u':'));
    QCOMPARE(d.FreeHoursEdit->Text(), typed);
    QTest::keyClick(d.FreeHoursEdit, Qt::Key_Tab);
    QCOMPARE(d.FreeHoursEdit->Text(), shown);
    QCOMPARE(msgs.Texts(), message.isEmpty() ? QStringList() : QStringList {message});
}

void TestProviders::timingBoxAndCurrencyLabels()
{
    TScopedLocaleSettings dollar(DollarLocale());
    auto state = [](TNewEditProviderDlg &d) {
        return QList<double> {double(d.TimingChkBox->isChecked()),
            double(d.CalcTaktEdit->isEnabled()), double(d.InfoLabel3->isEnabled()),
            d.CalcTaktEdit->Value(), d.FirstSecondEdit->Value()};
    };
    TNewEditProviderDlg one(nullptr);
    QCOMPARE(one.CurrencyLabel1->text(), QStringLiteral("$ pro Monat"));
    QCOMPARE(one.CurrencyLabel4->text(), QStringLiteral("$"));
    // Only one value preset above 0: the box stays checked, the fields keep their values.
    one.CalcTaktEdit->SetValue(60);
    one.show();
    QCOMPARE(state(one), (QList<double> {1, 0, 0, 60, 0}));
    // Both above 0: unchecked on showing. Checking clears and disables, unchecking enables with 0.
    TNewEditProviderDlg both(nullptr);
    both.CalcTaktEdit->SetValue(60);
    both.FirstSecondEdit->SetValue(30);
    both.show();
    QCOMPARE(state(both), (QList<double> {0, 1, 1, 60, 30}));
    QTest::mouseClick(both.TimingChkBox, Qt::LeftButton);
    QCOMPARE(state(both), (QList<double> {1, 0, 0, 0, 0}));
    QTest::mouseClick(both.TimingChkBox, Qt::LeftButton);
    QCOMPARE(state(both), (QList<double> {0, 1, 1, 0, 0}));
}

void TestProviders::enterMovesOnAndNeverCloses()
{
    TScopedLocaleSettings german(TLocaleSettings::German());
    TNewEditProviderDlg d(nullptr);
    d.ProvNameEdit->setText(QStringLiteral("Tele"));
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTest::mouseClick(d.TimingChkBox, Qt::LeftButton);
    d.ProvNameEdit->setFocus();
    for (QWidget *next : std::initializer_list<QWidget *> {d.FreeHoursEdit, d.BaseValueEdit,
             d.NoCostValueEdit, d.CostsPerDay, d.BaseConnectPriceEdit, d.FreeHourCostEdit,
             d.ISDNDoubleCostsChkBox, d.FreeHoursPerDayChkBox, d.ChkBox2431, d.TimingChkBox,
             d.CalcTaktEdit, d.FirstSecondEdit, d.ApplyBtn}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
    QVERIFY(d.isVisible() && !d.TimingChkBox->isChecked());
    QTest::keyClick(d.ApplyBtn, Qt::Key_Tab);
    QTest::keyClick(d.CancelBtn, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), d.FreeHoursRangeBtn);
}

void TestProviders::freeHoursRangesEditedAsCopy()
{
    TScopedLocaleSettings german(TLocaleSettings::German());
    TNewEditProviderDlg d(nullptr);
    const TFreeHoursRange late {0b01111100, 18 * 3600, 23 * 3600, 60};
    const TFreeHoursRange early {0b10000010, 6 * 3600, 7 * 3600 + 59 * 60, 1.5};
    d.FreeHoursRanges = {late, early};
    auto run = [&d](std::function<void(TFreeHoursRangeDlg *)> action) {
        OnModal<TFreeHoursRangeDlg>(action);
        QTest::mouseClick(d.FreeHoursRangeBtn, Qt::LeftButton);
    };
    // The list shows the ranges sorted; Cancel keeps the old ones even after a delete.
    QStringList shown;
    run([&shown](TFreeHoursRangeDlg *v) {
        QVERIFY(!v->FreeHoursForAllChkBox->isChecked());
        for (int i = 0; i < v->LV->topLevelItemCount(); ++i)
            shown.append(v->LV->topLevelItem(i)->text(0));
        v->LV->setCurrentItem(v->LV->topLevelItem(0));
        QTest::mouseClick(v->DeleteEntryBtn, Qt::LeftButton);
        QCOMPARE(v->LV->topLevelItemCount(), 1);
        QTest::mouseClick(v->CancelBtn, Qt::LeftButton);
    });
    QCOMPARE(shown, (QStringList {"06:00:00 - 07:59:59 Uhr", "18:00:00 - 23:00:59 Uhr"}));
    QCOMPARE(d.FreeHoursRanges, (TFreeHoursRangeArray {late, early}));
    // Confirmed unchanged, the ranges keep their order.
    run([](TFreeHoursRangeDlg *v) { QTest::mouseClick(v->OKBtn, Qt::LeftButton); });
    QCOMPARE(d.FreeHoursRanges, (TFreeHoursRangeArray {late, early}));
    // OK with the round-the-clock box checked gives no ranges, whatever the list holds.
    run([](TFreeHoursRangeDlg *v) {
        QTest::mouseClick(v->FreeHoursForAllChkBox, Qt::LeftButton);
        QVERIFY(!v->LV->isEnabled());
        QCOMPARE(v->LV->topLevelItemCount(), 2);
        QTest::mouseClick(v->OKBtn, Qt::LeftButton);
    });
    QVERIFY(d.FreeHoursRanges.isEmpty());
    // Empty: the box is checked; unchecked and confirmed without rows it stays empty.
    run([](TFreeHoursRangeDlg *v) {
        QVERIFY(v->FreeHoursForAllChkBox->isChecked());
        QTest::mouseClick(v->FreeHoursForAllChkBox, Qt::LeftButton);
        QTest::mouseClick(v->OKBtn, Qt::LeftButton);
    });
    QVERIFY(d.FreeHoursRanges.isEmpty());
    run([](TFreeHoursRangeDlg *v) {
        QVERIFY(v->FreeHoursForAllChkBox->isChecked());
        v->reject();
    });
}

// F1 on any control of the three dialogs finds a page of its own.
void TestProviders::everyControlHasHelpPage()
{
    TNewEditProviderDlg provider(nullptr);
    TFreeHoursRangeDlg validity(nullptr);
    TFreeHoursRangeEditDlg range(nullptr);
    QSet<int> numbers;
    for (QWidget *dlg : std::initializer_list<QWidget *> {&provider, &validity, &range}) {
        for (QWidget *w : dlg->findChildren<QWidget *>()) {
            const int context = EffectiveHelpContext(w);
            QVERIFY2(THelpWindow::HasTopic(context), qPrintable(QString::number(context)));
            numbers.insert(context);
        }
    }
    for (int context : {510100, 510101, 510102, 510103, 510104, 510105, 510106, 510107, 510108,
             510109, 510110, 510111, 51010910, 51010911, 51010920, 51010921, 51010922, 51010923})
        QVERIFY2(numbers.contains(context), qPrintable(QString::number(context)));
}

QTEST_MAIN(TestProviders)
#include "tst_gui_providers.moc"
