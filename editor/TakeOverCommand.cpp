// The editor's command that takes providers over from the main file into the
// file being edited: the speed button next to the provider buttons, the
// provider area's menu, Ctrl+H, and the command itself.

#include "ProvidersDlg.h"

#include "controls/ContextHelp.h"
#include "controls/Glyphs.h"
#include "controls/MySpeedButton.h"
#include "dialogs/TakeOverProvDlg.h"
#include "model/ProviderLoader.h"
#include "model/TariffRules.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QMenu>
#include <QPointer>
#include <QShortcut>

#include <memory>
#include <new>

namespace {

const QString MainFileName = QStringLiteral("Provider.ini");
constexpr int TakeOverHelpContext = 510043;

} // namespace

bool TProvidersDlg::TakeOverOffered() const
{
    return Data.FileName.compare(MainFileName, Qt::CaseInsensitive) != 0;
}

// The button sits right of the three provider buttons; the provider list
// gives up the room for it. Opened on the main file, nothing of the command
// is shown.
void TProvidersDlg::createTakeOverControls()
{
    TakeOverProv = new TMySpeedButton(Panel1);
    TakeOverProv->setGeometry(99, 3, 32, 23);
    TakeOverProv->SetGlyph(TGlyphs::TakeOver());
    TakeOverProv->setIconSize(QSize(16, 16));
    TakeOverProv->SetHint(QStringLiteral("Übernimmt Provider aus\r\nder Hauptproviderdatei."));
    TakeOverProv->SetHelpContext(TakeOverHelpContext);
    TakeOverProv->setFocusPolicy(Qt::TabFocus);
    connect(TakeOverProv, &QToolButton::clicked, this, [this] { TakeOverProvClick(); });

    PopupMenuProvider = new QMenu(this);
    QAction *item = PopupMenuProvider->addAction(
        QStringLiteral("Aus &Hauptproviderdatei übernehmen…\tStrg+H"), this,
        [this] { TakeOverProvClick(); });
    SetHelpContext(item, TakeOverHelpContext);

    if (!TakeOverOffered()) {
        TakeOverProv->hide();
        return;
    }
    const int room = TakeOverProv->width();
    Panel1->setGeometry(Panel1->x() - room, Panel1->y(), Panel1->width() + room, Panel1->height());
    ProvidersCB->resize(ProvidersCB->width() - room, ProvidersCB->height());
    setTabOrder(DelProv, TakeOverProv);

    for (QWidget *area : {static_cast<QWidget *>(ProvidersCB), static_cast<QWidget *>(Panel1)}) {
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, PopupMenuProvider,
            [this, area](const QPoint &pos) { PopupMenuProvider->popup(area->mapToGlobal(pos)); });
    }
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(shortcut, &QShortcut::activated, this, [this] { TakeOverProvClick(); });
    // In the provider list, which takes no other keys, the menu key and
    // Shift+F10 open the menu below it.
    for (const QKeySequence &keys :
        {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto *menuKey = new QShortcut(keys, ProvidersCB);
        menuKey->setContext(Qt::WidgetShortcut);
        connect(menuKey, &QShortcut::activated, this, [this] {
            PopupMenuProvider->popup(ProvidersCB->mapToGlobal(QPoint(0, ProvidersCB->height())));
        });
    }
}

void TProvidersDlg::TakeOverProvClick()
{
    if (!TakeOverOffered())
        return;

    // The main file is only read: the component neither drops a write
    // protection nor writes anything, and its faulty lines are counted, not
    // shown one by one.
    TProviderData mainFile;
    mainFile.FileName = MainFileName;
    int faultyLines = 0;
    bool loaded = false;
    int code = 0;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QPointer<TWaitForm> wait = new TWaitForm(this);
        wait->ShowAndPaint();
        TTheIniFile mainIni;
        mainIni.SetReadOnly(true);
        try {
            loaded = LoadProviderFile(mainIni, mainFile, &faultyLines);
            code = mainIni.ErrorCode();
        } catch (const std::bad_alloc &) {
            mainFile = TProviderData();
            code = OutOfMemoryCode;
        }
        if (wait)
            wait->CloseAndRelease();
        QApplication::restoreOverrideCursor();
    }
    if (!loaded) {
        // The reason, unless there is simply no such file.
        ShowMsgBox(
            QStringLiteral("Die Hauptproviderdatei Provider.ini konnte nicht gelesen werden.")
                + (code != 0 && code != 2 ? u'\r' + ErrorCodeText(code) : QString()),
            QString(), mkError, {btOK});
        return;
    }

    auto dlg = std::make_unique<TTakeOverProvDlg>(this, mainFile, faultyLines);
    if (dlg->exec() != QDialog::Accepted)
        return;
    const QList<int> chosen = dlg->SelectedProviders();
    dlg.reset();

    // Names the file has already, or that an earlier chosen provider brings,
    // are passed over; the limit counts only what is really added.
    QList<int> taken;
    QStringList takenNames;
    QStringList skipped;
    for (int i : chosen) {
        const QString &name = mainFile.Provider(i).DisplayName;
        const bool known = hasProviderNamed(name)
            || std::any_of(takenNames.begin(), takenNames.end(),
                [&](const QString &t) { return t.compare(name, Qt::CaseInsensitive) == 0; });
        if (known) {
            skipped.append(name);
        } else {
            taken.append(i);
            takenNames.append(name);
        }
    }
    if (!providerLimitAllows(static_cast<int>(taken.size())))
        return;

    const int first = ProvidersCB->count();
    for (qsizetype n = 0; n < taken.size(); ++n) {
        const int i = taken[n];
        ProvidersCB->addItem(takenNames[n]);
        Data.AppendProvider(NewProviderKey(takenNames[n], Data.ProviderList()), mainFile.Options(i),
            mainFile.Entries(i, TDayClass::Weekday), mainFile.Entries(i, TDayClass::Weekend));
    }
    if (!taken.isEmpty()) {
        Data.Modified = true;
        ProvidersCB->setCurrentIndex(first);
        ProvidersCBChange();
    }
    if (!skipped.isEmpty())
        ShowMsgBox(
            QStringLiteral(
                "Folgende Provider wurden nicht übernommen, da es bereits einen Provider mit "
                "diesem Namen gibt:\r")
                + skipped.join(u'\r'),
            QString(), mkError, {btOK});
}
