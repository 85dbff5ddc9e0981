#include "GuiTestSupport.h"
#include "TestSupport.h"

#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "controls/PanelEx.h"
#include "dialogs/FreeHoursRangeDlg.h"
#include "dialogs/FreeHoursRangeEditDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr std::uint16_t AllWeek = 0b11111110; // days 1 to 7
constexpr std::uint16_t Holiday = 1u << 8;

struct Validity
{
    TScopedLocaleSettings german {TLocaleSettings::German()};
    MsgRecorder msgs;
    TFreeHoursRangeDlg dlg {nullptr};

    explicit Validity(const TFreeHoursRangeArray &ranges = {})
    {
        for (const TFreeHoursRange &r : ranges)
            dlg.AddRange(r);
        dlg.show();
        dlg.activateWindow();
        if (!QTest::qWaitForWindowActive(&dlg))
            qFatal("dialog not active");
    }
    QStringList Captions() const
    {
        QStringList out;
        for (int i = 0; i < dlg.LV->topLevelItemCount(); ++i)
            out.append(dlg.LV->topLevelItem(i)->text(0));
        return out;
    }
    // Enabled state of list, add, edit, delete.
    QList<bool> Enabled() const
    {
        return {dlg.LV->isEnabled(), dlg.AddEntryBtn->isEnabled(), dlg.EditEntryBtn->isEnabled(),
            dlg.DeleteEntryBtn->isEnabled()};
    }
    void Select(int row) { dlg.LV->setCurrentItem(dlg.LV->topLevelItem(row)); }
};

QList<bool> daysDown(const TFreeHoursRangeEditDlg *d)
{
    QList<bool> out;
    for (const TMySpeedButton *b : d->DayButtons())
        out.append(b->Down());
    return out;
}

struct RangeEntry
{
    TScopedLocaleSettings german {TLocaleSettings::German()};
    MsgRecorder msgs;
    TFreeHoursRangeEditDlg dlg {nullptr};

    RangeEntry()
    {
        dlg.show();
        dlg.activateWindow();
        if (!QTest::qWaitForWindowActive(&dlg))
            qFatal("dialog not active");
        dlg.EntryTimeFrom->setFocus();
    }
};

} // namespace

class TestFreeHours : public QObject
{
    Q_OBJECT
private slots:
    void itemTexts_data();
    void itemTexts();
    void listSortedAndEnabled();
    void addThroughEntryDialog();
    void changeKeepsIntervalAndHoliday();
    void cancelAndDoubleClick();

    void entryDialogDaysAndInterval();
};

void TestFreeHours::itemTexts_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<TFreeHoursRange>("range");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("working hours")
        << true << TFreeHoursRange {AllWeek, 28800, 64740, 60}
        << QStringList {"08:00:00 - 17:59:59 Uhr", "60,0000 Sekunde(n)", "Mo Di Mi Do Fr Sa So "};
    QTest::newRow("to midnight, weekend and holiday")
        << true << TFreeHoursRange {0b110000010, 0, 86340, 1.5}
        << QStringList {"00:00:00 - 23:59:59 Uhr", "1,5000 Sekunde(n)", "Sa So Fei"};
    QTest::newRow("no days, point locale")
        << false << TFreeHoursRange {0, 3600, 3600, 0.25}
        << QStringList {"01:00:00 - 01:00:59 Uhr", "0.2500 Sekunde(n)", ""};
}

void TestFreeHours::itemTexts()
{
    QFETCH(bool, german);
    QFETCH(TFreeHoursRange, range);
    QFETCH(QStringList, texts);
    TScopedLocaleSettings locale(german ? TLocaleSettings::German() : DollarLocale());
    QCOMPARE(TFreeHoursRangeDlg::ItemTexts(range), texts);
}

void TestFreeHours::listSortedAndEnabled()
{
    const TFreeHoursRange late {AllWeek, 18 * 3600, 22 * 3600, 60};
    const TFreeHoursRange early {AllWeek, 6 * 3600, 7 * 3600, 60};
    const TFreeHoursRange earlyLong {AllWeek, 6 * 3600, 9 * 3600, 60};
    Validity v({late, earlyLong, early});
    QCOMPARE(v.dlg.windowTitle(), QStringLiteral("Gültigkeit der Freistunden"));
    QCOMPARE(v.Captions(),
        (QStringList {
            "06:00:00 - 07:00:59 Uhr", "06:00:00 - 09:00:59 Uhr", "18:00:00 - 22:00:59 Uhr"}));
    QCOMPARE(v.dlg.Ranges(), (TFreeHoursRangeArray {early, earlyLong, late}));
    // It opens with its current row selected, so that Down goes to the second.
    QCOMPARE(v.dlg.SelectedItem(), v.dlg.LV->topLevelItem(0));
    QCOMPARE(v.Enabled(), (QList<bool> {true, true, true, true}));
    v.dlg.LV->setFocus(Qt::TabFocusReason);
    QTest::keyClick(v.dlg.LV, Qt::Key_Down);
    QCOMPARE(v.dlg.SelectedItem(), v.dlg.LV->topLevelItem(1));
    // Enter on the round-the-clock box moves on without changing it.
    v.dlg.FreeHoursForAllChkBox->setFocus(Qt::TabFocusReason);
    QTest::keyClick(v.dlg.FreeHoursForAllChkBox, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), v.dlg.LV);
    QVERIFY(!v.dlg.FreeHoursForAllChkBox->isChecked() && v.dlg.isVisible());
    // The round-the-clock box disables everything and keeps the rows.
    QTest::mouseClick(v.dlg.FreeHoursForAllChkBox, Qt::LeftButton);
    QCOMPARE(v.Enabled(), (QList<bool> {false, false, false, false}));
    QCOMPARE(v.dlg.LV->topLevelItemCount(), 3);
    QTest::mouseClick(v.dlg.FreeHoursForAllChkBox, Qt::LeftButton);
    QCOMPARE(v.Enabled(), (QList<bool> {true, true, true, true}));
    // Deleting takes the selected row at once, without a question.
    QTest::mouseClick(v.dlg.DeleteEntryBtn, Qt::LeftButton);
    QCOMPARE(v.dlg.Ranges(), (TFreeHoursRangeArray {early, late}));
    QVERIFY(v.msgs.Messages().isEmpty());
    QCOMPARE(v.Enabled(), (QList<bool> {true, true, false, false}));
    QCOMPARE(v.dlg.EditEntryBtn->Hint(), QStringLiteral("Ändert den Eintrag."));
}

void TestFreeHours::addThroughEntryDialog()
{
    Validity v;
    QList<bool> days;
    OnModal<TFreeHoursRangeEditDlg>([&days](TFreeHoursRangeEditDlg *d) {
        days = daysDown(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Eintrag hinzufügen"));
        QCOMPARE(d->EntryTimeFrom->Text(), QStringLiteral("  :  "));
        QCOMPARE(d->Takt->Value(), 60.0); // as a new tariff entry
        EnterField(d->EntryTimeFrom, QStringLiteral("0800"));
        EnterField(d->EntryTimeTo, QStringLiteral("1800"));
        EnterField(d->Takt, QStringLiteral("60"));
        QTest::keyClick(d->ApplyBtn, Qt::Key_Space);
    });
    QTest::mouseClick(v.dlg.AddEntryBtn, Qt::LeftButton);
    QCOMPARE(days, QList<bool>(7, true));
    QCOMPARE(v.dlg.Ranges(), (TFreeHoursRangeArray {{AllWeek, 28800, 64740, 60}}));
    QCOMPARE(v.dlg.LV->topLevelItem(0)->text(2), QStringLiteral("Mo Di Mi Do Fr Sa So "));

    // Every day button up is accepted; an end of 00:00 is the end of the day.
    OnModal<TFreeHoursRangeEditDlg>([](TFreeHoursRangeEditDlg *d) {
        for (TMySpeedButton *b : d->DayButtons())
            QTest::mouseClick(b, Qt::LeftButton);
        EnterField(d->EntryTimeFrom, QStringLiteral("0000"));
        EnterField(d->EntryTimeTo, QStringLiteral("0000"));
        EnterField(d->Takt, QStringLiteral("1,5"));
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    QTest::mouseClick(v.dlg.AddEntryBtn, Qt::LeftButton);
    QCOMPARE(
        v.dlg.Ranges(), (TFreeHoursRangeArray {{0, 0, 86340, 1.5}, {AllWeek, 28800, 64740, 60}}));
    QCOMPARE(v.Captions()[0], QStringLiteral("00:00:00 - 23:59:59 Uhr"));
    QVERIFY(v.msgs.Messages().isEmpty());
}

void TestFreeHours::changeKeepsIntervalAndHoliday()
{
    const TFreeHoursRange weekendHoliday {0b10000010 | Holiday, 6 * 3600, 7 * 3600 + 59 * 60, 1.5};
    Validity v({{AllWeek, 20 * 3600, 21 * 3600, 60}, weekendHoliday});
    v.Select(0);
    QStringList shown;
    QList<bool> days;
    OnModal<TFreeHoursRangeEditDlg>([&](TFreeHoursRangeEditDlg *d) {
        shown = QStringList {
            d->windowTitle(), d->EntryTimeFrom->Text(), d->EntryTimeTo->Text(), d->Takt->text()};
        days = daysDown(d);
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    QTest::mouseClick(v.dlg.EditEntryBtn, Qt::LeftButton);
    QCOMPARE(shown, (QStringList {"Eintrag ändern", "06:00", "07:59", "1,5000"}));
    QCOMPARE(days, (QList<bool> {true, false, false, false, false, false, true}));
    // The holiday, which has no button, stays.
    QCOMPARE(v.dlg.Ranges()[0], weekendHoliday);
    QCOMPARE(v.dlg.LV->topLevelItem(0)->text(2), QStringLiteral("Sa So Fei"));

    // A change that moves the range re-sorts the list.
    OnModal<TFreeHoursRangeEditDlg>([](TFreeHoursRangeEditDlg *d) {
        EnterField(d->EntryTimeFrom, QStringLiteral("2200"));
        EnterField(d->EntryTimeTo, QStringLiteral("2300"));
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    QTest::mouseClick(v.dlg.EditEntryBtn, Qt::LeftButton);
    QCOMPARE(v.Captions(), (QStringList {"20:00:00 - 21:00:59 Uhr", "22:00:00 - 22:59:59 Uhr"}));
    QCOMPARE(v.dlg.SelectedItem(), v.dlg.LV->topLevelItem(1));
}

void TestFreeHours::cancelAndDoubleClick()
{
    const TFreeHoursRange range {AllWeek, 8 * 3600, 9 * 3600, 60};
    Validity v({range});
    // Cancel in the entry dialog leaves the row as it was.
    v.Select(0);
    OnModal<TFreeHoursRangeEditDlg>([](TFreeHoursRangeEditDlg *d) {
        EnterField(d->EntryTimeFrom, QStringLiteral("1000"));
        QTest::mouseClick(d->CancelBtn, Qt::LeftButton);
    });
    QTest::mouseClick(v.dlg.EditEntryBtn, Qt::LeftButton);
    QCOMPARE(v.dlg.Ranges(), TFreeHoursRangeArray {range});
    // A double click on the list edits the selected row; without one nothing opens.
    bool opened = false;
    QPointer<QTimer> watch = OnModal<TFreeHoursRangeEditDlg>([&opened](TFreeHoursRangeEditDlg *d) {
        opened = true;
        d->reject();
    });
    v.dlg.LV->clearSelection();
    QTest::mouseDClick(
        v.dlg.LV->viewport(), Qt::LeftButton, {}, QPoint(5, v.dlg.LV->viewport()->height() - 5));
    QTest::qWait(30);
    QVERIFY(!opened);
    const QPoint onRow = v.dlg.LV->visualItemRect(v.dlg.LV->topLevelItem(0)).center();
    QTest::mouseClick(v.dlg.LV->viewport(), Qt::LeftButton, {}, onRow);
    QTest::mouseDClick(v.dlg.LV->viewport(), Qt::LeftButton, {}, onRow);
    QTRY_VERIFY(opened);
    delete watch.data();
}

void TestFreeHours::entryDialogDaysAndInterval()
{
    RangeEntry e;
    // Each button stands for its day number and toggles alone, by click or Space.
    QStringList buttons;
    for (const TMySpeedButton *b : e.dlg.DayButtons())
        buttons.append(
            b->Caption() + u'/' + b->Hint() + u'/' + QString::number(b->property("Tag").toInt()));
    QCOMPARE(buttons,
        (QStringList {"So/Sonntag/1", "Mo/Montag/2", "Di/Dienstag/3", "Mi/Mittwoch/4",
            "Do/Donnerstag/5", "Fr/Freitag/6", "Sa/Samstag/7"}));
    QCOMPARE(e.dlg.SunBtn->palette().color(QPalette::ButtonText), QColor(Qt::red));
    e.dlg.MoBtn->SetDown(true);
    QTest::mouseClick(e.dlg.FrBtn, Qt::LeftButton);
    QTest::mouseClick(e.dlg.FrBtn, Qt::LeftButton);
    e.dlg.SatBtn->setFocus(Qt::TabFocusReason);
    QTest::keyClick(e.dlg.SatBtn, Qt::Key_Space);
    QCOMPARE(daysDown(&e.dlg), (QList<bool> {false, true, false, false, false, false, true}));
    // The interval check names this dialog's field and keeps the dialog open.
    e.dlg.EntryTimeFrom->SetText(QStringLiteral("08:00"));
    e.dlg.EntryTimeTo->SetText(QStringLiteral("18:00"));
    e.dlg.Takt->SetValue(0);
    e.dlg.ApplyBtn->click();
    QCOMPARE(
        e.msgs.Texts(), QStringList {"Der Betrag im Feld \"Taktung\" muss größer 0 betragen!"});
    QCOMPARE(QApplication::focusWidget(), e.dlg.Takt);
    QVERIFY(e.dlg.isVisible() && !e.dlg.Applied);
    // An end filled in by the caller is not moved back a minute.
    QCOMPARE(e.dlg.EntryTimeTo->Text(), QStringLiteral("18:00"));
}

QTEST_MAIN(TestFreeHours)
#include "tst_gui_freehours.moc"
