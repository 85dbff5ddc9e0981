#include "app/MainWindow.h"
#include "app/ProviderFolder.h"
#include "controls/ContextHelp.h"
#include "support/CommandLine.h"
#include "support/FileSystem.h"
#include "support/MsgBoxDialog.h"
#include "support/TextHelpers.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

void setNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tarifeditor"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zalvor"));
}

} // namespace

int main(int argc, char *argv[])
{
    // --help, --version and a wrong folder are answered before the window
    // system is reached, so that they work without a display. Options of Qt
    // itself (-platform, -style, ...) are known only once the application
    // object has taken them out; the line is then read again.
    // Names are taken as the file system gives them: Qt's own decoding
    // would lose the bytes of a folder name that is no UTF-8.
    const auto rawArguments = [&] {
        QStringList raw;
        for (int i = 0; i < argc; ++i)
            raw.append(DecodeFileName(QByteArray(argv[i])));
        return raw;
    };
    const QStringList raw = rawArguments();
    if (const TEditorCommandLine early = ReadEditorCommandLine(raw, true); early.ExitStatus >= 0)
        return early.ExitStatus;

    PrepareWindowSystem();
    QApplication app(argc, argv);
    setNames();
    // The installed desktop entry and icon (packaging/) carry this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zalvor.tarifeditor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.zalvor.tarifeditor")));
    // The application object has taken its own options out of argv.
    const TEditorCommandLine line = ReadEditorCommandLine(rawArguments());
    if (line.ExitStatus >= 0)
        return line.ExitStatus;
    QString folder = line.Folder;
    if (folder.isEmpty())
        folder = DefaultProviderFolder(QCoreApplication::applicationDirPath());
    else
        RememberProviderFolder(folder);
    if (!folder.isEmpty())
        SetProgramDirOverride(folder);

    // The dialogs Qt brings (the folder dialog) speak German like the rest,
    // when Qt's translations are installed (Debian qt6-translations-l10n).
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    InstallMsgBoxDialog();
    TContextHelp::Install();

    // Without a usable folder the start window asks for one before anything is loaded.
    TMain main(nullptr, folder.isEmpty());
    main.show();
    return app.exec();
}
