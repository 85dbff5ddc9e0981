#include "TakeOverProvDlg.h"

#include "DialogLayout.h"
#include "controls/ButtonKeys.h"
#include "controls/ContextHelp.h"
#include "model/ProviderData.h"
#include "support/TextHelpers.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Sizes at 96 dpi.
constexpr int ClientWidth = 420;
constexpr int ClientHeight = 410;
constexpr int LeftX = 24;
constexpr int InnerWidth = 372;

QLabel *label(QWidget *parent, const QString &text, int y, QWidget *buddy = nullptr)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(LeftX, y, InnerWidth, 16);
    l->setBuddy(buddy);
    return l;
}

QPushButton *button(QWidget *parent, const QString &text, int x, int helpContext)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(x, ClientHeight - 33, 89, 24);
    b->setAutoDefault(false);
    ClickOnEnter(b);
    SetHelpContext(b, helpContext);
    return b;
}

QString counted(qsizetype n, const QString &one, const QString &many)
{
    return QString::number(n) + u' ' + (n == 1 ? one : many);
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TTakeOverProvDlg::TTakeOverProvDlg(QWidget *owner, const TProviderData &mainFile, int faultyLines)
    : QDialog(owner)
    , m_main(mainFile)
{
    setWindowTitle(QStringLiteral("Provider aus Hauptproviderdatei übernehmen"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    SetHelpContext(this, WindowHelpContext);
    SetDialogFont(this);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, ClientWidth - 16, ClientHeight - 56);

    FilterEdit = new QLineEdit(this);
    FilterEdit->setGeometry(LeftX, 36, InnerWidth, 21);
    FilterEdit->setMaxLength(100);
    SetHelpContext(FilterEdit, 51004310);
    Label1 = label(this, QStringLiteral("&Suchen:"), 20, FilterEdit);

    ProvidersLB = new QListWidget(this);
    ProvidersLB->setGeometry(LeftX, 84, InnerWidth, 212);
    ProvidersLB->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ProvidersLB->setUniformItemSizes(true);
    SetHelpContext(ProvidersLB, 51004311);
    Label2 = label(this, QStringLiteral("&Provider der Hauptproviderdatei:"), 68, ProvidersLB);

    SummaryLabel = label(this, QString(), 302);
    SelectionLabel = label(this, QString(), 320);
    FaultsLabel = label(this, QString(), 338);
    FaultsLabel->setText(faultyLines == 1
            ? QStringLiteral("1 fehlerhafte Zeile der Hauptproviderdatei wurde übergangen.")
            : QStringLiteral("%1 fehlerhafte Zeilen der Hauptproviderdatei wurden übergangen.")
                  .arg(faultyLines));
    FaultsLabel->setVisible(faultyLines > 0);

    ApplyBtn = button(this, QStringLiteral("Übernehmen"), 16, 51004312);
    CancelBtn = button(this, QStringLiteral("Abbrechen"), 120, 2);
    connect(ApplyBtn, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    QStringList names;
    names.reserve(m_main.Count());
    for (const TKeyAndName &p : m_main.ProviderList())
        names.append(p.DisplayName);
    ProvidersLB->addItems(names);
    if (ProvidersLB->count() > 0)
        ProvidersLB->setCurrentRow(0);

    connect(FilterEdit, &QLineEdit::textChanged, this, [this] { FilterEditChange(); });
    connect(ProvidersLB, &QListWidget::currentRowChanged, this, [this] { ProvidersLBChange(); });
    connect(ProvidersLB, &QListWidget::itemSelectionChanged, this, [this] { ProvidersLBChange(); });
    FilterEdit->installEventFilter(this);
    ProvidersLB->installEventFilter(this);

    setTabOrder(FilterEdit, ProvidersLB);
    setTabOrder(ProvidersLB, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);
    setFixedSize(ClientWidth, ClientHeight);
    FilterEdit->setFocus();
    ProvidersLBChange();
}

TTakeOverProvDlg::~TTakeOverProvDlg() = default;

QString TTakeOverProvDlg::ProviderSummary(const TProviderData &data, int i)
{
    return counted(data.Entries(i, TDayClass::Weekday).size(), QStringLiteral("Werktag-Eintrag"),
               QStringLiteral("Werktag-Einträge"))
        + QStringLiteral(", ")
        + counted(data.Entries(i, TDayClass::Weekend).size(),
            QStringLiteral("Sa/So/Feiertag-Eintrag"), QStringLiteral("Sa/So/Feiertag-Einträge"))
        + QStringLiteral(", Grundbetrag ") + MoneyToText(data.Options(i).BaseAmount / 100.0);
}

QList<int> TTakeOverProvDlg::SelectedProviders() const
{
    QList<int> rows;
    for (int i = 0; i < ProvidersLB->count(); ++i)
        if (ProvidersLB->item(i)->isSelected())
            rows.append(i);
    return rows;
}

// Hides the providers whose names do not contain the filter text; a hidden
// provider is no longer chosen. When no provider shown is chosen, the first
// one shown is, so that Enter takes what the filter found.
void TTakeOverProvDlg::FilterEditChange()
{
    const QString filter = FilterEdit->text();
    int firstShown = -1;
    bool chosenShown = false;
    for (int i = 0; i < ProvidersLB->count(); ++i) {
        QListWidgetItem *item = ProvidersLB->item(i);
        const bool shown = item->text().contains(filter, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (!shown)
            item->setSelected(false);
        if (shown && firstShown < 0)
            firstShown = i;
        chosenShown = chosenShown || (shown && item->isSelected());
    }
    // Lay the rows out now, so that the provider chosen next is repainted
    // where it is shown and not where it was.
    ProvidersLB->doItemsLayout();
    const int current = ProvidersLB->currentRow();
    if (!chosenShown && firstShown >= 0)
        ProvidersLB->setCurrentRow(firstShown, QItemSelectionModel::ClearAndSelect);
    else if (current >= 0 && ProvidersLB->item(current)->isHidden())
        ProvidersLB->setCurrentRow(firstShown, QItemSelectionModel::NoUpdate);
    ProvidersLBChange();
}

void TTakeOverProvDlg::ProvidersLBChange()
{
    const int current = ProvidersLB->currentRow();
    if (ProvidersLB->count() == 0)
        SummaryLabel->setText(QStringLiteral("Die Hauptproviderdatei enthält keine Provider."));
    else if (current < 0 || ProvidersLB->item(current)->isHidden())
        SummaryLabel->setText(QStringLiteral("Kein Provider enthält den Suchtext."));
    else
        SummaryLabel->setText(ProviderSummary(m_main, current));
    const qsizetype chosen = SelectedProviders().size();
    const int total = ProvidersLB->count();
    SelectionLabel->setText(QStringLiteral("%1 von %2 ausgewählt")
                                .arg(chosen)
                                .arg(total == 1 ? QStringLiteral("1 Provider")
                                                : QStringLiteral("%1 Providern").arg(total)));
    ApplyBtn->setEnabled(chosen > 0);
}

void TTakeOverProvDlg::ApplyBtnClick()
{
    if (!SelectedProviders().isEmpty())
        accept();
}

// Enter in the filter field or in the list takes the selection; the arrow and
// page keys in the filter field move through the list, so that a user can type
// and choose without leaving the field.
bool TTakeOverProvDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == FilterEdit || watched == ProvidersLB)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isEnter(key->key()) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            ApplyBtnClick();
            return true;
        }
        if (watched == FilterEdit) {
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                QCoreApplication::sendEvent(ProvidersLB, event);
                return true;
            default:
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
