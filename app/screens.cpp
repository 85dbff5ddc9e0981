// tarifscreens DIR: renders every window of the program to PNG files in DIR
// (start window, editor on the sample user file and, when a Provider.ini lies
// next to it, on that main file, the take-over dialog on that main file, wait
// window, a message box, the help window),
// so that the screens can be looked at without a display.
// The scale comes from QT_SCALE_FACTOR; the file names carry it.

#include "app/MainWindow.h"
#include "controls/ContextHelp.h"
#include "controls/HelpWindow.h"
#include "dialogs/TakeOverProvDlg.h"
#include "editor/ProvidersDlg.h"
#include "model/ProviderLoader.h"
#include "support/MsgBoxDialog.h"
#include "support/TextHelpers.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QComboBox>
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
    box.reset(CreateMsgBox({QStringLiteral("Konnte /home/benutzer/zalvor/UserProv.ini nicht speichern!\rDie bisherige Datei bleibt unverändert."),
                            QStringLiteral("Fehler"), mkError, {btOK}},
                           &main));
    ok &= save(box.get(), out, QStringLiteral("error"));

    THelpWindow help;
    help.resize(760, 520);
    help.ShowTopic(510009);
    ok &= save(&help, out, QStringLiteral("help"));
    return ok ? 0 : 1;
}
