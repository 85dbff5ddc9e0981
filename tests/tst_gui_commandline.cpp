#include "TestSupport.h"

#include "app/MainWindow.h"
#include "app/ProviderFolder.h"
#include "support/FileSystem.h"
#include "support/TextHelpers.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

// The command lines of both programs and the choice of the folder of the
// provider files.
class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { QSettings().clear(); }
    void programsAnswer_data();
    void programsAnswer();
    void folderArgument();
    void unreadableFolder();
    void defaultFolder_data();
    void defaultFolder();
    void startWindowAsksForFolder_data();
    void startWindowAsksForFolder();

private:
    QTemporaryDir m_settings;
};

void TestCommandLine::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Zalvor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarifeditor"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
}

void TestCommandLine::programsAnswer_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("output"); // the start of standard output, else of standard error
    const QString editor = QStringLiteral(TARIFEDITOR);
    const QString check = QStringLiteral(TARIFCHECK);
    const QString version
        = QStringLiteral(" 3.00 (Qt ") + QLatin1String(qVersion()) + QStringLiteral(")\n");
    QTest::newRow("editor --help") << editor << QStringList {"--help"} << 0
                                   << QStringLiteral("Aufruf: tarifeditor [ORDNER]\n");
    QTest::newRow("editor -v") << editor << QStringList {"-v"} << 0
                               << QStringLiteral("tarifeditor") + version;
    QTest::newRow("editor, missing folder")
        << editor << QStringList {"/gibt/es/nicht"} << 2
        << QStringLiteral("tarifeditor: Den Ordner „/gibt/es/nicht“ gibt es nicht.\n");
    QTest::newRow("editor, ESC in the folder")
        << editor << QStringList {"/gibt/\x1b[2J"} << 2
#ifdef Q_OS_WIN // a control character makes the name invalid
        << QStringLiteral("tarifeditor: Der Ordner „/gibt/\\x1b[2J“ kann nicht gelesen werden "
                          "(Fehler 123: ungültiger Name).\n");
#else
        << QStringLiteral("tarifeditor: Den Ordner „/gibt/\\x1b[2J“ gibt es nicht.\n");
#endif
    QTest::newRow("editor, two folders") << editor << QStringList {"/", "/"} << 2
                                         << QStringLiteral("tarifeditor: Zu viele Angaben: „/“.\n");
    QTest::newRow("check -h")
        << check << QStringList {"-h"} << 0
        << QStringLiteral(
               "Aufruf: tarifcheck [--coverage] [--date MM/TT/JJJJ] [--write AUSGABE] DATEI\n");
    QTest::newRow("check --version")
        << check << QStringList {"--version"} << 0 << QStringLiteral("tarifcheck") + version;
    QTest::newRow("check, unknown option")
        << check << QStringList {"--bunt", "x.ini"} << 2
        << QStringLiteral("tarifcheck: Unbekannte Option „--bunt“.\n");
    QTest::newRow("check, no file") << check << QStringList() << 2
                                    << QStringLiteral("tarifcheck: Es fehlt die Angabe DATEI.\n");
}

void TestCommandLine::programsAnswer()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, exit);
    QFETCH(QString, output);
    QProcess p;
    p.start(program, args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exit);
    const QString out = ProgramText(p.readAllStandardOutput());
    QVERIFY2((out.isEmpty() ? ProgramText(p.readAllStandardError()) : out).startsWith(output),
        qPrintable(out));
}

void TestCommandLine::folderArgument()
{
    TempProgramDir dir;
    const QString folder = QDir::cleanPath(dir.Path());
    const TEditorCommandLine absolute
        = ReadEditorCommandLine({QStringLiteral("tarifeditor"), dir.Path()});
    QCOMPARE(absolute.ExitStatus, GoOn);
    QCOMPARE(absolute.Folder, folder);
    // A relative folder counts from the working directory.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder + QStringLiteral("/.."));
    const TEditorCommandLine relative
        = ReadEditorCommandLine({QStringLiteral("tarifeditor"), QFileInfo(folder).fileName()});
    QDir::setCurrent(previous);
    QCOMPARE(relative.Folder, folder);
    QCOMPARE(ReadEditorCommandLine({QStringLiteral("tarifeditor")}).Folder, QString());

#ifndef Q_OS_WIN // Windows names are UTF-16: no bytes to keep
    // A Latin-1 name, bytes that are no UTF-8, is taken as it is.
    const QByteArray latin1 = QFile::encodeName(folder) + "/M\xFCller";
    QCOMPARE(::mkdir(latin1.constData(), 0755), 0);
    const TEditorCommandLine bytes
        = ReadEditorCommandLine({QStringLiteral("tarifeditor"), DecodeFileName(latin1)});
    ::rmdir(latin1.constData());
    QCOMPARE(bytes.ExitStatus, GoOn);
    QCOMPARE(EncodeFileName(bytes.Folder), latin1);
#endif
}

void TestCommandLine::unreadableFolder()
{
#ifdef Q_OS_WIN
    QSKIP("Windows: no second user account to run the editor as");
#else
    if (::geteuid() != 0)
        QSKIP("needs root to run the editor as another user");
    TempProgramDir dir;
    ::chmod(QFile::encodeName(dir.Path()).constData(), 0755);
    const QString folder = dir.FilePath(QStringLiteral("zu"));
    QVERIFY(QDir().mkdir(folder));
    ::chmod(QFile::encodeName(folder).constData(), 0);
    QProcess p;
    p.start(QStringLiteral("setpriv"),
        {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
            QStringLiteral("--clear-groups"), QStringLiteral(TARIFEDITOR), folder});
    QVERIFY(p.waitForFinished(30000));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(p.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
        QStringLiteral("tarifeditor: Der Ordner „%1“ kann nicht gelesen werden (Fehler 5: Zugriff "
                       "verweigert).\n")
            .arg(folder));
#endif
}

void TestCommandLine::defaultFolder_data()
{
    QTest::addColumn<QString>("fileThere"); // in the program's folder; empty: none
    QTest::addColumn<bool>("takesNewFiles");
    QTest::addColumn<int>("remembered"); // 0 none, 1 an existing folder, 2 one that is gone
    QTest::addColumn<QString>("expected"); // "program", "remembered" or empty
    QTest::newRow("main file there") << "Provider.ini" << false << 1 << "program";
    QTest::newRow("user file there") << "UserProv.ini" << false << 1 << "program";
    QTest::newRow("writable") << QString() << true << 1 << "program";
    QTest::newRow("else the remembered one") << QString() << false << 1 << "remembered";
    QTest::newRow("remembered one gone: ask") << QString() << false << 2 << QString();
    QTest::newRow("nothing remembered: ask") << QString() << false << 0 << QString();
}

void TestCommandLine::defaultFolder()
{
    QFETCH(QString, fileThere);
    QFETCH(bool, takesNewFiles);
    QFETCH(int, remembered);
    QFETCH(QString, expected);
    QTemporaryDir program, other;
    if (!fileThere.isEmpty())
        QVERIFY(QFile(program.filePath(fileThere)).open(QIODevice::WriteOnly));
    if (remembered > 0)
        RememberProviderFolder(
            remembered == 1 ? other.path() : other.path() + QStringLiteral("/weg"));
    const QString folder
        = DefaultProviderFolder(program.path(), [&](const QString &) { return takesNewFiles; });
    QCOMPARE(folder,
        expected == u"program"          ? program.path()
            : expected == u"remembered" ? other.path()
                                        : QString());
    QVERIFY(FolderTakesNewFiles(program.path()));
    QVERIFY(!FolderTakesNewFiles(program.filePath(QStringLiteral("weg"))));
}

void TestCommandLine::startWindowAsksForFolder_data()
{
    QTest::addColumn<bool>("choose");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestCommandLine::startWindowAsksForFolder()
{
    QFETCH(bool, choose);
    TempProgramDir programDir;
    QTemporaryDir chosen;
    MsgRecorder msgs;
    TMain main(nullptr, true);
    QString title;
    QTimer poll(&main);
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        title = dialog->windowTitle();
        if (choose) {
            dialog->setDirectory(chosen.path());
            static_cast<QDialog *>(dialog)->accept();
        } else {
            dialog->reject();
        }
    });
    poll.start();
    main.show();
    QTRY_VERIFY(!title.isEmpty());
    QCOMPARE(title, QStringLiteral("Ordner der Providerdateien wählen"));
    QTRY_COMPARE(main.isVisible(), choose);
    if (choose) {
        QCOMPARE(ProgramDir(), chosen.path() + u'/');
        QCOMPARE(main.TelIniFile.ProgDir(), ProgramDir()); // the editor loads from there
        QCOMPARE(RememberedProviderFolder(), chosen.path());
        QCOMPARE(main.ProviderInfosSelectLB->item(1)->toolTip(),
            QDir::toNativeSeparators(chosen.filePath(QStringLiteral("UserProv.ini"))));
    } else {
        QCOMPARE(RememberedProviderFolder(), QString());
        QCOMPARE(main.ProviderInfosSelectLB->item(0)->toolTip(),
            QDir::toNativeSeparators(programDir.FilePath(QStringLiteral("Provider.ini"))));
    }
    QVERIFY(msgs.Messages().isEmpty());
}

QTEST_MAIN(TestCommandLine)
#include "tst_gui_commandline.moc"
