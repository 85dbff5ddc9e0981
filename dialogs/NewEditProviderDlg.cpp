#include "NewEditProviderDlg.h"

#include "DialogLayout.h"
#include "EntryChecks.h"
#include "FreeHoursRangeDlg.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "support/Cp1252.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <memory>

namespace {

// Sizes at 96 dpi.
constexpr int ClientWidth = 433;
constexpr int ClientHeight = 448;
constexpr int LeftX = 24;
constexpr int RightX = 240;
constexpr int FieldW = 105;

TCurrencyEdit *currencyEdit(
    QWidget *parent, int x, int y, int decimals, double maxValue, int helpContext)
{
    auto *e = new TCurrencyEdit(parent);
    e->setGeometry(x, y, FieldW, 21);
    e->SetDecimalPlaces(decimals);
    e->SetDisplayFormat(
        decimals == 2 && maxValue == 0 ? QStringLiteral(",0.00") : QStringLiteral(",0.0000"));
    e->SetMaxValue(maxValue);
    e->SetValue(0);
    SetHelpContext(e, helpContext);
    return e;
}

QCheckBox *checkBox(QWidget *parent, const QString &text, int y, bool checked, int helpContext)
{
    auto *c = new QCheckBox(text, parent);
    c->setGeometry(LeftX - 4, y, 400, 17);
    c->setChecked(checked);
    if (helpContext != 0)
        SetHelpContext(c, helpContext);
    return c;
}

// Leading and trailing blanks and control characters removed.
QString trimmedName(const QString &name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && name[end - 1].unicode() <= u' ')
        --end;
    return name.mid(begin, end - begin);
}

} // namespace

TNewEditProviderDlg::TNewEditProviderDlg(QWidget *owner)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Neuen Provider hinzufügen"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    SetDialogFont(this);
    // Labels and the two check boxes without a number of their own.
    SetHelpContext(this, AddHelpContext);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 417, 392);

    Label1 = DialogLabel(this, QStringLiteral("Name des Providers"), LeftX, 20);
    ProvNameEdit = new QLineEdit(this);
    ProvNameEdit->setGeometry(LeftX, 36, 385, 21);
    ProvNameEdit->setMaxLength(TKeyAndName::MaxNameLength);
    SetHelpContext(ProvNameEdit, 510100);
    connect(ProvNameEdit, &QLineEdit::textEdited, this, [this] { dropUnwantedNameChars(); });
    connect(ProvNameEdit, &QLineEdit::textChanged, this, [this] { ProvNameEditChange(); });

    Label2 = DialogLabel(this, QStringLiteral("Anzahl Freistunden"), LeftX, 72);
    FreeHoursEdit = new TMaskEdit(QStringLiteral("!9900:00:00;1; "), this);
    FreeHoursEdit->setGeometry(LeftX, 88, FieldW, 21);
    FreeHoursEdit->SetText(FreeHoursText(0));
    SetHelpContext(FreeHoursEdit, 510101);
    connect(FreeHoursEdit, &TMaskEdit::OnExit, this, [this] { FreeHoursEditExit(); });
    Label3 = DialogLabel(this, QStringLiteral("Stunde(n)"), LeftX + FieldW + 6, 92);

    Label4 = DialogLabel(this, QStringLiteral("Monatlicher Grundbetrag"), RightX, 72);
    BaseValueEdit = currencyEdit(this, RightX, 88, 2, 0, 510102);
    CurrencyLabel = DialogLabel(this, QStringLiteral("c"), RightX + FieldW + 6, 92);

    Label5 = DialogLabel(this, QStringLiteral("Keine Gebühren ab"), LeftX, 120);
    NoCostValueEdit = currencyEdit(this, LeftX, 136, 2, 0, 510104);
    CurrencyLabel1 = DialogLabel(this, QStringLiteral("%s pro Monat"), LeftX + FieldW + 6, 140);

    Label6 = DialogLabel(this, QStringLiteral("Kosten pro Tag"), RightX, 120);
    CostsPerDay = currencyEdit(this, RightX, 136, 2, 0, 510107);
    CurrencyLabel2 = DialogLabel(this, QStringLiteral("c"), RightX + FieldW + 6, 140);

    Label7 = DialogLabel(this, QStringLiteral("Kosten bei Einwahl:"), LeftX, 168);
    BaseConnectPriceEdit = currencyEdit(this, LeftX, 184, 4, 0, 510108);
    CurrencyLabel3 = DialogLabel(this, QStringLiteral("c"), LeftX + FieldW + 6, 188);

    Label8 = DialogLabel(this, QStringLiteral("Kosten während der Freistd."), RightX, 168);
    FreeHourCostEdit = currencyEdit(this, RightX, 184, 4, 999, 510110);
    CurrencyLabel4 = DialogLabel(this, QStringLiteral("c"), RightX + FieldW + 6, 188);

    ISDNDoubleCostsChkBox = checkBox(this,
        QStringLiteral(
            " Bei Kanalbündelung fallen während der Freistunden die erfassten Kosten an."),
        222, false, 0);
    FreeHoursPerDayChkBox
        = checkBox(this, QStringLiteral(" Angegebene Freistunden gelten pro Tag"), 244, false, 0);
    ChkBox2431 = checkBox(
        this, QStringLiteral(" am 24.12. und 31.12. gilt der Feiertagstarif"), 266, true, 510103);
    TimingChkBox = checkBox(this,
        QStringLiteral(" Der Provider rechnet im eingegebenen Zeittakt ab."), 288, true, 510105);
    connect(TimingChkBox, &QCheckBox::toggled, this, [this] { TimingChkBoxClick(); });

    InfoLabel1 = DialogLabel(this, QStringLiteral("Abrechnung im"), LeftX, 322);
    CalcTaktEdit = currencyEdit(this, LeftX, 338, 2, 1000, 510106);
    InfoLabel2 = DialogLabel(this, QStringLiteral("Sekundentakt"), LeftX + FieldW + 6, 342);
    InfoLabel3 = DialogLabel(this, QStringLiteral("Abrechnung ab der"), RightX, 322);
    FirstSecondEdit = currencyEdit(this, RightX, 338, 2, 1000, 510111);
    InfoLabel4 = DialogLabel(this, QStringLiteral("Sekunde"), RightX + FieldW + 6, 342);
    for (QWidget *w : std::initializer_list<QWidget *> {
             InfoLabel1, InfoLabel2, InfoLabel3, InfoLabel4, CalcTaktEdit, FirstSecondEdit})
        w->setEnabled(false);
    for (TCurrencyEdit *e : {CalcTaktEdit, FirstSecondEdit})
        e->SetDisplayFormat(QStringLiteral(",0.0000"));

    ApplyBtn = new QPushButton(QStringLiteral("Übernehmen"), this);
    ApplyBtn->setGeometry(8, 412, 89, 25);
    ApplyBtn->setEnabled(false);
    SetHelpContext(ApplyBtn, 6);
    connect(ApplyBtn, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(104, 412, 89, 25);
    SetHelpContext(CancelBtn, 2);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    FreeHoursRangeBtn = new QPushButton(QStringLiteral("Gültigkeit Freistunden..."), this);
    FreeHoursRangeBtn->setGeometry(280, 412, 145, 25);
    SetHelpContext(FreeHoursRangeBtn, 510109);
    connect(FreeHoursRangeBtn, &QPushButton::clicked, this, [this] { FreeHoursRangeBtnClick(); });
    for (QPushButton *b : {ApplyBtn, CancelBtn, FreeHoursRangeBtn})
        b->setAutoDefault(false);

    // Enter in a field or check box moves on instead of closing the dialog.
    const QList<QWidget *> order {ProvNameEdit, FreeHoursEdit, BaseValueEdit, NoCostValueEdit,
        CostsPerDay, BaseConnectPriceEdit, FreeHourCostEdit, ISDNDoubleCostsChkBox,
        FreeHoursPerDayChkBox, ChkBox2431, TimingChkBox, CalcTaktEdit, FirstSecondEdit, ApplyBtn,
        CancelBtn, FreeHoursRangeBtn};
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (i + 1 < order.size())
            setTabOrder(order[i], order[i + 1]);
        if (qobject_cast<QPushButton *>(order[i]) == nullptr)
            order[i]->installEventFilter(this);
    }
    fitToFont();
    CentreOnScreen(this);
    FormCreate();
}

TNewEditProviderDlg::~TNewEditProviderDlg() = default;

// Keeps the layout's sizes, widening the window only where the platform's
// font needs more room for a check box text than the original one.
void TNewEditProviderDlg::fitToFont()
{
    int extra = 0;
    for (QCheckBox *c : {ISDNDoubleCostsChkBox, FreeHoursPerDayChkBox, ChkBox2431, TimingChkBox})
        extra = std::max(extra, c->sizeHint().width() - c->width());
    for (QWidget *w : std::initializer_list<QWidget *> {Bevel1, ProvNameEdit, ISDNDoubleCostsChkBox,
             FreeHoursPerDayChkBox, ChkBox2431, TimingChkBox})
        w->resize(w->width() + extra, w->height());
    FreeHoursRangeBtn->move(FreeHoursRangeBtn->x() + extra, FreeHoursRangeBtn->y());
    setFixedSize(ClientWidth + extra, ClientHeight);
}

QString TNewEditProviderDlg::FreeHoursText(std::int32_t seconds)
{
    return SecondsToTimeText(std::clamp(seconds, 0, MaxFreeHours)).rightJustified(10, u' ');
}

bool TNewEditProviderDlg::IsNameChar(QChar c)
{
    // The name is one line of the file: no control characters (C0, DEL, C1),
    // no line or paragraph separators.
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator)
        return false;
    return c != u';' && c != u',' && c != u'&' && Cp1252::byteOf(c) >= 0;
}

void TNewEditProviderDlg::FormCreate()
{
    const QString symbol = TLocaleSettings::Current().CurrencyString;
    for (QLabel *l : {CurrencyLabel, CurrencyLabel2, CurrencyLabel3, CurrencyLabel4}) {
        l->setText(symbol);
        l->adjustSize();
    }
    CurrencyLabel1->setText(CurrencyLabel1->text().replace(QStringLiteral("%s"), symbol));
    CurrencyLabel1->adjustSize();
}

void TNewEditProviderDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TNewEditProviderDlg::FormShow()
{
    // Setting the state runs TimingChkBoxClick only when it changes.
    TimingChkBox->setChecked(!(CalcTaktEdit->Value() > 0 && FirstSecondEdit->Value() > 0));
}

void TNewEditProviderDlg::TimingChkBoxClick()
{
    const bool own = !TimingChkBox->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *> {
             InfoLabel1, InfoLabel2, InfoLabel3, InfoLabel4, CalcTaktEdit, FirstSecondEdit})
        w->setEnabled(own);
    if (!own) {
        CalcTaktEdit->SetValue(0);
        FirstSecondEdit->SetValue(0);
    }
}

// Typed or pasted: ";", "," and "&" never enter the name, nor characters the
// provider file cannot store.
void TNewEditProviderDlg::dropUnwantedNameChars()
{
    const QString text = ProvNameEdit->text();
    int cursor = ProvNameEdit->cursorPosition();
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsNameChar(text[i]))
            kept.append(text[i]);
        else if (i < cursor)
            --cursor;
    }
    if (kept.size() == text.size())
        return;
    QApplication::beep();
    ProvNameEdit->setText(kept);
    ProvNameEdit->setCursorPosition(cursor);
}

void TNewEditProviderDlg::ProvNameEditChange()
{
    ApplyBtn->setEnabled(!trimmedName(ProvNameEdit->text()).isEmpty());
}

void TNewEditProviderDlg::ProvNameEditExit()
{
    const QString trimmed = trimmedName(ProvNameEdit->text());
    if (trimmed != ProvNameEdit->text())
        ProvNameEdit->setText(trimmed);
}

void TNewEditProviderDlg::FreeHoursEditExit()
{
    qint64 seconds = 0;
    if (!ReadTimeText(QStringView(FreeHoursEdit->Text()), MaskTimeForm(), seconds)) {
        FreeHoursEdit->SetText(FreeHoursText(0));
        ShowMsgBox(QStringLiteral("Die eingegebenen Freistunden sind nicht korrekt!"), QString(),
            mkError, {btOK});
        return;
    }
    // Minutes and seconds above 59 carry into the next unit; the four hour
    // positions hold at most 9999 hours.
    FreeHoursEdit->SetText(FreeHoursText(std::int32_t(std::min<qint64>(seconds, MaxFreeHours))));
    if (seconds > MaxFreeHours)
        ShowMsgBox(QStringLiteral(
                       "Die eingegebenen Freistunden sind zu groß! Es werden höchstens %1 Stunden "
                       "übernommen.")
                       .arg(SecondsToTimeText(MaxFreeHours)),
            QString(), mkError, {btOK});
}

void TNewEditProviderDlg::FreeHoursRangeBtnClick()
{
    auto dlg = std::make_unique<TFreeHoursRangeDlg>(this);
    dlg->FreeHoursForAllChkBox->setChecked(FreeHoursRanges.isEmpty());
    for (const TFreeHoursRange &range : std::as_const(FreeHoursRanges))
        dlg->AddRange(range);
    // The list shows the ranges sorted; confirmed unchanged, they keep the
    // order they had.
    const TFreeHoursRangeArray shown = dlg->Ranges();
    if (dlg->exec() != QDialog::Accepted)
        return;
    const TFreeHoursRangeArray chosen
        = dlg->FreeHoursForAllChkBox->isChecked() ? TFreeHoursRangeArray() : dlg->Ranges();
    if (chosen != shown)
        FreeHoursRanges = chosen;
}

void TNewEditProviderDlg::ApplyBtnClick()
{
    ProvNameEditExit();
    if (NameTaken && NameTaken(ProvNameEdit->text())) {
        ShowMsgBox(QStringLiteral("Es existiert bereits ein Provider mit diesem Namen!"), QString(),
            mkError, {btOK});
        ProvNameEdit->setFocus(Qt::OtherFocusReason);
        ProvNameEdit->selectAll();
        return;
    }
    accept();
}

void TNewEditProviderDlg::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedButtonOnEnter(this, event))
        QDialog::keyPressEvent(event);
}

bool TNewEditProviderDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            PostNextControl(this);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && watched == ProvNameEdit) {
        ProvNameEditExit();
    }
    return QDialog::eventFilter(watched, event);
}
