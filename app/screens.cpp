// tarifscreens DIR: renders every window of the program to PNG files in DIR
// (start window, editor on the sample user file and, when a Provider.ini lies
// next to it, on that main file, the entry, cent-to-euro, provider options and
// free-hours dialogs, the take-over dialog on that main file, wait window,
// message boxes, the help window), so that the screens can be looked at
// without a display.
// The scale comes from QT_SCALE_FACTOR; the file names carry it.

#include "app/MainWindow.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "dialogs/CentEuroDlg.h"
#include "dialogs/FreeHoursRangeDlg.h"
#include "dialogs/FreeHoursRangeEditDlg.h"
#include "dialogs/NewEditProviderDlg.h"
#include "dialogs/NewEditProvEntryDlg.h"
#include "controls/HelpWindow.h"
#include "dialogs/TakeOverProvDlg.h"
#include "editor/ProvidersDlg.h"
#include "model/ProviderLoader.h"
#include "support/MsgBoxDialog.h"
#include "support/TextHelpers.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool save(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QCoreApplication::processEvents();
    const QString scale = QString::number(w->devicePixelRatioF() * 100, 'f', 0);
    const QString path = QDir(dir).filePath(QStringLiteral("%1-%2.png").arg(name, scale));
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    w->hide();
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: tarifscreens BEISPIELDATEI AUSGABEORDNER\n");
        return 2;
    }
    const QString sample = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QTemporaryDir programDir;
    QFile::copy(sample, programDir.filePath(QStringLiteral("UserProv.ini")));
    const QString mainSample = QFileInfo(sample).dir().filePath(QStringLiteral("Provider.ini"));
    const bool haveMain = QFile::copy(mainSample, programDir.filePath(QStringLiteral("Provider.ini")));
    SetProgramDirOverride(programDir.path());
    SetMsgBoxHandler([](const TMsgBoxRequest &) { return 1; });

    bool ok = true;
    TMain main;
    ok &= save(&main, out, QStringLiteral("start"));

    {
        TProvidersDlg editor(&main, main.TelIniFile, QStringLiteral("UserProv.ini"));
        ok &= save(&editor, out, QStringLiteral("editor"));
        if (editor.ProvidersCB->count() > 1) {
            editor.ProvidersCB->setCurrentIndex(1);
            editor.ProvidersCBChange();
            ok &= save(&editor, out, QStringLiteral("editor-provider2"));
        }

        TNewEditProvEntryDlg add(&editor);
        add.setWindowTitle(QStringLiteral("Neuen Eintrag (Werktag) hinzufügen"));
        add.EntryTimeFrom->SetText(TEntryChecks::BlankTimeText());
        add.EntryTimeTo->SetText(TEntryChecks::BlankTimeText());
        add.Takt->SetValue(60);
        ok &= save(&add, out, QStringLiteral("entry-add"));
        TNewEditProvEntryDlg edit(&editor);
        edit.setWindowTitle(QStringLiteral("Eintrag (Sa/So/Feiertag) ändern"));
        edit.EntryTimeFrom->SetText(QStringLiteral("08:00"));
        edit.EntryTimeTo->SetText(QStringLiteral("17:59"));
        edit.Takt->SetValue(60);
        edit.CurrencyEdit->SetValue(0.039);
        ok &= save(&edit, out, QStringLiteral("entry-edit"));
        TCentEuroDlg centEuro(&edit);
        centEuro.CentEdit->SetValue(3.9);
        ok &= save(&centEuro, out, QStringLiteral("cent-euro"));

        // The provider options dialog, new and filled in, and the free-hours dialogs.
        TNewEditProviderDlg newProvider(&editor);
        ok &= save(&newProvider, out, QStringLiteral("provider-add"));
        TNewEditProviderDlg provider(&editor);
        provider.setWindowTitle(QStringLiteral("Optionen des Providers ändern"));
        provider.ProvNameEdit->setText(QStringLiteral("Tele Plus"));
        provider.FreeHoursEdit->SetText(TNewEditProviderDlg::FreeHoursText(5 * 3600));
        provider.BaseValueEdit->SetValue(4.95);
        provider.NoCostValueEdit->SetValue(25);
        provider.BaseConnectPriceEdit->SetValue(0.0123);
        provider.FreeHoursPerDayChkBox->setChecked(true);
        provider.TimingChkBox->setChecked(false);
        provider.CalcTaktEdit->SetValue(60);
        provider.FirstSecondEdit->SetValue(30);
        ok &= save(&provider, out, QStringLiteral("provider-edit"));

        TFreeHoursRangeDlg validity(&provider);
        validity.AddRange({0b01111100, 18 * 3600, 23 * 3600 + 59 * 60, 60});
        validity.AddRange({0b10000010, 6 * 3600, 7 * 3600 + 59 * 60, 1.5});
        validity.LV->setCurrentItem(validity.LV->topLevelItem(1));
        ok &= save(&validity, out, QStringLiteral("freehours"));
        TFreeHoursRangeEditDlg range(&validity);
        range.setWindowTitle(QStringLiteral("Eintrag ändern"));
        range.EntryTimeFrom->SetText(QStringLiteral("18:00"));
        range.EntryTimeTo->SetText(QStringLiteral("23:59"));
        range.Takt->SetValue(60);
        for (TMySpeedButton *b : {range.MoBtn, range.TuBtn, range.WedBtn, range.ThuBtn, range.FrBtn})
            b->SetDown(true);
        ok &= save(&range, out, QStringLiteral("freehours-range"));
    }
    if (haveMain) {
        TProvidersDlg editor(&main, main.TelIniFile, QStringLiteral("Provider.ini"));
        ok &= save(&editor, out, QStringLiteral("editor-main"));
    }

    {
        TTheIniFile mainIni;
        mainIni.SetReadOnly(true);
        TProviderData mainFile;
        mainFile.FileName = QStringLiteral("Provider.ini");
        int faulty = 0;
        LoadProviderFile(mainIni, mainFile, &faulty);
        TTakeOverProvDlg takeOver(&main, mainFile, faulty);
        if (takeOver.ProvidersLB->count() > 2)
            takeOver.ProvidersLB->item(2)->setSelected(true);
        ok &= save(&takeOver, out, QStringLiteral("takeover"));
        takeOver.FilterEdit->setText(QStringLiteral("s"));
        ok &= save(&takeOver, out, QStringLiteral("takeover-filter"));
        TTakeOverProvDlg faults(&main, mainFile, 3);
        ok &= save(&faults, out, QStringLiteral("takeover-faulty"));
    }

    TWaitForm wait(&main);
    ok &= save(&wait, out, QStringLiteral("wait"));
    wait.Label1->setText(QStringLiteral("Bitte warten Sie bis die Providerinformationen geschrieben wurden."));
    ok &= save(&wait, out, QStringLiteral("wait-save"));

    std::unique_ptr<QMessageBox> box(CreateMsgBox(
        {QStringLiteral("Angaben wurden geändert. Speichern?"), QStringLiteral("Bestätigung"), mkConfirmation, {btYesNo}},
        &main));
    ok &= save(box.get(), out, QStringLiteral("question"));
    box.reset(CreateMsgBox({QStringLiteral("Es existiert bereits ein Provider mit diesem Namen!"),
                            QStringLiteral("Fehler"), mkError, {btOK}},
                           &main));
    ok &= save(box.get(), out, QStringLiteral("error-duplicate"));
    box.reset(CreateMsgBox({QStringLiteral("Konnte /home/benutzer/zalvor/UserProv.ini nicht speichern!\rDie bisherige Datei bleibt unverändert."),
                            QStringLiteral("Fehler"), mkError, {btOK}},
                           &main));
    ok &= save(box.get(), out, QStringLiteral("error"));
    box.reset(CreateMsgBox({TEntryChecks::TimeErrorText(QStringLiteral("Von")), QStringLiteral("Fehler"), mkError, {btOK}},
                           &main));
    ok &= save(box.get(), out, QStringLiteral("error-time"));
    box.reset(CreateMsgBox({TEntryChecks::SecondSeparatorText(), QStringLiteral("Fehler"), mkError, {btOK}}, &main));
    ok &= save(box.get(), out, QStringLiteral("error-interval"));
    box.reset(CreateMsgBox({QStringLiteral("Möchten Sie diesen Eintrag wirklich löschen?"),
                            QStringLiteral("Löschen eines Eintrags (Tele Plus, Werktag, Eintrag 3)"), mkConfirmation,
                            {btYesNo}},
                           &main));
    ok &= save(box.get(), out, QStringLiteral("question-delete"));

    THelpWindow help;
    help.resize(760, 520);
    help.ShowTopic(510009);
    ok &= save(&help, out, QStringLiteral("help"));
    return ok ? 0 : 1;
}
