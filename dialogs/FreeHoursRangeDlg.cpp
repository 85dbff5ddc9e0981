#include "FreeHoursRangeDlg.h"

#include "DialogLayout.h"
#include "EntryChecks.h"
#include "FreeHoursRangeEditDlg.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/Glyphs.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "support/LocaleSettings.h"
#include "support/TextHelpers.h"

#include <QCheckBox>
#include <QCollator>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace {

// Sizes at 96 dpi.
constexpr int ClientWidth = 457;
constexpr int ClientHeight = 299;

TMySpeedButton *speedButton(
    QWidget *parent, const QRect &r, const QIcon &glyph, const QString &hint)
{
    auto *b = new TMySpeedButton(parent);
    b->setGeometry(r);
    b->SetGlyph(glyph);
    b->setIconSize(QSize(16, 16));
    b->SetHint(hint);
    // The list's commands can be reached with Tab as well; Space presses them.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

// The day number a button of the entry dialog stands for.
int tag(const TMySpeedButton *b)
{
    return b->property("Tag").toInt();
}

// The range the entry dialog holds after Übernehmen. The end field already
// shows the last minute of the range. A day without a button (the holiday)
// stays as the range had it.
void readRange(const TFreeHoursRangeEditDlg &dlg, TFreeHoursRange &range)
{
    range.TimeFrom = TimeTextToSeconds(dlg.EntryTimeFrom->Text());
    range.TimeTo = TimeTextToSeconds(dlg.EntryTimeTo->Text());
    range.Interval = dlg.Takt->Value();
    std::uint16_t buttons = 0;
    std::uint16_t down = 0;
    for (const TMySpeedButton *b : dlg.DayButtons()) {
        buttons |= std::uint16_t(1u << tag(b));
        if (b->Down())
            down |= std::uint16_t(1u << tag(b));
    }
    range.Days = std::uint16_t((range.Days & ~buttons) | down);
}

} // namespace

TFreeHoursRangeItem::TFreeHoursRangeItem(const TFreeHoursRange &range)
    : Range(range)
{
    UpdateTexts();
}

void TFreeHoursRangeItem::UpdateTexts()
{
    const QStringList texts = TFreeHoursRangeDlg::ItemTexts(Range);
    for (int c = 0; c < texts.size(); ++c)
        setText(c, texts[c]);
}

QStringList TFreeHoursRangeDlg::ItemTexts(const TFreeHoursRange &range)
{
    const QString interval = NumberText(range.Interval, 4);
    return {SecondsToTimeText(range.TimeFrom) + QStringLiteral(" - ")
            + SecondsToTimeText(range.TimeTo + 59) + QStringLiteral(" Uhr"),
        interval + QStringLiteral(" Sekunde(n)"), DaysToNames(range.Days)};
}

TFreeHoursRangeDlg::TFreeHoursRangeDlg(QWidget *owner)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Gültigkeit der Freistunden"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    SetDialogFont(this);
    SetHelpContext(this, 510109);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 441, 249);

    Label1 = new QLabel(
        QStringLiteral("In diesem Dialog können Sie festlegen, zu welchen Zeitpunkten der "
                       "Provider es erlaubt, die Freistunden zu verbrauchen."),
        this);
    Label1->setWordWrap(true);
    Label1->setGeometry(20, 16, 417, 30);

    FreeHoursForAllChkBox = new QCheckBox(
        QStringLiteral(" Die Freistunden können rund um die Uhr verbraucht werden."), this);
    FreeHoursForAllChkBox->setGeometry(20, 52, 417, 17);
    SetHelpContext(FreeHoursForAllChkBox, 51010910);
    FreeHoursForAllChkBox->installEventFilter(this);
    connect(
        FreeHoursForAllChkBox, &QCheckBox::toggled, this, [this] { FreeHoursForAllChkBoxClick(); });

    Label2 = new QLabel(QStringLiteral("Nur zu folgenden Zeiten:"), this);
    Label2->setGeometry(20, 78, 300, 14);

    LV = new QTreeWidget(this);
    LV->setGeometry(20, 96, 370, 150);
    LV->setColumnCount(3);
    LV->setHeaderLabels({QStringLiteral("Uhrzeit von/bis"), QStringLiteral("Taktung"),
        QStringLiteral("Wochentage")});
    const int widths[3] = {130, 100, 120};
    const QFontMetrics fm(LV->font());
    for (int c = 0; c < 3; ++c) {
        // Wide enough for the longest text of the column in this font.
        const QString widest = c == 0 ? QStringLiteral("00:00:00 - 23:59:59 Uhr")
            : c == 1                  ? QStringLiteral("9999,0000 Sekunde(n)")
                                      : QStringLiteral("Mo Di Mi Do Fr Sa So");
        LV->setColumnWidth(c, std::max(widths[c], fm.horizontalAdvance(widest) + 14));
    }
    LV->setRootIsDecorated(false);
    LV->setItemsExpandable(false);
    LV->setUniformRowHeights(true);
    LV->setAllColumnsShowFocus(true);
    LV->setSelectionMode(QAbstractItemView::SingleSelection);
    LV->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV->setMouseTracking(true);
    LV->header()->setSectionsClickable(false);
    LV->header()->setSectionsMovable(false);
    SetHelpContext(LV, 51010911);
    connect(LV, &QTreeWidget::itemSelectionChanged, this, [this] { LVChange(); });
    LV->viewport()->installEventFilter(this);

    Panel = new QFrame(this);
    Panel->setFrameShape(QFrame::Panel);
    Panel->setFrameShadow(QFrame::Raised);
    Panel->setGeometry(398, 96, 39, 84);
    AddEntryBtn = speedButton(
        Panel, {3, 4, 33, 25}, TGlyphs::Add(), QStringLiteral("Fügt einen Eintrag hinzu."));
    EditEntryBtn = speedButton(
        Panel, {3, 29, 33, 25}, TGlyphs::Edit(), QStringLiteral("Ändert den Eintrag."));
    DeleteEntryBtn = speedButton(
        Panel, {3, 54, 33, 25}, TGlyphs::Delete(), QStringLiteral("Löscht den Eintrag."));
    connect(AddEntryBtn, &QToolButton::clicked, this, [this] { AddEntryBtnClick(); });
    connect(EditEntryBtn, &QToolButton::clicked, this, [this] { EditEntryBtnClick(); });
    connect(DeleteEntryBtn, &QToolButton::clicked, this, [this] { DeleteEntryBtnClick(); });

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(272, 266, 81, 25);
    SetHelpContext(OKBtn, 1);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(368, 266, 81, 25);
    SetHelpContext(CancelBtn, 2);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton *b : {OKBtn, CancelBtn})
        b->setAutoDefault(false);

    setTabOrder(FreeHoursForAllChkBox, LV);
    setTabOrder(LV, AddEntryBtn);
    setTabOrder(AddEntryBtn, EditEntryBtn);
    setTabOrder(EditEntryBtn, DeleteEntryBtn);
    setTabOrder(DeleteEntryBtn, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    fitToFont();
    CentreOnScreen(this);
}

// Keeps the layout's sizes, widening the list (and with it the window) only
// where the platform's font needs wider columns than the original one.
void TFreeHoursRangeDlg::fitToFont()
{
    int columns = 0;
    for (int c = 0; c < LV->columnCount(); ++c)
        columns += LV->columnWidth(c);
    const int chrome = 2 * LV->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    const int extra = std::max(0, columns + chrome - LV->width());
    LV->resize(LV->width() + extra, LV->height());
    Bevel1->resize(Bevel1->width() + extra, Bevel1->height());
    Label1->resize(Label1->width() + extra, Label1->height());
    for (QWidget *w : std::initializer_list<QWidget *> {Panel, OKBtn, CancelBtn})
        w->move(w->x() + extra, w->y());
    setFixedSize(ClientWidth + extra, ClientHeight);
}

void TFreeHoursRangeDlg::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedButtonOnEnter(this, event))
        QDialog::keyPressEvent(event);
}

void TFreeHoursRangeDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // The list opens with its current row selected, so that the first Down
    // goes to the second row.
    if (LV->topLevelItemCount() > 0 && SelectedItem() == nullptr)
        LV->setCurrentItem(LV->currentItem() ? LV->currentItem() : LV->topLevelItem(0));
    FreeHoursForAllChkBoxClick();
}

bool TFreeHoursRangeDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FreeHoursForAllChkBox && event->type() == QEvent::KeyPress) {
        // Enter on the check box moves on, as in every field.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            PostNextControl(this);
            return true;
        }
    }
    if (watched == LV->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The view selects the row under the mouse first.
        const bool handled = QDialog::eventFilter(watched, event);
        QMetaObject::invokeMethod(
            this, [this] { LVDblClick(); }, Qt::QueuedConnection);
        return handled;
    }
    return QDialog::eventFilter(watched, event);
}

TFreeHoursRangeItem *TFreeHoursRangeDlg::SelectedItem() const
{
    const QList<QTreeWidgetItem *> selected = LV->selectedItems();
    return selected.isEmpty() ? nullptr : static_cast<TFreeHoursRangeItem *>(selected.first());
}

void TFreeHoursRangeDlg::AddRange(const TFreeHoursRange &range)
{
    LV->addTopLevelItem(new TFreeHoursRangeItem(range));
    sortList();
}

TFreeHoursRangeArray TFreeHoursRangeDlg::Ranges() const
{
    TFreeHoursRangeArray out;
    out.reserve(LV->topLevelItemCount());
    for (int i = 0; i < LV->topLevelItemCount(); ++i)
        out.append(static_cast<const TFreeHoursRangeItem *>(LV->topLevelItem(i))->Range);
    return out;
}

// Ascending by the first column with the locale's comparison; rows that
// compare equal keep their order. The selection stays with its row.
void TFreeHoursRangeDlg::sortList()
{
    TFreeHoursRangeItem *selected = SelectedItem();
    QTreeWidgetItem *current = LV->currentItem();
    QList<QTreeWidgetItem *> items;
    while (LV->topLevelItemCount() > 0)
        items.append(LV->takeTopLevelItem(0));
    QCollator collator;
    std::stable_sort(
        items.begin(), items.end(), [&collator](QTreeWidgetItem *a, QTreeWidgetItem *b) {
            return collator.compare(a->text(0), b->text(0)) < 0;
        });
    LV->addTopLevelItems(items);
    // Only a row the user chose is selected.
    LV->selectionModel()->clear();
    if (current != nullptr)
        LV->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    if (selected != nullptr)
        selected->setSelected(true);
    LVChange();
}

void TFreeHoursRangeDlg::FreeHoursForAllChkBoxClick()
{
    const bool enabled = !FreeHoursForAllChkBox->isChecked();
    LV->setEnabled(enabled);
    AddEntryBtn->setEnabled(enabled);
    EditEntryBtn->setEnabled(enabled);
    DeleteEntryBtn->setEnabled(enabled);
    if (enabled)
        LVChange();
}

void TFreeHoursRangeDlg::LVChange()
{
    const bool selected = SelectedItem() != nullptr;
    EditEntryBtn->setEnabled(selected && LV->isEnabled());
    DeleteEntryBtn->setEnabled(EditEntryBtn->isEnabled());
}

void TFreeHoursRangeDlg::LVDblClick()
{
    if (SelectedItem() != nullptr)
        EditEntryBtnClick();
}

void TFreeHoursRangeDlg::AddEntryBtnClick()
{
    auto dlg = std::make_unique<TFreeHoursRangeEditDlg>(this);
    for (TMySpeedButton *b : dlg->DayButtons())
        b->SetDown(true);
    // A new range bills in minutes, as a new tariff entry does.
    dlg->Takt->SetValue(60);
    dlg->exec();
    if (!dlg->Applied)
        return;
    TFreeHoursRange range;
    readRange(*dlg, range);
    auto *item = new TFreeHoursRangeItem(range);
    LV->addTopLevelItem(item);
    sortList();
}

void TFreeHoursRangeDlg::EditEntryBtnClick()
{
    TFreeHoursRangeItem *item = SelectedItem();
    if (item == nullptr)
        return;
    auto dlg = std::make_unique<TFreeHoursRangeEditDlg>(this);
    dlg->setWindowTitle(QStringLiteral("Eintrag ändern"));
    dlg->EntryTimeFrom->SetText(SecondsToShortTimeText(item->Range.TimeFrom));
    dlg->EntryTimeTo->SetText(SecondsToShortTimeText(item->Range.TimeTo));
    dlg->Takt->SetValue(item->Range.Interval);
    for (TMySpeedButton *b : dlg->DayButtons())
        b->SetDown(item->Range.Days & (1u << tag(b)));
    dlg->exec();
    if (!dlg->Applied)
        return;
    readRange(*dlg, item->Range);
    item->UpdateTexts();
    sortList();
}

void TFreeHoursRangeDlg::DeleteEntryBtnClick()
{
    TFreeHoursRangeItem *item = SelectedItem();
    if (item == nullptr)
        return;
    delete item;
    // No row is selected afterwards; the view would select the next one.
    LV->clearSelection();
    LVChange();
}
