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

    CreateEntryFields();
    for (TMaskEdit *field : {EntryTimeFrom, EntryTimeTo})
        field->SetText(BlankTimeText());
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

    SetHelpContext(EntryTimeFrom, 51010920);
    SetHelpContext(EntryTimeTo, 51010921);
    SetHelpContext(Takt, 51010922);
    SetHelpContext(ApplyBtn, 6);
    SetHelpContext(CancelBtn, 2);

    setTabOrder(Takt, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);
    QWidget *previous = CancelBtn;
    for (TMySpeedButton *b : DayButtons()) {
        setTabOrder(previous, b);
        previous = b;
    }

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
