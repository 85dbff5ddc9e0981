#include "TestSupport.h"

#include "controls/ContextHelp.h"
#include "controls/MySpeedButton.h"
#include "dialogs/TakeOverProvDlg.h"
#include "editor/ProvidersDlg.h"
#include "model/ProviderLoader.h"
#include "model/TariffRules.h"
#include "support/Cp1252.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString User = QStringLiteral("UserProv.ini");
const QString Main = QStringLiteral("Provider.ini");

// Sorted, the main file lists: Nachtfalke, TELE-Spar, Tele Plus, flat online,
// Überall Günstig. Nachtfalke has two faulty lines.
QByteArray mainFile()
{
    QString text = QStringLiteral(
        "[PROVIDER]\nP0=Tele_Plus,TELE0001\nP1=Überall_Günstig,UEBE0001\n"
        "P2=TELE-Spar,TELS0001\nP3=flat_online,FLAT0001\nP4=Nachtfalke,NACH0001\n");
    for (const char *section : {"WERKTAG", "SASO"}) {
        text += QStringLiteral("[UEBE0001%1]\n").arg(QLatin1String(section));
        for (int h = 0; h < 21; ++h)
            text += QStringLiteral("UEBE0001%1=%2:00-%2:59/%3/0.0%4\n")
                        .arg(h)
                        .arg(h, 2, 10, QChar(u'0'))
                        .arg(30 + h)
                        .arg(h % 9 + 1);
    }
    text += QStringLiteral(
        "[UEBE0001FREEHOURSRANGE]\nUEBE00010=23456|18:00-23:00/60.0000/\nUEBE00011=17|00:00-23:59/"
        "60/\n"
        "[TELE0001WERKTAG]\nTELE00010=08:00-17:59/60/0.03\n[TELE0001SASO]\nTELE00010=00:00-23:59/"
        "60/0.01\n"
        "[TELS0001WERKTAG]\nTELS00010=00:00-23:59/1/0.001\n[NACH0001WERKTAG]\nNACH00010=kaputt\n"
        "NACH00011=25:00-26:00/60/0.01\nNACH00012=18:00-23:59/60/"
        "0.02\n[FREISTUNDEN]\nUEBE0001=18000\n"
        "[GRUNDBETRAG]\nUEBE0001=495\nTELE0001=1000\n[NOCOSTS]\nUEBE0001=2500\n[COSTSPERDAY]\n"
        "UEBE0001=50\n[TIMING]\nUEBE0001=60\n[MinConnectTime]\nUEBE0001=30\n");
    return Cp1252::encode(text.replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
}

QByteArray userFile()
{
    return CrLf({"[PROVIDER]", "P0=Flat_Online,FLAT0001", "P1=Telefonie,tele0001"});
}

// The user file with `count` providers.
QByteArray userFileWith(int count)
{
    QByteArray bytes = "[PROVIDER]\r\n";
    for (int i = 0; i < count; ++i)
        bytes += QStringLiteral("P%1=Anbieter_%1,ANBI%2\r\n")
                     .arg(i)
                     .arg(i + 1, 4, 10, QChar(u'0'))
                     .toLatin1();
    return bytes;
}

TProviderData load(const QString &name, int *faulty = nullptr)
{
    TTheIniFile ini;
    ini.SetReadOnly(true);
    TProviderData data;
    data.FileName = name;
    LoadProviderFile(ini, data, faulty);
    return data;
}

int indexOfName(const TProviderData &data, const QString &name)
{
    for (int i = 0; i < data.Count(); ++i)
        if (data.Provider(i).Name == name)
            return i;
    return -1;
}

// Runs `action` on the take-over dialog once it is shown modally; the
// polling ends with the owner when no dialog came.
void onTakeOverDlg(QObject *owner, std::function<void(TTakeOverProvDlg *)> action)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto *dlg = qobject_cast<TTakeOverProvDlg *>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        action(dlg);
    });
    timer->start();
}

// Chooses the rows with the mouse: a click on the first, Ctrl+clicks on the others.
void chooseRows(TTakeOverProvDlg *dlg, const QList<int> &rows)
{
    QListWidget *lb = dlg->ProvidersLB;
    for (qsizetype n = 0; n < rows.size(); ++n) {
        const QRect r = lb->visualItemRect(lb->item(rows[n]));
        QTest::mouseClick(lb->viewport(), Qt::LeftButton,
            n == 0 ? Qt::NoModifier : Qt::ControlModifier, r.center());
    }
}

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList shownNames(const QListWidget *lb)
{
    QStringList names;
    for (int i = 0; i < lb->count(); ++i)
        if (!lb->item(i)->isHidden())
            names.append(lb->item(i)->text());
    return names;
}

struct FileState
{
    QByteArray Bytes;
    QFileDevice::Permissions Permissions;
    QDateTime Modified;
    bool operator==(const FileState &) const = default;
};

FileState stateOf(const QString &path)
{
    QFile f(path);
    const QFileInfo info(path);
    return {f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), info.permissions(),
        info.lastModified().toUTC()};
}

} // namespace

class TestTakeOver : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (!TContextHelp::IsInstalled())
            TContextHelp::Install();
        TContextHelp::SetShowHandler([this](int n) { m_help.append(n); });
        m_help.clear();
    }
    void cleanup() { TContextHelp::SetShowHandler({}); }
    void takeOverSaveAndReload_data();
    void takeOverSaveAndReload();
    void filterNarrowsAndEnterTakes_data();
    void filterNarrowsAndEnterTakes();
    void refusals_data();
    void refusals();
    void keyboardRoutesAndCancel_data();
    void keyboardRoutesAndCancel();
    void notOfferedOnMainFile();

private:
    QList<int> m_help;
};

// Two providers (one with umlauts, ranges and 21+21 entries) and a duplicate
// chosen: the two arrive under fresh keys, the duplicate is named, and the
// main file stays exactly as it was, write-protected or not.
void TestTakeOver::takeOverSaveAndReload_data()
{
    QTest::addColumn<bool>("writeProtected");
    QTest::newRow("writable") << false;
    QTest::newRow("write-protected") << true;
}

void TestTakeOver::takeOverSaveAndReload()
{
    QFETCH(bool, writeProtected);
    TScopedLocaleSettings german(TLocaleSettings::German());
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, userFile());
    dir.Write(Main, mainFile());
    const QString mainPath = dir.FilePath(Main);
    QFile::setPermissions(mainPath,
        writeProtected ? QFile::ReadOwner | QFile::ReadGroup
                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    {
        QFile f(mainPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.setFileTime(QDateTime(QDate(2020, 5, 4), QTime(3, 2, 1), Qt::UTC),
            QFileDevice::FileModificationTime));
    }
    const FileState before = stateOf(mainPath);
    // Counting the faulty lines shows none of them and reads the same model.
    int faulty = 0;
    const TProviderData main = load(Main, &faulty);
    QCOMPARE(faulty, 2);
    QVERIFY(msgs.Messages().isEmpty());
    QVERIFY(load(Main).SameContent(main));
    QCOMPARE(msgs.Messages().size(), 2);
    msgs.Clear();

    TTheIniFile ini;
    TProvidersDlg dlg(nullptr, ini, User);
    dlg.show();
    QString summary, faults;
    onTakeOverDlg(&dlg, [&](TTakeOverProvDlg *d) {
        chooseRows(d, {4, 3, 2}); // Überall Günstig, flat online, Tele Plus
        summary = d->SummaryLabel->text();
        faults = d->FaultsLabel->isVisible() ? d->FaultsLabel->text() : QString();
        QTest::keyClick(d->ProvidersLB, Qt::Key_Return);
    });
    QTest::mouseClick(dlg.TakeOverProv, Qt::LeftButton);

    QCOMPARE(summary,
        QStringLiteral("1 Werktag-Eintrag, 1 Sa/So/Feiertag-Eintrag, Grundbetrag 10,00 €"));
    QCOMPARE(
        faults, QStringLiteral("2 fehlerhafte Zeilen der Hauptproviderdatei wurden übergangen."));
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Folgende Provider wurden nicht übernommen, da es bereits "
                                    "einen Provider mit diesem Namen gibt:\rflat online")});
    QVERIFY(dlg.Modified());
    QCOMPARE(dlg.ProvidersCB->count(), 4);
    QCOMPARE(dlg.ProvidersCB->currentText(), QStringLiteral("Tele Plus"));
    QCOMPARE(dlg.Grundbetrag->text(), QStringLiteral("10,00 €"));

    msgs.Clear();
    msgs.Answer(idYes);
    QTest::mouseClick(dlg.SaveBtn, Qt::LeftButton);
    QCOMPARE(msgs.Texts(),
        QStringList {QStringLiteral("Möchten Sie die Änderungen wirklich speichern?")});
    QCOMPARE(stateOf(mainPath), before);
    QCOMPARE(QDir(dir.Path()).entryList(QDir::Files), (QStringList {Main, User}));

    const TProviderData back = load(User);
    QCOMPARE(back.Count(), 4);
    QStringList keys;
    for (const QString &name : {QStringLiteral("Tele_Plus"), QStringLiteral("Überall_Günstig")}) {
        const int i = indexOfName(main, name), j = indexOfName(back, name);
        QVERIFY2(j >= 0, qPrintable(name));
        QCOMPARE(back.Options(j), main.Options(i));
        QCOMPARE(back.Entries(j, TDayClass::Weekday), main.Entries(i, TDayClass::Weekday));
        QCOMPARE(back.Entries(j, TDayClass::Weekend), main.Entries(i, TDayClass::Weekend));
        keys.append(back.Provider(j).Key);
    }
    const int overall = indexOfName(main, QStringLiteral("Überall_Günstig"));
    QCOMPARE(main.Entries(overall, TDayClass::Weekend).size()
            + main.Options(overall).FreeHoursRanges.size(),
        23);
    // Fresh keys as for a new provider: Telefonie holds tele0001 already,
    // which names the same sections as TELE0001.
    QCOMPARE(keys,
        (QStringList {QStringLiteral("TELE0002"),
            NewProviderKey(QStringLiteral("Überall Günstig"), {}).Key}));
}

void TestTakeOver::filterNarrowsAndEnterTakes_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QList<int>>("taken");
    const QString overall = QStringLiteral("Überall Günstig");
    QTest::newRow("tele") << QStringLiteral("tele")
                          << QStringList {QStringLiteral("TELE-Spar"), QStringLiteral("Tele Plus")}
                          << QStringLiteral(
                                 "1 Werktag-Eintrag, 0 Sa/So/Feiertag-Einträge, Grundbetrag 0,00 €")
                          << QList<int> {1};
    QTest::newRow("umlaut case")
        << QStringLiteral("üBERALL g") << QStringList {overall}
        << QStringLiteral("21 Werktag-Einträge, 21 Sa/So/Feiertag-Einträge, Grundbetrag 4,95 €")
        << QList<int> {4};
    QTest::newRow("nothing") << QStringLiteral("xyz") << QStringList {}
                             << QStringLiteral("Kein Provider enthält den Suchtext.")
                             << QList<int> {};
}

// Typing narrows the list; the first provider shown becomes the chosen one,
// and Enter in the field takes it (with nothing shown, Enter does nothing).
void TestTakeOver::filterNarrowsAndEnterTakes()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    QFETCH(QString, summary);
    QFETCH(QList<int>, taken);
    TScopedLocaleSettings german(TLocaleSettings::German());
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(Main, mainFile());
    const TProviderData main = load(Main);
    TTakeOverProvDlg dlg(nullptr, main, 0);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(!dlg.FaultsLabel->isVisible());
    QCOMPARE(dlg.SelectionLabel->text(), QStringLiteral("1 von 5 Providern ausgewählt"));
    QCOMPARE(dlg.focusWidget(), dlg.FilterEdit);
    QTest::keyClick(dlg.FilterEdit, Qt::Key_F1);
    QCOMPARE(m_help, QList<int> {51004310});
    typeText(dlg.FilterEdit, filter);
    QCOMPARE(shownNames(dlg.ProvidersLB), shown);
    QCOMPARE(dlg.SummaryLabel->text(), summary);
    QCOMPARE(dlg.ApplyBtn->isEnabled(), !taken.isEmpty());
    QTest::keyClick(dlg.FilterEdit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(dlg.isVisible(), taken.isEmpty());
    QCOMPARE(dlg.SelectedProviders(), taken);
}

void TestTakeOver::refusals_data()
{
    QTest::addColumn<int>("userProviders");
    QTest::addColumn<QString>("mainFile");
    QTest::addColumn<QString>("message");
    const QString unreadable
        = QStringLiteral("Die Hauptproviderdatei Provider.ini konnte nicht gelesen werden.");
    QTest::newRow("limit")
        << 1024 << QStringLiteral("file")
        << QStringLiteral("Es kann kein Provider aufgenommen werden, da das Maximum von 1025 "
                          "Providern damit überschritten würde!");
    QTest::newRow("main file missing") << 2 << QString() << unreadable;
    QTest::newRow("main file is a folder")
        << 2 << QStringLiteral("folder")
        << unreadable + QStringLiteral("\rFehler 5: Zugriff verweigert");
}

// The limit refuses two more providers before anything is copied; a main
// file that cannot be read gives one message and no dialog.
void TestTakeOver::refusals()
{
    QFETCH(int, userProviders);
    QFETCH(QString, mainFile);
    QFETCH(QString, message);
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, userFileWith(userProviders));
    if (mainFile == u"file")
        dir.Write(Main, ::mainFile());
    else if (mainFile == u"folder")
        QVERIFY(QDir(dir.Path()).mkdir(Main));
    TTheIniFile ini;
    TProvidersDlg dlg(nullptr, ini, User);
    dlg.show();
    bool dialogShown = false;
    onTakeOverDlg(&dlg, [&](TTakeOverProvDlg *d) {
        dialogShown = true;
        chooseRows(d, {0, 1});
        QTest::mouseClick(d->ApplyBtn, Qt::LeftButton);
    });
    dlg.TakeOverProvClick();
    QTest::qWait(30);
    QCOMPARE(dialogShown, mainFile == u"file");
    QCOMPARE(msgs.Texts(), QStringList {message});
    QCOMPARE(msgs.Messages()[0].Kind, mkError);
    QCOMPARE(dlg.ProvidersCB->count(), userProviders);
    QCOMPARE(dlg.Data.Count(), userProviders);
    QVERIFY(!dlg.Modified());
    QCOMPARE(QDir(dir.Path()).entryList(QDir::Files).size(), mainFile == u"file" ? 2 : 1);
}

void TestTakeOver::keyboardRoutesAndCancel_data()
{
    QTest::addColumn<QString>("route");
    QTest::newRow("Ctrl+H in the provider list") << QStringLiteral("ctrl+h");
    QTest::newRow("menu key, then H") << QStringLiteral("menu");
    QTest::newRow("Tab to the button, Space") << QStringLiteral("tab");
}

// Each keyboard route opens the dialog; Esc there changes nothing, Enter
// takes the first provider, and the editor's Abbrechen with No still leaves
// the user file as it was.
void TestTakeOver::keyboardRoutesAndCancel()
{
    QFETCH(QString, route);
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(User, userFile());
    dir.Write(Main, mainFile());
    TTheIniFile ini;
    TProvidersDlg dlg(nullptr, ini, User);
    dlg.show();
    auto open = [&] {
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        if (route == u"ctrl+h") {
            dlg.ProvidersCB->setFocus();
            QTest::keyClick(dlg.ProvidersCB, Qt::Key_H, Qt::ControlModifier);
        } else if (route == u"menu") {
            dlg.ProvidersCB->setFocus();
            QTest::keyClick(dlg.ProvidersCB, Qt::Key_Menu);
            QTRY_VERIFY(dlg.PopupMenuProvider->isVisible());
            QTest::keyClick(dlg.PopupMenuProvider, Qt::Key_H);
        } else {
            dlg.DelProv->setFocus();
            QTest::keyClick(&dlg, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), dlg.TakeOverProv);
            QTest::keyClick(dlg.TakeOverProv, Qt::Key_Space);
        }
    };
    bool opened = false;
    onTakeOverDlg(&dlg, [&](TTakeOverProvDlg *d) {
        opened = true;
        QTest::keyClick(d->FilterEdit, Qt::Key_Escape);
    });
    open();
    QTRY_VERIFY(opened);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(!dlg.Modified());
    QCOMPARE(dlg.ProvidersCB->count(), 2);

    onTakeOverDlg(
        &dlg, [](TTakeOverProvDlg *d) { QTest::keyClick(d->FilterEdit, Qt::Key_Return); });
    open();
    QTRY_COMPARE(dlg.ProvidersCB->count(), 3);
    QCOMPARE(dlg.ProvidersCB->currentText(), QStringLiteral("Nachtfalke"));
    QVERIFY(dlg.Modified());
    QVERIFY(msgs.Messages().isEmpty());

    msgs.Answer(idNo);
    QTest::mouseClick(dlg.CancelBtn, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(msgs.Texts(), QStringList {QStringLiteral("Angaben wurden geändert. Speichern?")});
    QCOMPARE(dir.Read(User), userFile());
}

void TestTakeOver::notOfferedOnMainFile()
{
    TempProgramDir dir;
    MsgRecorder msgs;
    dir.Write(Main, mainFile());
    dir.Write(User, userFile());
    TTheIniFile ini;
    TProvidersDlg user(nullptr, ini, User);
    QCOMPARE(user.TakeOverProv->Hint(),
        QStringLiteral("Übernimmt Provider aus\r\nder Hauptproviderdatei."));
    QCOMPARE(user.TakeOverProv->HelpContext(), 510043);
    QCOMPARE(HelpContext(user.PopupMenuProvider->actions().value(0)), 510043);
    QCOMPARE(user.PopupMenuProvider->actions().value(0)->text(),
        QStringLiteral("Aus &Hauptproviderdatei übernehmen…\tStrg+H"));
    // The button sits right of the three provider buttons, the list ends before them.
    QCOMPARE(user.TakeOverProv->geometry().left(), user.DelProv->geometry().right() + 1);
    QVERIFY(user.ProvidersCB->geometry().right() < user.Panel1->geometry().left());

    TProvidersDlg main(nullptr, ini, Main);
    msgs.Clear(); // the editor shows the main file's faulty lines
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QVERIFY(!main.TakeOverProv->isVisible());
    QCOMPARE(main.ProvidersCB->width(), user.ProvidersCB->width() + user.TakeOverProv->width());
    bool opened = false;
    onTakeOverDlg(&main, [&](TTakeOverProvDlg *d) {
        opened = true;
        d->reject();
    });
    QTest::keyClick(main.ProvidersCB, Qt::Key_H, Qt::ControlModifier);
    main.TakeOverProvClick();
    QTest::qWait(30);
    QVERIFY(!opened);
    QVERIFY(msgs.Messages().isEmpty());
}

QTEST_MAIN(TestTakeOver)
#include "tst_gui_takeover.moc"
