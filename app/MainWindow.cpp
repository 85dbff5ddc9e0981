#include "MainWindow.h"

#include "app/ProviderFolder.h"
#include "controls/ButtonKeys.h"
#include "controls/ContextHelp.h"
#include "editor/ProvidersDlg.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include <exception>
#include <new>

QString ApplicationCaption()
{
    return QStringLiteral("Zalvor - Tarifeditor 3.00 [%1]").arg(QStringLiteral("Qt ") + QLatin1String(qVersion()));
}

TMain::TMain(QWidget *parent, bool askForFolder)
    : QDialog(parent)
    , m_askForFolder(askForFolder)
{
    TelIniFile.SetIniLocation(loProgDir);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    setWindowTitle(QStringLiteral("Zu bearbeitende Providerinformationen wählen"));
    SetHelpContext(this, WindowHelpContext);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 577, 185);

    Label2 = new QLabel(QStringLiteral("Die Angaben in Hauptproviderdatei enthalten den Hauptdatenbestand an Tarifen. "
                                       "Diese Datei wird bei einem Online-Update komplett ersetzt, so dass Ihre "
                                       "Änderungen verloren gehen. Ändern Sie deshalb nur die "
                                       "benutzerdefinierte Providerdatei."),
                        this);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setGeometry(24, 16, 545, 81);

    Label1 = new QLabel(QStringLiteral("Providerinformation:"), this);
    Label1->setGeometry(24, 109, 377, 16);

    ProviderInfosSelectLB = new QListWidget(this);
    ProviderInfosSelectLB->setGeometry(24, 128, 545, 49);
    QFont lf = ProviderInfosSelectLB->font();
    lf.setPixelSize(13);
    ProviderInfosSelectLB->setFont(lf);
    ProviderInfosSelectLB->setUniformItemSizes(true);
    for (const QString &text : {QStringLiteral("Hauptproviderdatei bearbeiten"),
                                QStringLiteral("Benutzerdefinierte Providerdatei bearbeiten")}) {
        auto *item = new QListWidgetItem(text, ProviderInfosSelectLB);
        item->setSizeHint(QSize(0, std::max(16, QFontMetrics(lf).height() + 1)));
    }
    SetHelpContext(ProviderInfosSelectLB, 510001);
    ProviderInfosSelectLB->installEventFilter(this);
    ProviderInfosSelectLB->viewport()->installEventFilter(this);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(24, 206, 75, 25);
    ClickOnEnter(OKBtn);
    SetHelpContext(OKBtn, 1);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });

    CancelBtn = new QPushButton(QStringLiteral("Beenden"), this);
    CancelBtn->setGeometry(112, 206, 75, 25);
    ClickOnEnter(CancelBtn);
    SetHelpContext(CancelBtn, 2);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });

    setTabOrder(ProviderInfosSelectLB, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setFixedSize(593, 240);
    FormCreate();
}

TMain::~TMain() = default;

void TMain::FormCreate()
{
    RestartNeeded = false;
    const QString caption = ApplicationCaption();
    SetApplicationTitle(caption);
    QApplication::setApplicationDisplayName(QString());
    setWindowTitle(caption);
}

void TMain::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TMain::FormShow()
{
    ProviderInfosSelectLB->setCurrentRow(1);
    ProviderInfosSelectLB->setFocus();
    showFolderInTips();
    if (m_askForFolder)
        QMetaObject::invokeMethod(this, &TMain::askForFolder, Qt::QueuedConnection);
}

void TMain::askForFolder()
{
    m_askForFolder = false;
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Ordner der Providerdateien wählen"), QDir::homePath());
    if (folder.isEmpty()) {
        close();
        return;
    }
    // The saver finds the file through ProgramDir(), the loader through the
    // INI component: both must see the new folder.
    SetProgramDirOverride(folder);
    TelIniFile.SetProgDir(ProgramDir());
    RememberProviderFolder(folder);
    showFolderInTips();
}

// The items name the files they stand for with their full paths.
void TMain::showFolderInTips()
{
    ProviderInfosSelectLB->item(0)->setToolTip(QDir::toNativeSeparators(ProgramDir() + QStringLiteral("Provider.ini")));
    ProviderInfosSelectLB->item(1)->setToolTip(QDir::toNativeSeparators(ProgramDir() + QStringLiteral("UserProv.ini")));
}

// The selection counts, not the current row: a click on the blank area below
// the items takes the highlight away but leaves the current row where it was.
QString TMain::GetSelectedFileName() const
{
    const QList<QListWidgetItem *> selected = ProviderInfosSelectLB->selectedItems();
    return !selected.isEmpty() && ProviderInfosSelectLB->row(selected.first()) == 0 ? QStringLiteral("Provider.ini")
                                                                                    : QStringLiteral("UserProv.ini");
}

void TMain::ProviderInfosSelectLBDblClick()
{
    if (!ProviderInfosSelectLB->selectedItems().isEmpty())
        OKBtnClick();
}

// A double click anywhere in the list, and Enter in it, choose the selected
// file; with nothing selected they do nothing. Neither button is a default
// button, so Enter on a focused button presses that button only.
bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ProviderInfosSelectLB->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ProviderInfosSelectLBDblClick();
        return true;
    }
    if (watched == ProviderInfosSelectLB && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ProviderInfosSelectLBDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TMain::OKBtnClick()
{
    const QString name = GetSelectedFileName();
    QPointer<TWaitForm> wait = new TWaitForm(this);
    wait->ShowAndPaint();
    TScopedMsgBoxPreHook hideWait([&wait] {
        if (wait)
            wait->hide();
    });
    try {
        Editor = new TProvidersDlg(this, TelIniFile, name);
        connect(Editor, &TProvidersDlg::Saved, this, [this] { RestartNeeded = true; });
    } catch (const std::exception &e) {
        Editor = nullptr;
        if (wait)
            wait->CloseAndRelease();
        // Memory that ran out is said in words.
        const QString reason = dynamic_cast<const std::bad_alloc *>(&e)
            ? ErrorCodeText(OutOfMemoryCode)
            : QString::fromLocal8Bit(e.what());
        ShowMsgBox(QStringLiteral("Der Tarifeditor konnte nicht geöffnet werden (%1).\r"
                                  "Die Datei %2 wurde nicht verändert.")
                       .arg(reason, name),
            QString(), mkError, {btOK});
        close();
        return;
    }
    if (wait)
        wait->CloseAndRelease();
    // A file that is there but could not be read is not edited (the editor
    // has said why); the user may choose the other file or end.
    if (Editor->Unreadable()) {
        delete Editor;
        Editor = nullptr;
        ProviderInfosSelectLB->setFocus();
        return;
    }
    Editor->exec();
    delete Editor;
    Editor = nullptr;
    close();
}

void TMain::CancelBtnClick()
{
    close();
}

void TMain::FormCloseQuery()
{
    if (RestartNeeded)
        ShowMsgBox(QStringLiteral("Sie müssen Zalvor neu starten, damit die Änderungen wirksam werden."),
                   QString(), mkInformation, {btOK});
}

void TMain::done(int result)
{
    if (!m_closeQueried) {
        m_closeQueried = true;
        FormCloseQuery();
    }
    QDialog::done(result);
}
