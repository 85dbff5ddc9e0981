#include "FreeHoursRangeEditDlg.h"

#include "DialogLayout.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "controls/PanelEx.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int DayHelpContext = 51010923;

TMySpeedButton *dayButton(
    QWidget *parent, int index, const QString &caption, const QString &hint, int tag, int group)
{
    auto *b = new TMySpeedButton(parent);
    b->setGeometry(10 + index * 27, 26, 25, 25);
    b->SetCaption(caption);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    b->SetHint(hint);
    b->SetHelpContext(DayHelpContext);
    b->setProperty("Tag", tag);
    // Alone in its group and allowed up: each button toggles by itself.
    b->SetGroupIndex(group);
    b->SetAllowAllUp(true);
    // Tab reaches the day buttons too; Space toggles them.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

} // namespace

TFreeHoursRangeEditDlg::TFreeHoursRangeEditDlg(QWidget *owner)
    : QDialog(owner)
    , TEntryChecks(this, QStringLiteral("Taktung"))
{
    setWindowTitle(QStringLiteral("Eintrag hinzufügen"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
        | Qt::WindowContextHelpButtonHint);
    SetDialogFont(this);
    SetHelpContext(this, 51010911);

    const QString timeMask = QStringLiteral("!90:00;1; ");
    const int timeWidth = FieldWidth(this, QStringLiteral("00:00"), 41);
    const int amountWidth = FieldWidth(this, QStringLiteral("0.000,0000"), 89);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 419, 137);

    // Top row as in the tariff entry dialog: start, end, interval.
    int x = 24;
    EntryTimeFrom = new TMaskEdit(timeMask, this);
    EntryTimeFrom->setGeometry(x, 40, timeWidth, 21);
    Label1 = DialogLabel(this, QStringLiteral("Gültig von:"), x, 24, EntryTimeFrom);
    Label2 = DialogLabel(this, QStringLiteral("Uhr"), x + timeWidth + 5, 44);
    x = std::max(120, Label2->geometry().right() + 16);
    EntryTimeTo = new TMaskEdit(timeMask, this);
    EntryTimeTo->setGeometry(x, 40, timeWidth, 21);
    Label3 = DialogLabel(this, QStringLiteral("Gültig bis:"), x, 24, EntryTimeTo);
    Label4 = DialogLabel(this, QStringLiteral("Uhr"), x + timeWidth + 5, 44);
    x = std::max(216, Label4->geometry().right() + 16);
    Takt = new TCurrencyEdit(this);
    Takt->setGeometry(x, 40, amountWidth, 21);
    Label5 = DialogLabel(this, QStringLiteral("Taktung:"), x, 24, Takt);
    Label6 = DialogLabel(this, QStringLiteral("Sekunde(n)"), x + amountWidth + 5, 44);
    for (TMaskEdit *field : {EntryTimeFrom, EntryTimeTo})
        field->SetText(BlankTimeText());
    Takt->SetDecimalPlaces(4);
    Takt->SetDisplayFormat(QStringLiteral(",0.0000"));
    Takt->SetMaxValue(9999);
    Takt->SetValue(0);

    // The days below, where the tariff entry dialog has the fee.
    Panel = new TPanelEx(this);
    Panel->setGeometry(24, 72, 387, 62);
    SetHelpContext(Panel, DayHelpContext);
    Label13 = DialogLabel(Panel, QStringLiteral("Diese Einschränkung gilt:"), 10, 8);
    SunBtn = dayButton(Panel, 0, QStringLiteral("So"), QStringLiteral("Sonntag"), 1, 2001);
    QPalette red = SunBtn->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    SunBtn->setPalette(red);
    MoBtn = dayButton(Panel, 1, QStringLiteral("Mo"), QStringLiteral("Montag"), 2, 1001);
    TuBtn = dayButton(Panel, 2, QStringLiteral("Di"), QStringLiteral("Dienstag"), 3, 1002);
    WedBtn = dayButton(Panel, 3, QStringLiteral("Mi"), QStringLiteral("Mittwoch"), 4, 1003);
    ThuBtn = dayButton(Panel, 4, QStringLiteral("Do"), QStringLiteral("Donnerstag"), 5, 1004);
    FrBtn = dayButton(Panel, 5, QStringLiteral("Fr"), QStringLiteral("Freitag"), 6, 1005);
    SatBtn = dayButton(Panel, 6, QStringLiteral("Sa"), QStringLiteral("Samstag"), 7, 2000);

    ApplyBtn = DialogButton(this, QStringLiteral("Übernehmen"), 272, 153);
    CancelBtn = DialogButton(this, QStringLiteral("Abbrechen"), 352, 153);

    SetHelpContext(EntryTimeFrom, 51010920);
    SetHelpContext(EntryTimeTo, 51010921);
    SetHelpContext(Takt, 51010922);
    SetHelpContext(ApplyBtn, 6);
    SetHelpContext(CancelBtn, 2);

    setTabOrder(EntryTimeFrom, EntryTimeTo);
    setTabOrder(EntryTimeTo, Takt);
    setTabOrder(Takt, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);
    QWidget *previous = CancelBtn;
    for (TMySpeedButton *b : DayButtons()) {
        setTabOrder(previous, b);
        previous = b;
    }

    AttachEntryChecks(EntryTimeFrom, EntryTimeTo, Takt, ApplyBtn);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(435, 186);
    CentreOnScreen(this);
}

std::array<TMySpeedButton *, 7> TFreeHoursRangeEditDlg::DayButtons() const
{
    return {SunBtn, MoBtn, TuBtn, WedBtn, ThuBtn, FrBtn, SatBtn};
}

void TFreeHoursRangeEditDlg::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedButtonOnEnter(this, event))
        QDialog::keyPressEvent(event);
}
