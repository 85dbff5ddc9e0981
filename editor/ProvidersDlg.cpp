#include "ProvidersDlg.h"

#include "controls/ButtonKeys.h"
#include "controls/ContextHelp.h"
#include "controls/CoverageStrip.h"
#include "controls/CurrencyEdit.h"
#include "controls/Glyphs.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "controls/StringGrid.h"
#include "dialogs/NewEditProvEntryDlg.h"
#include "dialogs/NewEditProviderDlg.h"
#include "model/ProviderFormat.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "model/TariffRules.h"
#include "support/FileSystem.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"
#include "support/WaitForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include <cmath>
#include <memory>

namespace {

// Sizes at 96 dpi.
constexpr int ClientWidth = 529;
constexpr int ClientHeight = 445;
constexpr int GridWidth = 425;
constexpr int BaseColWidths[4] = {76, 76, 120, 120};
// The coverage strips lie 2 pixels under their grids. The one under the
// weekday grid fits above the weekend caption; the one under the weekend grid
// makes the frame and the window taller and moves the two buttons down.
constexpr int StripGap = 2;
constexpr int StripGrowth = StripGap + TCoverageStrip::StripHeight;

QFrame *bevel(QWidget *parent, const QRect &r, QFrame::Shape shape)
{
    auto *f = new QFrame(parent);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(r);
    return f;
}

QLabel *label(QWidget *parent, const QString &text, int x, int y, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->move(x, y);
    l->adjustSize();
    return l;
}

QFrame *panel(QWidget *parent, const QRect &r)
{
    auto *p = new QFrame(parent);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Raised);
    p->setLineWidth(1);
    p->setGeometry(r);
    return p;
}

TMySpeedButton *speedButton(QWidget *parent, const QRect &r, const QIcon &glyph, const QString &hint,
                            int helpContext)
{
    auto *b = new TMySpeedButton(parent);
    b->setGeometry(r);
    b->SetGlyph(glyph);
    b->setIconSize(QSize(16, 16));
    b->SetHint(hint);
    b->SetHelpContext(helpContext);
    return b;
}

QString intervalText(double interval)
{
    return NumberText(interval, 4) + QStringLiteral(" Sekunde(n)");
}

} // namespace

QStringList TariffEntryCells(const TTariffEntry &entry)
{
    return {SecondsToTimeText(entry.TimeFrom) + QStringLiteral(" Uhr"),
            SecondsToTimeText(entry.TimeTo) + QStringLiteral(" Uhr"), intervalText(entry.Interval),
            FeeToText(entry.Fee)};
}

TProvidersDlg::TProvidersDlg(QWidget *owner, TTheIniFile &iniFile, const QString &fileName)
    : QDialog(owner)
    , m_iniFile(iniFile)
{
    // The file name must be known before the window's creation handler loads it.
    Data.FileName = fileName;
    setWindowTitle(QStringLiteral("Provider bearbeiten"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    SetHelpContext(this, WindowHelpContext);
    createControls();
    FormCreate();
}

TProvidersDlg::~TProvidersDlg() = default;

void TProvidersDlg::createControls()
{
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    Bevel1 = bevel(this, {8, 8, 513, 385 + StripGrowth}, QFrame::Box);
    Label1 = label(this, QStringLiteral("Provider"), 24, 24);

    ProvidersCB = new QComboBox(this);
    ProvidersCB->setGeometry(24, 40, 377, 21);
    ProvidersCB->setEditable(false);
    ProvidersCB->setMaxVisibleItems(30);
    ProvidersCB->setFocusPolicy(Qt::StrongFocus);
    if (auto *view = qobject_cast<QListView *>(ProvidersCB->view()))
        view->setUniformItemSizes(true);
    SetHelpContext(ProvidersCB, 510010);
    ProvidersCB->installEventFilter(this);
    // After the list's own filter, so that this one sees the keys first.
    ProvidersCB->view()->installEventFilter(this);
    connect(ProvidersCB, &QComboBox::activated, this, [this] { ProvidersCBChange(); });

    Panel1 = panel(this, {408, 36, 105, 29});
    AddProv = speedButton(Panel1, {3, 3, 32, 23}, TGlyphs::Add(),
                          QStringLiteral("Fügt einen neuen\r\nProvider hinzu."), 510040);
    EditProv = speedButton(Panel1, {35, 3, 32, 23}, TGlyphs::Edit(),
                           QStringLiteral("Ändert den ausge-\r\nwählten Provider."), 510041);
    DelProv = speedButton(Panel1, {67, 3, 32, 23}, TGlyphs::Delete(),
                          QStringLiteral("Löscht ausgewählten\r\nProvider."), 510042);
    connect(AddProv, &QToolButton::clicked, this, [this] { AddProvClick(); });
    connect(EditProv, &QToolButton::clicked, this, [this] { EditProvClick(); });
    connect(DelProv, &QToolButton::clicked, this, [this] { DelProvClick(); });

    Label4 = label(this, QStringLiteral("Anzahl Freistunden:"), 24, 80);
    FreeHours = label(this, QString(), 128, 80, true);
    Label5 = label(this, QStringLiteral("Grundbetrag:"), 24, 104);
    Grundbetrag = label(this, QString(), 128, 104, true);
    Bevel2 = bevel(this, {24, 134, 489, 2}, QFrame::HLine);

    Label2 = label(this, QStringLiteral("Werktag"), 24, 144);
    ProvStrGrid1 = new TStringGrid(this);
    ProvStrGrid1->setGeometry(24, 160, GridWidth, 81);
    SetHelpContext(ProvStrGrid1, 510020);
    Label3 = label(this, QStringLiteral("Samstag/Sonntag/Feiertag"), 24, 280);
    ProvStrGrid2 = new TStringGrid(this);
    ProvStrGrid2->setGeometry(24, 296, GridWidth, 81);
    SetHelpContext(ProvStrGrid2, 510030);

    auto makeStrip = [this](TStringGrid *grid, QLabel *caption, TCoverageStrip *&strip, QLabel *&summary) {
        strip = new TCoverageStrip(caption->text(), this);
        strip->setGeometry(grid->x(), grid->y() + grid->height() + StripGap, GridWidth,
                           TCoverageStrip::StripHeight);
        connect(strip, &TCoverageStrip::EntryClicked, grid, [grid](int entry) { grid->SetRow(entry + 1); });
        summary = label(this, QString(), caption->x() + caption->width() + 8, caption->y());
    };
    makeStrip(ProvStrGrid1, Label2, Coverage1, CoverageLabel1);
    makeStrip(ProvStrGrid2, Label3, Coverage2, CoverageLabel2);

    Panel2 = panel(this, {461, 156, 45, 225});
    const QString addHint = QStringLiteral("Fügt einen Eintrag zum \r\naktuellen Provider hinzu.");
    const QString editHint = QStringLiteral("Ändert den ausge-\r\nwählten Eintrag.");
    const QString deleteHint = QStringLiteral("Löscht den ausge-\r\nwählten Eintrag.");
    AddEntry1Btn = speedButton(Panel2, {5, 9, 35, 25}, TGlyphs::Add(), addHint, 510050);
    EditEntry1Btn = speedButton(Panel2, {5, 34, 35, 25}, TGlyphs::Edit(), editHint, 510051);
    DeleteEntry1Btn = speedButton(Panel2, {5, 59, 35, 25}, TGlyphs::Delete(), deleteHint, 510052);
    Bevel9 = bevel(Panel2, {5, 90, 35, 2}, QFrame::HLine);
    SortBtn = speedButton(Panel2, {5, 100, 35, 25}, TGlyphs::Sort(),
                          QStringLiteral("Zeigt die Einträge neu-\r\nsortiert an."), 510060);
    Bevel8 = bevel(Panel2, {5, 133, 35, 2}, QFrame::HLine);
    AddEntry2Btn = speedButton(Panel2, {5, 142, 35, 25}, TGlyphs::Add(), addHint, 510070);
    EditEntry2Btn = speedButton(Panel2, {5, 167, 35, 25}, TGlyphs::Edit(), editHint, 510071);
    DeleteEntry2Btn = speedButton(Panel2, {5, 192, 35, 25}, TGlyphs::Delete(), deleteHint, 510072);
    connect(AddEntry1Btn, &QToolButton::clicked, this, [this] { AddEntry1BtnClick(); });
    connect(EditEntry1Btn, &QToolButton::clicked, this, [this] { EditEntry1BtnClick(); });
    connect(DeleteEntry1Btn, &QToolButton::clicked, this, [this] { DeleteEntry1BtnClick(); });
    connect(SortBtn, &QToolButton::clicked, this, [this] { SortBtnClick(); });
    connect(AddEntry2Btn, &QToolButton::clicked, this, [this] { AddEntry2BtnClick(); });
    connect(EditEntry2Btn, &QToolButton::clicked, this, [this] { EditEntry2BtnClick(); });
    connect(DeleteEntry2Btn, &QToolButton::clicked, this, [this] { DeleteEntry2BtnClick(); });

    SaveBtn = new QPushButton(QStringLiteral("Speichern"), this);
    SaveBtn->setGeometry(16, 412 + StripGrowth, 89, 24);
    ClickOnEnter(SaveBtn);
    SetHelpContext(SaveBtn, 510080);
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(120, 412 + StripGrowth, 89, 24);
    ClickOnEnter(CancelBtn);
    SetHelpContext(CancelBtn, 2);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // Context menus of the grids.
    auto makeMenu = [this](TStringGrid *grid, const QString &deleteCaption, int base,
                           void (TProvidersDlg::*add)(), void (TProvidersDlg::*edit)(),
                           void (TProvidersDlg::*del)()) {
        auto *menu = new QMenu(this);
        QAction *a = menu->addAction(QStringLiteral("Hin&zufügen..."), this, [this, add] { (this->*add)(); });
        SetHelpContext(a, base);
        a = menu->addAction(QStringLiteral("Än&dern..."), this, [this, edit] { (this->*edit)(); });
        SetHelpContext(a, base + 1);
        a = menu->addAction(deleteCaption, this, [this, del] { (this->*del)(); });
        SetHelpContext(a, base + 2);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, menu,
                [grid, menu](const QPoint &pos) { menu->popup(grid->viewport()->mapToGlobal(pos)); });
        grid->installEventFilter(this);
        grid->viewport()->installEventFilter(this);
        grid->horizontalHeader()->viewport()->installEventFilter(this);
        return menu;
    };
    PopupMenuStrGrid1 = makeMenu(ProvStrGrid1, QStringLiteral("Lö&schen"), 510050,
                                 &TProvidersDlg::AddEntry1BtnClick, &TProvidersDlg::EditEntry1BtnClick,
                                 &TProvidersDlg::DeleteEntry1BtnClick);
    PopupMenuStrGrid2 = makeMenu(ProvStrGrid2, QStringLiteral("Lö&schen..."), 510070,
                                 &TProvidersDlg::AddEntry2BtnClick, &TProvidersDlg::EditEntry2BtnClick,
                                 &TProvidersDlg::DeleteEntry2BtnClick);

    setTabOrder(ProvidersCB, ProvStrGrid2);
    setTabOrder(ProvStrGrid2, ProvStrGrid1);
    setTabOrder(ProvStrGrid1, SaveBtn);
    setTabOrder(SaveBtn, CancelBtn);
    // After "Abbrechen" Tab reaches the provider buttons, where Space presses
    // them: the provider commands have no other keys.
    for (TMySpeedButton *b : {AddProv, EditProv, DelProv})
        b->setFocusPolicy(Qt::TabFocus);
    setTabOrder(CancelBtn, AddProv);
    setTabOrder(AddProv, EditProv);
    setTabOrder(EditProv, DelProv);
    createTakeOverControls();
    fitToFont();
}

// Keeps the layout's sizes, widening the grid columns (and with them the
// grids, the right-hand panel and the window) only where the platform's font
// needs more room than the original one, so that no cell text is clipped.
void TProvidersDlg::fitToFont()
{
    const QFontMetrics fm(ProvStrGrid1->font());
    const QString widest[4] = {QStringLiteral("00:00:00 Uhr"), QStringLiteral("00:00:00 Uhr"),
                               QStringLiteral("0000,0000 Sekunde(n)"), QStringLiteral("0,0000 €")};
    const QString headings[4] = {QStringLiteral("von"), QStringLiteral("bis"), QStringLiteral("Zeittakt"),
                                 QStringLiteral("Gebühr")};
    int widths[4];
    int total = 0;
    for (int c = 0; c < 4; ++c) {
        widths[c] = std::max({BaseColWidths[c], fm.horizontalAdvance(widest[c]) + 12,
                              fm.horizontalAdvance(headings[c]) + 12});
        total += widths[c];
    }
    const int chrome = 2 * ProvStrGrid1->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int extra = std::max(0, total + chrome - GridWidth);
    for (TStringGrid *grid : {ProvStrGrid1, ProvStrGrid2}) {
        grid->SetColCount(4);
        for (int c = 0; c < 4; ++c) {
            grid->SetColWidth(c, widths[c]);
            grid->SetCells(c, 0, headings[c]);
        }
        grid->resize(GridWidth + extra, grid->height());
    }
    for (TCoverageStrip *strip : {Coverage1, Coverage2})
        strip->resize(GridWidth + extra, strip->height());
    Panel2->move(Panel2->x() + extra, Panel2->y());
    Panel1->move(Panel1->x() + extra, Panel1->y());
    ProvidersCB->resize(ProvidersCB->width() + extra, ProvidersCB->height());
    Bevel1->resize(Bevel1->width() + extra, Bevel1->height());
    Bevel2->resize(Bevel2->width() + extra, Bevel2->height());

    // The bold values start right of the longer caption.
    const int valueX = std::max(128, std::max(Label4->x() + Label4->width(), Label5->x() + Label5->width()) + 8);
    FreeHours->move(valueX, FreeHours->y());
    Grundbetrag->move(valueX, Grundbetrag->y());
    setFixedSize(ClientWidth + extra, ClientHeight + StripGrowth);
}

void TProvidersDlg::FormCreate()
{
    Data.Modified = false;
    const int rowHeight = logicalDpiY() * 17 / 96;
    for (TStringGrid *grid : {ProvStrGrid1, ProvStrGrid2}) {
        grid->SetDefaultRowHeight(rowHeight);
        grid->SetRowCount(2);
    }
    if (!LoadProviderFile(m_iniFile, Data)) {
        // A missing file opens empty and is made by the first save. A file
        // that is there but could not be read (no permission, a read error,
        // no regular file, too large) is not opened: a save would replace it
        // with what the editor shows, which is nothing.
        const int code = m_iniFile.ErrorCode();
        const QString path = ProgramDir() + Data.FileName;
        if (code != 2 && TFileSystem::Instance().Exists(path)) {
            m_unreadable = true;
            Data.LoadedStamp = {};
            ShowMsgBox(ReadFailureText(path, code) + u'\r'
                    + QStringLiteral("Die Datei wird nicht bearbeitet und bleibt unverändert."),
                QString(), mkError, {btOK});
        }
    }
    Data.Modified = false;

    QStringList names;
    names.reserve(Data.Count());
    for (const auto &p : Data.ProviderList())
        names.append(p.DisplayName);
    ProvidersCB->addItems(names);
    if (ProvidersCB->count() > 0)
        ProvidersCB->setCurrentIndex(0);
    ShowSelectedProvider();
}

void TProvidersDlg::ShowSelectedProvider()
{
    if (ProvidersCB->count() > 0 && ProvidersCB->currentText().isEmpty() && ProvidersCB->currentIndex() < 0) {
        ProvidersCB->setCurrentIndex(0);
        ProvidersCBChange();
        return;
    }
    const int i = ProvidersCB->currentIndex();
    if (i < 0 || i >= Data.Count() || ProvidersCB->currentText().isEmpty()) {
        FreeHours->setText(SecondsToTimeText(0) + QStringLiteral(" Stunde(n)"));
        Grundbetrag->setText(MoneyToText(0));
        fillGrid(ProvStrGrid1, {});
        fillGrid(ProvStrGrid2, {});
        showCoverage(-1);
    } else {
        const TProviderOptions &o = Data.Options(i);
        FreeHours->setText(SecondsToTimeText(o.FreeHours) + QStringLiteral(" Stunde(n)"));
        Grundbetrag->setText(MoneyToText(o.BaseAmount / 100.0));
        fillGrid(ProvStrGrid1, Data.Entries(i, TDayClass::Weekday));
        fillGrid(ProvStrGrid2, Data.Entries(i, TDayClass::Weekend));
        showCoverage(i);
    }
    FreeHours->adjustSize();
    Grundbetrag->adjustSize();
}

// Row 1 and on show the entries whose interval is not 0; an empty list keeps
// one blank row, so the grid never has fewer than two rows.
void TProvidersDlg::fillGrid(TStringGrid *grid, const TTariffEntryList &entries)
{
    const auto shown = std::count_if(entries.begin(), entries.end(), [](const TTariffEntry &e) { return e.Interval != 0; });
    grid->setUpdatesEnabled(false);
    grid->SetRowCount(std::max<int>(2, 1 + static_cast<int>(shown)));
    int row = 1;
    for (const TTariffEntry &e : entries) {
        if (e.Interval == 0)
            continue;
        const QStringList cells = TariffEntryCells(e);
        for (int c = 0; c < 4; ++c)
            grid->SetCells(c, row, cells[c]);
        ++row;
    }
    if (shown == 0)
        for (int c = 0; c < 4; ++c)
            grid->SetCells(c, 1, QString());
    // Like any grid, it always has a selected row; the first one to begin with.
    if (grid->Row() == 0)
        grid->SetRow(1);
    grid->setUpdatesEnabled(true);
}

// Both strips colour prices on the scale of the whole file, so that two
// providers compare like with like; without a provider they show nothing.
// The scale of an unchanged file is found once; after a change it is found
// anew on every showing, since any command may have changed a price.
void TProvidersDlg::showCoverage(int provider)
{
    if (!m_pricesKnown || Data.Modified) {
        m_prices = FilePriceRange(Data);
        m_pricesKnown = true;
    }
    const TPriceRange prices = provider >= 0 ? m_prices : TPriceRange();
    const std::pair<TCoverageStrip *, QLabel *> views[2] = {{Coverage1, CoverageLabel1}, {Coverage2, CoverageLabel2}};
    for (int c = 0; c < 2; ++c) {
        auto [strip, summary] = views[c];
        if (provider < 0)
            strip->Clear();
        else
            strip->SetEntries(Data.Entries(provider, c == 0 ? TDayClass::Weekday : TDayClass::Weekend), prices);
        QPalette pal = palette();
        if (strip->SummaryIsWarning())
            pal.setColor(QPalette::WindowText, QColor(192, 0, 0));
        summary->setPalette(pal);
        summary->setText(strip->Summary());
        summary->adjustSize();
    }
}

void TProvidersDlg::ProvidersCBChange()
{
    ShowSelectedProvider();
}

void TProvidersDlg::SortBtnClick()
{
    Data.SortAllEntries();
    ShowSelectedProvider();
}

void TProvidersDlg::SaveBtnClick()
{
    save();
}

TProvidersDlg::TSaveOutcome TProvidersDlg::save()
{
    if (ShowMsgBox(QStringLiteral("Möchten Sie die Änderungen wirklich speichern?"), QString(),
                   mkConfirmation, {btYesNo})
        != idYes)
        return TSaveOutcome::Declined;
    // The dial-up program's online update may have replaced the file meanwhile.
    if (!ConfirmOverwriteIfChanged(Data))
        return TSaveOutcome::Declined;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPointer<TWaitForm> wait = new TWaitForm(parentWidget());
    wait->Label1->setText(QStringLiteral("Bitte warten Sie bis die Providerinformationen geschrieben wurden."));
    wait->ShowAndPaint();
    // A message must not disappear behind the always-on-top wait window, and
    // it is answered with the normal cursor; the wait cursor returns after it.
    TScopedMsgBoxPreHook hideWait(
        [&wait] {
            if (wait)
                wait->hide();
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        },
        [] { QApplication::restoreOverrideCursor(); });

    const TSaveResult result = SaveProviderFile(m_iniFile, Data, QDate::currentDate(), [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });

    if (wait)
        wait->CloseAndRelease();
    QApplication::restoreOverrideCursor();
    if (result != TSaveResult::Saved)
        return TSaveOutcome::Failed;
    emit Saved();
    ShowSelectedProvider();
    QMetaObject::invokeMethod(this, &QDialog::close, Qt::QueuedConnection);
    return TSaveOutcome::Saved;
}

// Asks whether to save changes; the window closes after either answer, except
// when the user wanted to save and the save failed: closing then would lose
// the changes the user just asked to keep.
bool TProvidersDlg::FormCloseQuery()
{
    if (!Data.Modified)
        return true;
    if (ShowMsgBox(QStringLiteral("Angaben wurden geändert. Speichern?"), QString(), mkConfirmation, {btYesNo})
        != idYes)
        return true;
    return save() != TSaveOutcome::Failed;
}

void TProvidersDlg::done(int result)
{
    // Every way of closing (Abbrechen, Esc, the close box, the close after a
    // save) passes here once.
    if (!m_closing) {
        m_closing = true;
        if (!FormCloseQuery()) {
            m_closing = false;
            return;
        }
    }
    QDialog::done(result);
}

bool TProvidersDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ProvidersCB->view()) {
        // In the opened list a provider is picked with the mouse only: keys
        // neither move the highlight nor pick, except Esc, which closes the
        // list unchanged, and F1 for the help.
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            return key != Qt::Key_Escape && key != Qt::Key_F1;
        }
        default:
            return false;
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        // A double click anywhere on a grid, also below its rows or on the
        // header, starts the grid's edit command.
        for (TStringGrid *grid : {ProvStrGrid1, ProvStrGrid2}) {
            if (watched == grid->viewport() || watched == grid->horizontalHeader()->viewport()) {
                grid == ProvStrGrid1 ? EditEntry1BtnClick() : EditEntry2BtnClick();
                return true;
            }
        }
    }
    if (watched == ProvidersCB) {
        // The provider is chosen with the mouse only. F1 still reaches the
        // help, and the dialog keys (Tab, Esc, Enter) still work as in any
        // other control, since the window handles them before the list does.
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            switch (static_cast<QKeyEvent *>(event)->key()) {
            case Qt::Key_F1:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                return false;
            default:
                return true;
            }
        case QEvent::Wheel:
            return true;
        default:
            break;
        }
    } else if (event->type() == QEvent::KeyRelease && (watched == ProvStrGrid1 || watched == ProvStrGrid2)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            gridKeyUp(static_cast<TStringGrid *>(watched), key->key());
    }
    return QDialog::eventFilter(watched, event);
}

void TProvidersDlg::gridKeyUp(TStringGrid *grid, int key)
{
    const bool weekday = grid == ProvStrGrid1;
    if (key == Qt::Key_Delete)
        weekday ? DeleteEntry1BtnClick() : DeleteEntry2BtnClick();
    else if (key == Qt::Key_Insert)
        weekday ? AddEntry1BtnClick() : AddEntry2BtnClick();
}

namespace {

// The options dialog shows amounts in the currency unit, the record holds
// cents. A timing box that is checked, or a timing value that is not above 0,
// means that the provider bills in the interval of each tariff entry (-1).
void OptionsToDialog(const TProviderOptions &o, TNewEditProviderDlg &dlg)
{
    dlg.FreeHoursEdit->SetText(TNewEditProviderDlg::FreeHoursText(o.FreeHours));
    dlg.FreeHourCostEdit->SetValue(o.FreeHoursCosts / 100);
    dlg.ChkBox2431->setChecked(o.Holidays2431);
    dlg.BaseValueEdit->SetValue(o.BaseAmount / 100.0);
    dlg.BaseConnectPriceEdit->SetValue(o.BaseConnectPrice / 100);
    dlg.FreeHoursPerDayChkBox->setChecked(o.FreeHoursPerDay);
    dlg.ISDNDoubleCostsChkBox->setChecked(o.ISDNDoubleCosts);
    dlg.NoCostValueEdit->SetValue(o.NoCostsFrom > 0 ? o.NoCostsFrom / 100 : 0);
    if (o.CostsPerDay > 0)
        dlg.CostsPerDay->SetValue(o.CostsPerDay / 100);
    if (o.Timing > 0 && o.MinConnectTime > 0) {
        // Unchecking first: checking the box would clear both fields.
        dlg.TimingChkBox->setChecked(false);
        dlg.CalcTaktEdit->SetValue(o.Timing);
        dlg.FirstSecondEdit->SetValue(o.MinConnectTime);
    } else {
        dlg.TimingChkBox->setChecked(true);
    }
    dlg.FreeHoursRanges = o.FreeHoursRanges;
}

// The options dialog's fields as they stand, so that a change can tell the
// fields the user changed from those left as they were filled in.
struct TOptionsFields
{
    QString FreeHours;
    double FreeHoursCosts, Base, ConnectPrice, NoCosts, PerDay, Takt, FirstSecond;
    bool Holidays2431, FreeHoursPerDay, ISDNDoubleCosts, Timing;

    explicit TOptionsFields(const TNewEditProviderDlg &dlg)
        : FreeHours(dlg.FreeHoursEdit->Text())
        , FreeHoursCosts(dlg.FreeHourCostEdit->Value())
        , Base(dlg.BaseValueEdit->Value())
        , ConnectPrice(dlg.BaseConnectPriceEdit->Value())
        , NoCosts(dlg.NoCostValueEdit->Value())
        , PerDay(dlg.CostsPerDay->Value())
        , Takt(dlg.CalcTaktEdit->Value())
        , FirstSecond(dlg.FirstSecondEdit->Value())
        , Holidays2431(dlg.ChkBox2431->isChecked())
        , FreeHoursPerDay(dlg.FreeHoursPerDayChkBox->isChecked())
        , ISDNDoubleCosts(dlg.ISDNDoubleCostsChkBox->isChecked())
        , Timing(dlg.TimingChkBox->isChecked())
    { }
};

// Takes the dialog's fields into o. With filled (a change), only the fields
// that differ from it are taken, so that values the dialog cannot show
// exactly (more decimals, a timing value of 0, more free hours than the field
// holds) stay as they were; the timing box and its two fields go together.
void DialogToOptions(
    TNewEditProviderDlg &dlg, TProviderOptions &o, const TOptionsFields *filled = nullptr)
{
    const TOptionsFields now(dlg);
    auto changed = [&](auto member) {
        return filled == nullptr || now.*member != filled->*member;
    };
    if (changed(&TOptionsFields::FreeHours))
        o.FreeHours = TimeTextToSeconds(now.FreeHours);
    if (changed(&TOptionsFields::FreeHoursCosts))
        o.FreeHoursCosts = now.FreeHoursCosts * 100;
    if (changed(&TOptionsFields::Holidays2431))
        o.Holidays2431 = now.Holidays2431;
    // Rounded, never cut: 4.95 is 494.999... cents in floating point. An
    // exact half goes to the even neighbour.
    if (changed(&TOptionsFields::Base))
        o.BaseAmount = static_cast<std::int32_t>(
            std::clamp(std::nearbyint(now.Base * 100), double(INT32_MIN), double(INT32_MAX)));
    if (changed(&TOptionsFields::ConnectPrice))
        o.BaseConnectPrice = now.ConnectPrice * 100;
    if (changed(&TOptionsFields::FreeHoursPerDay))
        o.FreeHoursPerDay = now.FreeHoursPerDay;
    if (changed(&TOptionsFields::ISDNDoubleCosts))
        o.ISDNDoubleCosts = now.ISDNDoubleCosts;
    if (changed(&TOptionsFields::NoCosts)) {
        o.NoCostsFrom = now.NoCosts * 100;
        if (!(o.NoCostsFrom > 0))
            o.NoCostsFrom = -1;
    }
    if (changed(&TOptionsFields::PerDay))
        o.CostsPerDay = now.PerDay * 100;
    if (changed(&TOptionsFields::Timing) || changed(&TOptionsFields::Takt)
        || changed(&TOptionsFields::FirstSecond)) {
        if (!(now.Takt > 0) || !(now.FirstSecond > 0))
            dlg.TimingChkBox->setChecked(true);
        if (dlg.TimingChkBox->isChecked()) {
            o.Timing = -1;
            o.MinConnectTime = -1;
        } else {
            o.Timing = now.Takt;
            o.MinConnectTime = now.FirstSecond;
        }
    }
    o.FreeHoursRanges = dlg.FreeHoursRanges;
}

} // namespace

bool TProvidersDlg::providerLimitAllows(int added)
{
    // As many providers as the loader reads back, so that every saved file opens again.
    if (ProvidersCB->count() + added <= ProviderFormat::MaxProviderLines)
        return true;
    ShowMsgBox(QStringLiteral("Es kann kein Provider aufgenommen werden, da das Maximum von %1 Providern "
                              "damit überschritten würde!")
                   .arg(ProviderFormat::MaxProviderLines),
               QString(), mkError, {btOK});
    return false;
}

bool TProvidersDlg::hasProviderNamed(const QString &displayName) const
{
    for (int i = 0; i < ProvidersCB->count(); ++i)
        if (ProvidersCB->itemText(i).compare(displayName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TProvidersDlg::AddProvClick()
{
    if (!providerLimitAllows(1))
        return;
    auto dlg = std::make_unique<TNewEditProviderDlg>(this);
    dlg->FreeHoursRanges.clear();
    // A name already given is refused in the dialog, which keeps what was typed.
    dlg->NameTaken = [this](const QString &name) {
        return hasProviderNamed(name);
    };
    if (dlg->exec() != QDialog::Accepted)
        return;
    const QString name = RemoveAmpersand(dlg->ProvNameEdit->text());
    ProvidersCB->addItem(name);
    ProvidersCB->setCurrentIndex(ProvidersCB->count() - 1);
    TProviderOptions options;
    DialogToOptions(*dlg, options);
    Data.AppendProvider(NewProviderKey(name, Data.ProviderList()), options);
    Data.Modified = true;
    ProvidersCBChange();
}

void TProvidersDlg::EditProvClick()
{
    if (ProvidersCB->count() == 0) {
        AddProvClick();
        return;
    }
    const int i = ProvidersCB->currentIndex();
    if (i < 0 || i >= Data.Count())
        return;
    auto dlg = std::make_unique<TNewEditProviderDlg>(this);
    dlg->ProvNameEdit->setText(ProvidersCB->currentText());
    dlg->setWindowTitle(QStringLiteral("Optionen des Providers ändern"));
    SetHelpContext(dlg.get(), TNewEditProviderDlg::EditHelpContext);
    OptionsToDialog(Data.Options(i), *dlg);
    const TOptionsFields filled(*dlg);
    if (dlg->exec() != QDialog::Accepted)
        return;
    // The key, and with it the provider's sections in the file, stay.
    const QString name = RemoveAmpersand(dlg->ProvNameEdit->text());
    Data.Provider(i).DisplayName = name;
    ProvidersCB->setItemText(i, name);
    ProvidersCB->setCurrentIndex(i);
    DialogToOptions(*dlg, Data.Options(i), &filled);
    Data.Modified = true;
    ProvidersCBChange();
}

void TProvidersDlg::DelProvClick()
{
    if (ProvidersCB->count() == 0) {
        ShowMsgBox(QStringLiteral("Sie können keinen Provider löschen. Es existiert keiner."), QString(), mkError,
                   {btOK});
        return;
    }
    const int i = ProvidersCB->currentIndex();
    if (i < 0)
        return;
    if (ShowMsgBox(QStringLiteral("Möchten Sie den Provider \"%1\" wirklich löschen?").arg(ProvidersCB->currentText()),
                   QString(), mkConfirmation, {btYesNo})
        != idYes)
        return;
    Data.Modified = true;
    ProvidersCB->removeItem(i);
    Data.RemoveProvider(i);
    ProvidersCB->setCurrentIndex(ProvidersCB->count() > 0 ? 0 : -1);
    ProvidersCBChange();
}
void TProvidersDlg::AddEntry1BtnClick()
{
    addEntry(TDayClass::Weekday);
}
void TProvidersDlg::EditEntry1BtnClick()
{
    editEntry(TDayClass::Weekday);
}
void TProvidersDlg::DeleteEntry1BtnClick()
{
    deleteEntry(TDayClass::Weekday);
}
void TProvidersDlg::AddEntry2BtnClick()
{
    addEntry(TDayClass::Weekend);
}
void TProvidersDlg::EditEntry2BtnClick()
{
    editEntry(TDayClass::Weekend);
}
void TProvidersDlg::DeleteEntry2BtnClick()
{
    deleteEntry(TDayClass::Weekend);
}

// ---- tariff entry commands --------------------------------------------------

namespace {

// A list of one day class takes new entries only while it holds fewer.
constexpr int MaxEntries = 20;

// The day class as the dialog captions name it.
QString dayClassName(TDayClass c)
{
    return c == TDayClass::Weekday ? QStringLiteral("Werktag") : QStringLiteral("Sa/So/Feiertag");
}

// The day class as the delete caption names it, before the row number.
QString deleteCaptionText(TDayClass c)
{
    return c == TDayClass::Weekday ? QStringLiteral("Werktag, Eintrag ")
                                   : QStringLiteral("Sa./So./Feiertag, Eintrag ");
}

} // namespace

TStringGrid *TProvidersDlg::gridOf(TDayClass dayClass) const
{
    return dayClass == TDayClass::Weekday ? ProvStrGrid1 : ProvStrGrid2;
}

int TProvidersDlg::entryIndexOfRow(TDayClass dayClass, int row) const
{
    const int i = ProvidersCB->currentIndex();
    if (i < 0 || i >= Data.Count() || row < 1)
        return -1;
    // The grid leaves out entries with interval 0, as fillGrid does.
    const TTariffEntryList &entries = Data.Entries(i, dayClass);
    int shown = 0;
    for (int k = 0; k < entries.size(); ++k)
        if (entries.at(k).Interval != 0 && ++shown == row)
            return k;
    return -1;
}

void TProvidersDlg::takeEntryValues(const TNewEditProvEntryDlg &dialog, TTariffEntry &entry)
{
    // The dialog works in minutes: a start is the start of its minute, an end
    // the last second of its minute.
    const QChar separator = TLocaleSettings::Current().TimeSeparator;
    entry.TimeFrom
        = TimeTextToSeconds(dialog.EntryTimeFrom->Text() + separator + QStringLiteral("00"));
    entry.TimeTo = TimeTextToSeconds(dialog.EntryTimeTo->Text() + separator + QStringLiteral("59"));
    entry.Interval = dialog.Takt->Value();
    entry.Fee = dialog.CurrencyEdit->Value();
}

void TProvidersDlg::addEntry(TDayClass dayClass)
{
    if (ProvidersCB->count() == 0) {
        ShowMsgBox(
            QStringLiteral("Fügen Sie zuerst einen Provider hinzu!"), QString(), mkError, {btOK});
        return;
    }
    const int i = ProvidersCB->currentIndex();
    if (i < 0 || i >= Data.Count())
        return;
    if (Data.Entries(i, dayClass).size() >= MaxEntries) {
        ShowMsgBox(
            QStringLiteral(
                "Es kann kein Providertarif hinzugefügt werden, damit würde das Maximum von 20 "
                "Tarifen überschritten!"),
            QString(), mkError, {btOK});
        return;
    }

    TNewEditProvEntryDlg dialog(this);
    dialog.setWindowTitle(
        TNewEditProvEntryDlg::NewCaption().replace(QStringLiteral("%s"), dayClassName(dayClass)));
    dialog.EntryTimeFrom->SetText(TEntryChecks::BlankTimeText());
    dialog.EntryTimeTo->SetText(TEntryChecks::BlankTimeText());
    dialog.Takt->SetValue(60);
    dialog.exec();
    if (!dialog.Applied)
        return;

    Data.Modified = true;
    TTariffEntry entry;
    takeEntryValues(dialog, entry);
    TTariffEntryList &entries = Data.Entries(i, dayClass);
    entries.append(entry);
    SortTariffEntries(entries);
    ShowSelectedProvider();
}

void TProvidersDlg::editEntry(TDayClass dayClass)
{
    TStringGrid *grid = gridOf(dayClass);
    const int row = grid->Row();
    const int k = entryIndexOfRow(dayClass, row);
    if (grid->Cells(0, row).isEmpty() || k < 0) {
        addEntry(dayClass);
        return;
    }

    // Times as the row shows them (hours and minutes); interval and fee from
    // the entry itself, so that they come back exactly whatever the locale's
    // currency format.
    const int i = ProvidersCB->currentIndex();
    const TTariffEntry &shown = Data.Entries(i, dayClass).at(k);
    TNewEditProvEntryDlg dialog(this);
    dialog.setWindowTitle(
        TNewEditProvEntryDlg::EditCaption().replace(QStringLiteral("%s"), dayClassName(dayClass)));
    dialog.EntryTimeFrom->SetText(grid->Cells(0, row).left(5));
    dialog.EntryTimeTo->SetText(grid->Cells(1, row).left(5));
    dialog.Takt->SetValue(shown.Interval);
    dialog.CurrencyEdit->SetValue(shown.Fee);
    dialog.exec();
    if (!dialog.Applied)
        return;

    Data.Modified = true;
    TTariffEntryList &entries = Data.Entries(i, dayClass);
    takeEntryValues(dialog, entries[k]);
    SortTariffEntries(entries);
    ShowSelectedProvider();
}

void TProvidersDlg::deleteEntry(TDayClass dayClass)
{
    TStringGrid *grid = gridOf(dayClass);
    const int row = grid->Row();
    QString name = ProvidersCB->currentText();
    if (name.isEmpty())
        name = QStringLiteral("Unbekannt");
    const QString caption = QStringLiteral("Löschen eines Eintrags (") + name + QStringLiteral(", ")
        + deleteCaptionText(dayClass) + QString::number(row) + u')';

    const int k = entryIndexOfRow(dayClass, row);
    if (grid->Cells(0, row).isEmpty() || k < 0) {
        ShowMsgBox(
            QStringLiteral("Sie können diesen Eintrag nicht löschen!"), caption, mkError, {btOK});
        return;
    }
    if (ShowMsgBox(QStringLiteral("Möchten Sie diesen Eintrag wirklich löschen?"), caption,
            mkConfirmation, {btYesNo})
        != idYes)
        return;

    Data.Modified = true;
    TTariffEntryList &entries = Data.Entries(ProvidersCB->currentIndex(), dayClass);
    entries.removeAt(k);
    SortTariffEntries(entries);
    ShowSelectedProvider();
}
