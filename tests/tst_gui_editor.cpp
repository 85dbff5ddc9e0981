#include "TestSupport.h"

#include "app/MainWindow.h"
#include "controls/ContextHelp.h"
#include "controls/MySpeedButton.h"
#include "controls/StringGrid.h"
#include "editor/ProvidersDlg.h"
#include "model/ProviderFormat.h"
#include "support/FileSystem.h"
#include "support/TheIniFile.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString User = QStringLiteral("UserProv.ini");
const QString Main = QStringLiteral("Provider.ini");

QByteArray sampleFile()
{
    return CrLf({"[PROVIDER]", "P0=Flat_Online,FLAT0001", "P1=Beispiel_Tarif,BEIS0001",
        "[BEIS0001WERKTAG]", "BEIS00010=18:00-23:59/60/0.02", "BEIS00011=00:00-07:59/60/0.01",
        "BEIS00012=08:00-17:59/0.5/0.03", "[BEIS0001SASO]", "BEIS00010=00:00-23:59/60/0.01",
        "[FLAT0001WERKTAG]", "FLAT00010=00:00-23:59/60/0.0099", "[FREISTUNDEN]", "FLAT0001=360000",
        "[GRUNDBETRAG]", "FLAT0001=495", "[NOCOSTS]", "FLAT0001=2500"});
}

// The file the window writes for sampleFile(), saved today.
QByteArray expectedSave()
{
    QByteArray out;
    for (const QString &t : ProviderFormat::HeaderTexts(User))
        out += (QStringLiteral("; ") + t).toLatin1() + "\r\n";
    out += "[COMMON]\r\n";
    for (const auto &[k, v] : ProviderFormat::CommonValues(User, QDate::currentDate()))
        out += (k + u'=' + v).toLatin1() + "\r\n";
    out += CrLf({"[PROVIDER]", "P0=Beispiel_Tarif,BEIS0001", "P1=Flat_Online,FLAT0001",
        "[BEIS0001WERKTAG]", "BEIS00010=00:00-07:59/60.0000/0.0100",
        "BEIS00011=08:00-17:59/0.5000/0.0300", "BEIS00012=18:00-23:59/60.0000/0.0200",
        "[FLAT0001WERKTAG]", "FLAT00010=00:00-23:59/60.0000/0.0099", "[BEIS0001SASO]",
        "BEIS00010=00:00-23:59/60.0000/0.0100", "[TIMING]", "BEIS0001=-1.0000", "FLAT0001=-1.0000",
        "[MinConnectTime]", "BEIS0001=-1.0000", "FLAT0001=-1.0000", "[FREISTUNDEN]", "BEIS0001=0",
        "FLAT0001=360000", "[OPTIONS]", "BEIS0001=YES", "FLAT0001=YES", "[GRUNDBETRAG]",
        "BEIS0001=0", "FLAT0001=495", "[BASECONNECTPRICE]", "BEIS0001=0.0000", "FLAT0001=0.0000",
        "[NOCOSTS]", "BEIS0001=-1", "FLAT0001=2500"});
    return out;
}

// The editor opened on sampleFile() in a fresh program directory.
struct EditorOnSample
{
    TempProgramDir dir;
    MsgRecorder msgs;
    TTheIniFile ini;
    std::unique_ptr<TProvidersDlg> dlg;
    std::unique_ptr<QSignalSpy> saved;

    EditorOnSample()
    {
        dir.Write(User, sampleFile());
        dlg = std::make_unique<TProvidersDlg>(nullptr, ini, User);
        saved = std::make_unique<QSignalSpy>(dlg.get(), &TProvidersDlg::Saved);
    }
    std::tuple<TempProgramDir &, MsgRecorder &, QSignalSpy &> Parts()
    {
        return {dir, msgs, *saved};
    }
};

QStringList row(const TStringGrid *grid, int r)
{
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells.append(grid->Cells(c, r));
    return cells;
}

// Picks a provider the way a user does: drop the list down and click the item.
void pickProvider(TProvidersDlg &dlg, int index)
{
    dlg.ProvidersCB->showPopup();
    QAbstractItemView *view = dlg.ProvidersCB->view();
    QVERIFY(QTest::qWaitFor([view] { return view->isVisible(); }));
    const QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    QVERIFY(QTest::qWaitFor([view] { return !view->isVisible(); }));
}

// Runs `action` on the editor once it is shown modally. Polls without
// blocking, since the start window keeps the event loop busy while it loads.
// With an owner, the polling ends with the owner even when no editor came.
void onModal(std::function<void(QWidget *)> action, QObject *owner = nullptr)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!qobject_cast<TProvidersDlg *>(modal) || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (!TContextHelp::IsInstalled())
            TContextHelp::Install();
        m_help.clear();
        TContextHelp::SetShowHandler([this](int n) { m_help.append(n); });
    }
    void cleanup() { TContextHelp::SetShowHandler({}); }
    void layoutAndTexts();
    void displayGerman();
    void displayPointDecimal();
    void emptyFile();
    void keysInProviderListAreDiscarded();
    void enterOnFocusedButton_data();
    void enterOnFocusedButton();
    void gridKeysStartCommands();
    void focusedGridShowsItsRow();
    void gridDoubleClickStartsEditCommand();
    void sortButtonKeepsModified();
    void closeWithoutChangesAsksNothing();
    void closeQuestionNoLeavesFile();
    void closeQuestionYesLeadsToSaveQuestion();
    void saveThroughWindow();
    void failedSaveKeepsEditorOpen();
    void failedSaveOnClosingKeepsEditorOpen();
    void saveMessagesWithNormalCursor_data();
    void saveMessagesWithNormalCursor();
    void waitWindowWhileLoadingAndSaving();
    void startWindowTextsAndHelp();
    void startWindowFlow();
    void startWindowKeys_data();
    void startWindowKeys();
    void startWindowRestartNoticeOnce();
    void editorCreationFailureIsReported_data();
    void editorCreationFailureIsReported();
    void unreadableFileIsNotOpened_data();
    void unreadableFileIsNotOpened();

private:
    QList<int> m_help;
};

void TestEditor::layoutAndTexts()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    TTheIniFile ini;
    TProvidersDlg dlg(nullptr, ini, User);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Provider bearbeiten"));
    QCOMPARE(dlg.ProvStrGrid1->ColCount(), 4);
    QCOMPARE(row(dlg.ProvStrGrid1, 0),
        (QStringList {"von", "bis", "Zeittakt", QStringLiteral("Gebühr")}));
    QCOMPARE(row(dlg.ProvStrGrid2, 0), row(dlg.ProvStrGrid1, 0));
    QVERIFY(dlg.ProvStrGrid1->columnWidth(0) >= 76);
    QVERIFY(dlg.ProvStrGrid1->columnWidth(3) >= 120);
    QCOMPARE(dlg.ProvStrGrid1->verticalHeader()->defaultSectionSize(), dlg.logicalDpiY() * 17 / 96);
    QVERIFY(!dlg.ProvStrGrid1->showGrid());
    QCOMPARE(dlg.ProvStrGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
    const QString addHint = QStringLiteral("Fügt einen Eintrag zum \r\naktuellen Provider hinzu.");
    const QString editHint = QStringLiteral("Ändert den ausge-\r\nwählten Eintrag.");
    const QString deleteHint = QStringLiteral("Löscht den ausge-\r\nwählten Eintrag.");
    const std::tuple<TMySpeedButton *, QString, int> speedButtons[]
        = {{dlg.AddProv, QStringLiteral("Fügt einen neuen\r\nProvider hinzu."), 510040},
            {dlg.EditProv, QStringLiteral("Ändert den ausge-\r\nwählten Provider."), 510041},
            {dlg.DelProv, QStringLiteral("Löscht ausgewählten\r\nProvider."), 510042},
            {dlg.AddEntry1Btn, addHint, 510050}, {dlg.EditEntry1Btn, editHint, 510051},
            {dlg.DeleteEntry1Btn, deleteHint, 510052},
            {dlg.SortBtn, QStringLiteral("Zeigt die Einträge neu-\r\nsortiert an."), 510060},
            {dlg.AddEntry2Btn, addHint, 510070}, {dlg.EditEntry2Btn, editHint, 510071},
            {dlg.DeleteEntry2Btn, deleteHint, 510072}};
    for (const auto &[button, hint, help] : speedButtons) {
        QCOMPARE(button->Hint(), hint);
        QCOMPARE(button->HelpContext(), help);
    }
    QVERIFY(dlg.AddProv->toolTip().contains(QStringLiteral("neuen<br>")));
    QCOMPARE(HelpContext(dlg.ProvidersCB), 510010);
    QCOMPARE(HelpContext(dlg.SaveBtn), 510080);
    QCOMPARE(HelpContext(dlg.CancelBtn), 2);
    QCOMPARE(dlg.SaveBtn->text(), QStringLiteral("Speichern"));
    QCOMPARE(dlg.CancelBtn->text(), QStringLiteral("Abbrechen"));
    QStringList captions;
    for (QMenu *m : {dlg.PopupMenuStrGrid1, dlg.PopupMenuStrGrid2})
        for (QAction *a : m->actions())
            captions.append(a->text());
    QCOMPARE(captions,
        (QStringList {QStringLiteral("Hin&zufügen..."), QStringLiteral("Än&dern..."),
            QStringLiteral("Lö&schen"), QStringLiteral("Hin&zufügen..."),
            QStringLiteral("Än&dern..."), QStringLiteral("Lö&schen...")}));
    QCOMPARE(HelpContext(dlg.PopupMenuStrGrid2->actions()[2]), 510072);
    // Tab order: provider list, weekend grid, weekday grid, Speichern, Abbrechen, provider buttons.
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg.ProvidersCB));
    for (QWidget *next : std::initializer_list<QWidget *> {dlg.ProvStrGrid2, dlg.ProvStrGrid1,
             dlg.SaveBtn, dlg.CancelBtn, dlg.AddProv, dlg.EditProv, dlg.DelProv, dlg.TakeOverProv,
             dlg.ProvidersCB}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // No text is cut off: every label and cell fits its place.
    for (QLabel *l : {dlg.Label4, dlg.Label5})
        QVERIFY(l->x() + l->sizeHint().width() <= dlg.FreeHours->x());
    const QFontMetrics fm(dlg.ProvStrGrid1->font());
    QVERIFY(
        fm.horizontalAdvance(QStringLiteral("23:59:59 Uhr")) < dlg.ProvStrGrid1->columnWidth(1));
    QVERIFY(fm.horizontalAdvance(QStringLiteral("1000,0000 Sekunde(n)"))
        < dlg.ProvStrGrid1->columnWidth(2));
    QVERIFY(dlg.Panel2->geometry().left() > dlg.ProvStrGrid1->geometry().right());
    QVERIFY(dlg.rect().contains(dlg.Panel2->geometry()));
}

void TestEditor::displayGerman()
{
    TScopedLocaleSettings german(TLocaleSettings::German());
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    QVERIFY(msgs.Messages().isEmpty());
    QCOMPARE(dlg.ProvidersCB->count(), 2);
    QCOMPARE(dlg.ProvidersCB->itemText(0), QStringLiteral("Beispiel Tarif"));
    QCOMPARE(dlg.ProvidersCB->currentIndex(), 0);
    QCOMPARE(dlg.FreeHours->text(), QStringLiteral("00:00:00 Stunde(n)"));
    QCOMPARE(dlg.Grundbetrag->text(), QStringLiteral("0,00 €"));
    QCOMPARE(dlg.ProvStrGrid1->RowCount(), 4);
    QCOMPARE(row(dlg.ProvStrGrid1, 1),
        (QStringList {
            "00:00:00 Uhr", "07:59:59 Uhr", "60,0000 Sekunde(n)", QStringLiteral("0,0100 €")}));
    QCOMPARE(row(dlg.ProvStrGrid1, 2),
        (QStringList {
            "08:00:00 Uhr", "17:59:59 Uhr", "0,5000 Sekunde(n)", QStringLiteral("0,0300 €")}));
    QCOMPARE(dlg.ProvStrGrid2->RowCount(), 2);
    QCOMPARE(dlg.ProvStrGrid1->Row(), 1);
    dlg.ProvStrGrid1->SetRow(3);

    pickProvider(dlg, 1);
    QCOMPARE(dlg.ProvStrGrid1->Row(), 1); // the selection stays within the rows shown
    QCOMPARE(dlg.ProvidersCB->currentIndex(), 1);
    QCOMPARE(dlg.FreeHours->text(), QStringLiteral("100:00:00 Stunde(n)"));
    QCOMPARE(dlg.Grundbetrag->text(), QStringLiteral("4,95 €"));
    QCOMPARE(dlg.ProvStrGrid1->RowCount(), 2);
    QCOMPARE(row(dlg.ProvStrGrid1, 1),
        (QStringList {
            "00:00:00 Uhr", "23:59:59 Uhr", "60,0000 Sekunde(n)", QStringLiteral("0,0099 €")}));
    // A provider without weekend entries: the header and one empty row.
    QCOMPARE(dlg.ProvStrGrid2->RowCount(), 2);
    QCOMPARE(row(dlg.ProvStrGrid2, 1), (QStringList {"", "", "", ""}));
    QVERIFY(!dlg.Modified());

    // With items but none selected, the display selects and shows the first.
    dlg.ProvidersCB->setCurrentIndex(-1);
    dlg.ShowSelectedProvider();
    QCOMPARE(dlg.ProvidersCB->currentIndex(), 0);
    QCOMPARE(dlg.FreeHours->text(), QStringLiteral("00:00:00 Stunde(n)"));
    QCOMPARE(dlg.ProvStrGrid1->RowCount(), 4);
}

void TestEditor::displayPointDecimal()
{
    TScopedLocaleSettings dollar(DollarLocale());
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    QCOMPARE(dlg.Grundbetrag->text(), QStringLiteral("$0.00"));
    QCOMPARE(row(dlg.ProvStrGrid1, 2),
        (QStringList {"08:00:00 Uhr", "17:59:59 Uhr", "0.5000 Sekunde(n)", "$0.0300"}));
    dlg.ProvidersCB->setCurrentIndex(1);
    dlg.ProvidersCBChange();
    QCOMPARE(dlg.Grundbetrag->text(), QStringLiteral("$4.95"));
}

void TestEditor::emptyFile()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    TTheIniFile ini;
    TProvidersDlg dlg(nullptr, ini, User); // no such file
    QVERIFY(msgs.Messages().isEmpty());
    QCOMPARE(dlg.ProvidersCB->count(), 0);
    QCOMPARE(dlg.FreeHours->text(), QStringLiteral("00:00:00 Stunde(n)"));
    QCOMPARE(dlg.Grundbetrag->text(), QStringLiteral("0,00 €"));
    for (TStringGrid *g : {dlg.ProvStrGrid1, dlg.ProvStrGrid2}) {
        QCOMPARE(g->RowCount(), 2);
        QCOMPARE(row(g, 1), (QStringList {"", "", "", ""}));
    }
    QVERIFY(dir.Entries().isEmpty());
}

void TestEditor::keysInProviderListAreDiscarded()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.ProvidersCB->setFocus();
    const QStringList before = row(dlg.ProvStrGrid1, 1);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Home,
             Qt::Key_PageUp, Qt::Key_F, Qt::Key_B, Qt::Key_Space})
        QTest::keyClick(dlg.ProvidersCB, key);
    QTest::keyClicks(dlg.ProvidersCB, "Flat");
    QTest::keyClick(dlg.ProvidersCB, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(dlg.ProvidersCB->currentIndex(), 0);
    QCOMPARE(row(dlg.ProvStrGrid1, 1), before);
    QVERIFY(!dlg.ProvidersCB->view()->isVisible());
    QTest::keyClick(dlg.ProvidersCB, Qt::Key_F1);
    QCOMPARE(m_help, QList<int> {510010});

    // Opened with the mouse, the list takes no keys either; Esc closes it.
    dlg.ProvidersCB->showPopup();
    QAbstractItemView *view = dlg.ProvidersCB->view();
    QVERIFY(QTest::qWaitFor([view] { return view->isVisible(); }));
    for (Qt::Key key :
        {Qt::Key_Down, Qt::Key_End, Qt::Key_F, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
        QTest::keyClick(view, key);
    QVERIFY(view->isVisible());
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(QTest::qWaitFor([view] { return !view->isVisible(); }));
    QCOMPARE(dlg.ProvidersCB->currentIndex(), 0);
    QCOMPARE(row(dlg.ProvStrGrid1, 1), before);
    pickProvider(dlg, 1); // the mouse still picks
    QCOMPARE(dlg.ProvidersCB->currentIndex(), 1);
    dlg.ProvidersCB->setFocus();
    // Esc still closes the window from the list.
    QTest::keyClick(dlg.ProvidersCB, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QVERIFY(dlg.ProvidersCB->maxVisibleItems() >= 20);
}

void TestEditor::gridKeysStartCommands()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.ProvStrGrid1->setFocus();
    QTest::keyClick(dlg.ProvStrGrid1, Qt::Key_A);
    QTest::keyClick(dlg.ProvStrGrid1, Qt::Key_Down);
    QVERIFY(msgs.Messages().isEmpty());
    // Insert opens the add dialog of its grid's day class, Delete asks about
    // the selected row of its grid; each key starts its command once, on release.
    QStringList titles;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&titles] {
        if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            modal && modal->isVisible()) {
            titles.append(modal->windowTitle());
            modal->reject();
        }
    });
    answer.start();
    QTest::keyClick(dlg.ProvStrGrid1, Qt::Key_Insert);
    QTest::keyClick(dlg.ProvStrGrid2, Qt::Key_Insert);
    QCOMPARE(titles,
        (QStringList {QStringLiteral("Neuen Eintrag (Werktag) hinzufügen"),
            QStringLiteral("Neuen Eintrag (Sa/So/Feiertag) hinzufügen")}));
    msgs.Answer(idNo);
    msgs.Answer(idNo);
    QTest::keyClick(dlg.ProvStrGrid1, Qt::Key_Delete);
    QTest::keyClick(dlg.ProvStrGrid2, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(msgs.Messages().size(), 2);
    QCOMPARE(msgs.Messages()[0].Caption,
        QStringLiteral("Löschen eines Eintrags (Beispiel Tarif, Werktag, Eintrag 2)"));
    QCOMPARE(msgs.Messages()[1].Caption,
        QStringLiteral("Löschen eines Eintrags (Beispiel Tarif, Sa./So./Feiertag, Eintrag 1)"));
    QVERIFY(!dlg.Modified());
    QTest::keyClick(dlg.ProvStrGrid1, Qt::Key_F1);
    QCOMPARE(m_help, QList<int> {510020});
    answer.stop();

    // Shift+F10 opens the grid's context menu, as the menu key does.
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    for (auto [grid, menu] : {std::pair {dlg.ProvStrGrid1, dlg.PopupMenuStrGrid1},
             std::pair {dlg.ProvStrGrid2, dlg.PopupMenuStrGrid2}}) {
        grid->setFocus();
        QTest::keyClick(dlg.windowHandle(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
    }
}

// The grid with the focus shows its current row highlighted; the other one
// shows it muted, so that it is plain which grid Insert and Delete act on.
void TestEditor::focusedGridShowsItsRow()
{
    EditorOnSample e;
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    TStringGrid *grid = dlg.ProvStrGrid1;
    grid->SetRow(1);
    auto rowColour = [grid] {
        const QRect cell = grid->visualRect(grid->model()->index(0, 1));
        return grid->viewport()->grab().toImage().pixelColor(cell.right() - 4, cell.top() + 3);
    };
    grid->setFocus();
    const QColor focused = rowColour();
    dlg.ProvStrGrid2->setFocus();
    const QColor unfocused = rowColour();
    // Near the highlight with the focus (the style may shade it), far from it without.
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    auto distance = [&highlight](const QColor &c) {
        return std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green())
            + std::abs(c.blue() - highlight.blue());
    };
    QVERIFY2(distance(focused) < 24, qPrintable(focused.name()));
    QVERIFY2(distance(unfocused) > 96, qPrintable(unfocused.name()));
}

void TestEditor::enterOnFocusedButton_data()
{
    QTest::addColumn<int>("focus"); // 0 Speichern, 1 Abbrechen, 2 the weekday grid
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Speichern") << 0
                               << QStringList {QStringLiteral(
                                      "Möchten Sie die Änderungen wirklich speichern?")}
                               << false;
    QTest::newRow("Abbrechen") << 1 << QStringList() << true;
    QTest::newRow("grid: no default button") << 2 << QStringList() << false;
}

void TestEditor::enterOnFocusedButton()
{
    QFETCH(int, focus);
    QFETCH(QStringList, asked);
    QFETCH(bool, closes);
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QWidget *target
        = std::initializer_list<QWidget *> {dlg.SaveBtn, dlg.CancelBtn, dlg.ProvStrGrid1}
              .begin()[focus];
    target->setFocus();
    msgs.Answer(idNo);
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(msgs.Texts(), asked);
    QCOMPARE(dlg.isVisible(), !closes);
}

void TestEditor::gridDoubleClickStartsEditCommand()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.ProvidersCB->setCurrentIndex(1); // one entry row in each grid
    dlg.ProvidersCBChange();
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // Each double click opens the grid's edit dialog once.
    int opened = 0;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&opened] {
        if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            modal && modal->isVisible()) {
            ++opened;
            modal->reject();
        }
    });
    answer.start();
    for (TStringGrid *grid : {dlg.ProvStrGrid1, dlg.ProvStrGrid2}) {
        const QPoint cell = grid->visualRect(grid->model()->index(0, 1)).center();
        const QPoint below(grid->viewport()->width() / 2, grid->viewport()->height() - 3);
        QVERIFY(!grid->indexAt(below).isValid());
        const std::pair<QWidget *, QPoint> places[] = {{grid->viewport(), cell},
            {grid->viewport(), below}, {grid->horizontalHeader()->viewport(), {4, 4}}};
        for (const auto &[widget, point] : places) {
            opened = 0;
            QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
            QCOMPARE(opened + msgs.Messages().size(), 1);
            msgs.Clear();
        }
    }
}

void TestEditor::sortButtonKeepsModified()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    const QStringList before = row(dlg.ProvStrGrid1, 1);
    QTest::mouseClick(dlg.SortBtn, Qt::LeftButton);
    QCOMPARE(row(dlg.ProvStrGrid1, 1), before);
    QVERIFY(!dlg.Modified());
    // A list left out of order by a command shows sorted after the click.
    auto &list = dlg.Data.Entries(0, TDayClass::Weekday);
    std::reverse(list.begin(), list.end());
    dlg.ShowSelectedProvider();
    QCOMPARE(dlg.ProvStrGrid1->Cells(0, 1), QStringLiteral("18:00:00 Uhr"));
    dlg.Data.Modified = true;
    QTest::mouseClick(dlg.SortBtn, Qt::LeftButton);
    QCOMPARE(row(dlg.ProvStrGrid1, 1), before);
    QVERIFY(dlg.Modified());
}

void TestEditor::closeWithoutChangesAsksNothing()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(msgs.Messages().isEmpty());
}

void TestEditor::closeQuestionNoLeavesFile()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    dlg.Data.Modified = true;
    msgs.Answer(idNo);
    QTest::mouseClick(dlg.CancelBtn, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(msgs.Texts(), QStringList {QStringLiteral("Angaben wurden geändert. Speichern?")});
    QCOMPARE(msgs.Messages()[0].Kind, mkConfirmation);
    QCOMPARE(msgs.Messages()[0].Buttons, TMsgBoxButtons({btYesNo}));
    QCOMPARE(dir.Read(User), sampleFile());
    QCOMPARE(saved.count(), 0);
}

void TestEditor::closeQuestionYesLeadsToSaveQuestion()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    dlg.Data.Modified = true;
    msgs.Answer(idYes);
    msgs.Answer(idNo);
    dlg.close();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(msgs.Texts(),
        (QStringList {QStringLiteral("Angaben wurden geändert. Speichern?"),
            QStringLiteral("Möchten Sie die Änderungen wirklich speichern?")}));
    QCOMPARE(dir.Read(User), sampleFile());
    QCOMPARE(saved.count(), 0);
}

void TestEditor::saveThroughWindow()
{
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    msgs.Answer(idYes);
    QTest::mouseClick(dlg.SaveBtn, Qt::LeftButton);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Möchten Sie die Änderungen wirklich speichern?")});
    QCOMPARE(dir.Read(User), expectedSave());
    QCOMPARE(saved.count(), 1);
    QVERIFY(!dlg.Modified());
    QTRY_VERIFY(!dlg.isVisible()); // the window closes once the handler has returned
    QCOMPARE(msgs.Messages().size(), 1); // and does not ask again
    QCOMPARE(dir.Entries(), QStringList {User});
    QVERIFY(!QApplication::overrideCursor());
}

void TestEditor::failedSaveKeepsEditorOpen()
{
    class FailingRename : public TFileSystem
    {
    public:
        int Rename(const QString &, const QString &) override { return 5; }
    };
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    dlg.Data.Modified = true;
    FailingRename fs;
    TScopedFileSystem scoped(&fs);
    msgs.Answer(idYes);
    QTest::mouseClick(dlg.SaveBtn, Qt::LeftButton);
    QCOMPARE(msgs.Messages().size(), 2);
    QCOMPARE(msgs.Messages()[1].Text,
        QStringLiteral("Konnte ") + dir.FilePath(User)
            + QStringLiteral(" nicht speichern!\rDie bisherige Datei bleibt unverändert.\rFehler "
                             "5: Zugriff verweigert"));
    QTest::qWait(20);
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.Modified());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(dir.Read(User), sampleFile());
    QVERIFY(!QApplication::overrideCursor());
}

void TestEditor::failedSaveOnClosingKeepsEditorOpen()
{
    class FailingSync : public TFileSystem
    {
    public:
        int Sync(int) override { return 112; }
    };
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    dlg.Data.Modified = true;
    {
        FailingSync fs;
        TScopedFileSystem scoped(&fs);
        msgs.Answer(idYes); // save the changes
        msgs.Answer(idYes); // really
        QTest::keyClick(&dlg, Qt::Key_Escape);
    }
    QCOMPARE(msgs.Messages().size(), 3);
    QVERIFY(msgs.Messages()[2].Text.contains(QStringLiteral("nicht speichern!")));
    QTest::qWait(20);
    QVERIFY(dlg.isVisible()); // the changes are still there to be saved
    QVERIFY(dlg.Modified());
    QCOMPARE(dir.Read(User), sampleFile());

    // Closing again asks again; this time the save works and the window closes.
    msgs.Clear();
    msgs.Answer(idYes);
    msgs.Answer(idYes);
    dlg.close();
    QTRY_VERIFY(!dlg.isVisible());
    QCOMPARE(msgs.Messages().size(), 2);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(dir.Read(User), expectedSave());
}

void TestEditor::saveMessagesWithNormalCursor_data()
{
    QTest::addColumn<bool>("writeProtected");
    QTest::addColumn<QString>("message");
    QTest::newRow("write fails") << false << QStringLiteral(" nicht speichern!");
    QTest::newRow("write protection stays") << true << QStringLiteral("Kann Schreibschutz von ");
}

void TestEditor::saveMessagesWithNormalCursor()
{
    class Failing : public TFileSystem
    {
    public:
        bool Protected = false;
        bool IsWriteProtected(const QString &path) override
        {
            return Protected || TFileSystem::IsWriteProtected(path);
        }
        bool RemoveWriteProtection(const QString &path) override
        {
            return !Protected && TFileSystem::RemoveWriteProtection(path);
        }
        int Rename(const QString &, const QString &) override { return 5; }
    };
    QFETCH(bool, writeProtected);
    QFETCH(QString, message);
    EditorOnSample e;
    auto [dir, msgs, saved] = e.Parts();
    TProvidersDlg &dlg = *e.dlg;
    dlg.show();
    Failing fs;
    fs.Protected = writeProtected;
    TScopedFileSystem scoped(&fs);
    QStringList texts;
    QList<int> cursors; // the override cursor's shape while each box shows, -1 for none
    const TMsgBoxHandler previous = SetMsgBoxHandler([&](const TMsgBoxRequest &r) {
        texts.append(r.Text);
        cursors.append(
            QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
        return int(idYes);
    });
    QTest::mouseClick(dlg.SaveBtn, Qt::LeftButton);
    SetMsgBoxHandler(previous);
    QVERIFY(texts.size() >= 2);
    QVERIFY2(texts[1].contains(message), qPrintable(texts[1]));
    QVERIFY(!cursors.contains(int(Qt::WaitCursor)));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(dir.Read(User), sampleFile());
}

void TestEditor::waitWindowWhileLoadingAndSaving()
{
    // Notes the text of the visible wait window at every read and write.
    class Watching : public TFileSystem
    {
    public:
        QStringList Seen;
        int ReadWholeFile(const QString &path, QByteArray &bytes) override
        {
            look();
            return TFileSystem::ReadWholeFile(path, bytes);
        }
        qint64 Write(int handle, const char *data, qint64 size) override
        {
            look();
            return TFileSystem::Write(handle, data, size);
        }

    private:
        void look()
        {
            QString text;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *wait = qobject_cast<TWaitForm *>(w); wait && wait->isVisible())
                    text = wait->Label1->text();
            Seen.append(text);
        }
    };
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, sampleFile());
    Watching fs;
    TScopedFileSystem scoped(&fs);
    TMain main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    onModal(
        [&](QWidget *w) {
            msgs.Answer(idYes);
            QTest::mouseClick(static_cast<TProvidersDlg *>(w)->SaveBtn, Qt::LeftButton);
        },
        &main);
    QTest::mouseClick(main.OKBtn, Qt::LeftButton);
    QTRY_VERIFY(!main.isVisible());
    QVERIFY(fs.Seen.size() >= 2);
    QCOMPARE(fs.Seen.first(),
        QStringLiteral("Bitte warten Sie bis die Providerinformationen eingelesen wurden."));
    QCOMPARE(fs.Seen.last(),
        QStringLiteral("Bitte warten Sie bis die Providerinformationen geschrieben wurden."));
    QVERIFY(main.RestartNeeded);
}

void TestEditor::startWindowTextsAndHelp()
{
    TempProgramDir dir;
    TMain main;
    QCOMPARE(main.Label2->text(),
        QStringLiteral(
            "Die Angaben in Hauptproviderdatei enthalten den Hauptdatenbestand an Tarifen. Diese "
            "Datei wird bei einem Online-Update komplett ersetzt, so dass Ihre Änderungen verloren "
            "gehen. Ändern Sie deshalb nur die benutzerdefinierte Providerdatei."));
    QCOMPARE(main.Label1->text(), QStringLiteral("Providerinformation:"));
    QStringList items;
    for (int i = 0; i < main.ProviderInfosSelectLB->count(); ++i)
        items.append(main.ProviderInfosSelectLB->item(i)->text());
    QCOMPARE(items,
        (QStringList {QStringLiteral("Hauptproviderdatei bearbeiten"),
            QStringLiteral("Benutzerdefinierte Providerdatei bearbeiten")}));
    QCOMPARE(main.OKBtn->text(), QStringLiteral("OK"));
    QCOMPARE(main.CancelBtn->text(), QStringLiteral("Beenden"));
    QCOMPARE((QList<int> {HelpContext(&main), HelpContext(main.ProviderInfosSelectLB),
                 HelpContext(main.OKBtn), HelpContext(main.CancelBtn)}),
        (QList<int> {510000, 510001, 1, 2}));
}

void TestEditor::startWindowFlow()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, sampleFile());
    dir.Write(Main, CrLf({"[PROVIDER]", "P0=Haupt,HAUP0001"}));
    TMain main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(main.windowTitle().startsWith(QStringLiteral("Zalvor - Tarifeditor 3.00 [")));
    QCOMPARE(ApplicationTitle(), main.windowTitle());
    QCOMPARE(main.ProviderInfosSelectLB->currentRow(), 1);
    QCOMPARE(main.GetSelectedFileName(), User);
    QCOMPARE(main.CancelBtn->text(), QStringLiteral("Beenden"));

    QString opened;
    int providers = -1;
    onModal([&](QWidget *w) {
        auto *editor = qobject_cast<TProvidersDlg *>(w);
        QVERIFY(editor);
        opened = editor->FileName();
        providers = editor->ProvidersCB->count();
        QTest::keyClick(editor, Qt::Key_Escape);
    });
    QTest::mouseClick(main.OKBtn, Qt::LeftButton);
    QCOMPARE(opened, User);
    QCOMPARE(providers, 2);
    QVERIFY(!main.isVisible()); // the program ends after the editor
    QVERIFY(msgs.Messages().isEmpty()); // no restart notice without a save
    QCOMPARE(dir.Read(User), sampleFile());
}

void TestEditor::startWindowRestartNoticeOnce()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(Main, sampleFile());
    {
        // Beenden ends at once, without a message.
        TMain main;
        main.show();
        QTest::mouseClick(main.CancelBtn, Qt::LeftButton);
        QVERIFY(!main.isVisible());
        QVERIFY(msgs.Messages().isEmpty());
    }
    {
        // So does Esc.
        TMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::keyClick(main.ProviderInfosSelectLB, Qt::Key_Escape);
        QVERIFY(!main.isVisible());
        QVERIFY(msgs.Messages().isEmpty());
    }
    {
        // A click on the empty area below the items takes the selection away:
        // then a double click there does nothing, and OK means the user file.
        TMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QListWidget *lb = main.ProviderInfosSelectLB;
        const QPoint empty(lb->viewport()->width() / 2, lb->viewport()->height() - 2);
        QVERIFY(!lb->itemAt(empty));
        QTest::mouseClick(
            lb->viewport(), Qt::LeftButton, {}, lb->visualItemRect(lb->item(0)).center());
        QCOMPARE(main.GetSelectedFileName(), Main);
        QTest::mouseClick(lb->viewport(), Qt::LeftButton, {}, empty);
        QVERIFY(lb->selectedItems().isEmpty());
        QTest::mouseDClick(lb->viewport(), Qt::LeftButton, {}, empty);
        QCoreApplication::processEvents();
        QVERIFY(main.isVisible());
        QCOMPARE(main.Editor, nullptr);
        QCOMPARE(main.GetSelectedFileName(), User);
    }
    TMain main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // Double-clicking the first item opens the main provider file.
    QListWidget *lb = main.ProviderInfosSelectLB;
    const QRect first = lb->visualItemRect(lb->item(0));
    onModal([&](QWidget *w) {
        auto *editor = qobject_cast<TProvidersDlg *>(w);
        QVERIFY(editor);
        QCOMPARE(editor->FileName(), Main);
        msgs.Answer(idYes);
        QTest::mouseClick(editor->SaveBtn, Qt::LeftButton);
    });
    QTest::mouseClick(lb->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(lb->viewport(), Qt::LeftButton, {}, first.center());
    QTRY_VERIFY(!main.isVisible());
    QCOMPARE(msgs.Texts(),
        (QStringList {QStringLiteral("Möchten Sie die Änderungen wirklich speichern?"),
            QStringLiteral(
                "Sie müssen Zalvor neu starten, damit die Änderungen wirksam werden.")}));
    QCOMPARE(msgs.Messages()[1].Caption, QStringLiteral("Information"));
    QCOMPARE(msgs.Messages()[1].Kind, mkInformation);
    QVERIFY(dir.Read(Main).startsWith("; Provider.ini\r\n"));
    main.close();
    QCOMPARE(msgs.Messages().size(), 2);
}

void TestEditor::startWindowKeys_data()
{
    QTest::addColumn<int>("tabs"); // from the list: 1 reaches OK, 2 Beenden
    QTest::addColumn<bool>("deselect");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("opened"); // empty: no editor
    QTest::newRow("Enter on Beenden") << 2 << false << int(Qt::Key_Return) << QString();
    QTest::newRow("Space on Beenden") << 2 << false << int(Qt::Key_Space) << QString();
    QTest::newRow("Enter on OK") << 1 << false << int(Qt::Key_Enter) << User;
    QTest::newRow("Space on OK") << 1 << false << int(Qt::Key_Space) << User;
    QTest::newRow("Enter in the list") << 0 << false << int(Qt::Key_Return) << User;
    QTest::newRow("Enter in the list, nothing selected")
        << 0 << true << int(Qt::Key_Return) << QString();
}

void TestEditor::startWindowKeys()
{
    QFETCH(int, tabs);
    QFETCH(bool, deselect);
    QFETCH(int, key);
    QFETCH(QString, opened);
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, sampleFile());
    TMain main;
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    if (deselect)
        main.ProviderInfosSelectLB->clearSelection();
    for (int i = 0; i < tabs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QString seen;
    onModal(
        [&](QWidget *w) {
            seen = static_cast<TProvidersDlg *>(w)->FileName();
            QTest::keyClick(w, Qt::Key_Escape);
        },
        &main);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(seen, opened);
    // After the editor, and after Beenden, the program ends; a key that does nothing leaves it
    // open.
    QCOMPARE(main.isVisible(), opened.isEmpty() && deselect);
}

void TestEditor::editorCreationFailureIsReported_data()
{
    QTest::addColumn<bool>("outOfMemory");
    QTest::addColumn<QString>("reason");
    QTest::newRow("error") << false << QStringLiteral("Lesefehler");
    QTest::newRow("memory runs out")
        << true << QStringLiteral("Fehler 8: nicht genügend Arbeitsspeicher");
}

void TestEditor::editorCreationFailureIsReported()
{
    class Throwing : public TFileSystem
    {
    public:
        bool outOfMemory = false;
        int ReadWholeFile(const QString &, QByteArray &) override
        {
            if (outOfMemory)
                throw std::bad_alloc();
            throw std::runtime_error("Lesefehler");
        }
    };
    QFETCH(bool, outOfMemory);
    QFETCH(QString, reason);
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, sampleFile());
    Throwing fs;
    fs.outOfMemory = outOfMemory;
    TScopedFileSystem scoped(&fs);
    TMain main;
    main.show();
    QTest::mouseClick(main.OKBtn, Qt::LeftButton);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Der Tarifeditor konnte nicht geöffnet werden (%1).\r"
                                    "Die Datei UserProv.ini wurde nicht verändert.")
                         .arg(reason)});
    QCOMPARE(msgs.Messages()[0].Kind, mkError);
    QVERIFY(!main.isVisible());
    QCOMPARE(main.Editor, nullptr);
    QCoreApplication::processEvents();
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<TWaitForm *>(w) && w->isVisible()));
    QCOMPARE(dir.Read(User), sampleFile());
}

void TestEditor::unreadableFileIsNotOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::newRow("no permission") << QStringLiteral("seam") << 5;
    QTest::newRow("read error") << QStringLiteral("seam") << 1117;
#ifdef Q_OS_WIN
    // Windows has no FIFOs; a folder of the file's name cannot be opened.
    QTest::newRow("folder") << QStringLiteral("folder") << 5;
#else
    QTest::newRow("FIFO") << QStringLiteral("fifo") << 161;
#endif
    QTest::newRow("larger than 64 MiB") << QStringLiteral("large") << 223;
}

void TestEditor::unreadableFileIsNotOpened()
{
    class Failing : public TFileSystem
    {
    public:
        int code = 0;
        int ReadWholeFile(const QString &path, QByteArray &bytes) override
        {
            return code != 0 ? (m_lastError = code) : TFileSystem::ReadWholeFile(path, bytes);
        }
    };
    QFETCH(QString, kind);
    QFETCH(int, code);
    TempProgramDir dir;
    MsgRecorder msgs;
    const QString path = dir.FilePath(User);
    if (kind == u"fifo") {
#ifndef Q_OS_WIN
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
#endif
    } else if (kind == u"folder") {
        QVERIFY(QDir().mkdir(path));
    } else {
        dir.Write(User, sampleFile());
        if (kind == u"large")
            QVERIFY(QFile(path).resize(MaxFileBytes + 1)); // sparse where the system can
    }
    const QDateTime modifiedBefore = QFileInfo(path).lastModified();
    const qint64 sizeBefore = QFileInfo(path).size();
    Failing fs;
    fs.code = kind == u"seam" ? code : 0;
    TScopedFileSystem scoped(&fs);
    TMain main;
    main.show();
    // An editor opened on the file would wait for the user: close it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto *editor = qobject_cast<TProvidersDlg *>(QApplication::activeModalWidget()))
            editor->reject();
    });
    closer.start(200);
#ifndef Q_OS_WIN
    ::alarm(30); // opening a FIFO would wait for ever
#endif
    QTest::mouseClick(main.OKBtn, Qt::LeftButton);
#ifndef Q_OS_WIN
    ::alarm(0);
#endif
    const QString text = code == 223
        ? QStringLiteral("Die Datei %1 ist zu groß (mehr als 64 MiB).").arg(path)
        : QStringLiteral("Die Datei %1 kann nicht gelesen werden.\r").arg(path)
            + ErrorCodeText(code);
    QCOMPARE(msgs.Texts(),
        QStringList {
            text + QStringLiteral("\rDie Datei wird nicht bearbeitet und bleibt unverändert.")});
    QCOMPARE(msgs.Messages()[0].Kind, mkError);
    // The start window stays for the other file or Beenden.
    QVERIFY(main.isVisible());
    QCOMPARE(main.Editor, nullptr);
    QCoreApplication::processEvents();
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!(
            (qobject_cast<TWaitForm *>(w) || qobject_cast<TProvidersDlg *>(w)) && w->isVisible()));
    QCOMPARE(QFileInfo(path).lastModified(), modifiedBefore);
    QCOMPARE(QFileInfo(path).size(), sizeBefore);
}

QTEST_MAIN(TestEditor)
#include "tst_gui_editor.moc"
