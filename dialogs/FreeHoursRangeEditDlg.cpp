#include "FreeHoursRangeEditDlg.h"

#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "controls/PanelEx.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

// Sizes at 96 dpi.
constexpr int ClientWidth = 435;
constexpr int ClientHeight = 186;
constexpr int DayHelpContext = 51010923;

QLabel *label(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

TMaskEdit *timeField(QWidget *parent, int x, int helpContext)
{
    auto *e = new TMaskEdit(QStringLiteral("!90:00;1; "), parent);
    e->setGeometry(x, 36, 49, 21);
    e->SetText(e->BlankText());
    SetHelpContext(e, helpContext);
    return e;
}

TMySpeedButton *dayButton(QWidget *parent, int index, const QString &caption, const QString &hint, int tag,
                          int group)
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
{
    setWindowTitle(QStringLiteral("Eintrag hinzufügen"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 419, 137);

    EntryTimeFrom = timeField(this, 20, 51010920);
    Label1 = label(this, QStringLiteral("Gültig von:"), 20, 20);
    Label1->setBuddy(EntryTimeFrom);
    Label2 = label(this, QStringLiteral("Uhr"), 74, 40);
    EntryTimeTo = timeField(this, 120, 51010921);
    Label3 = label(this, QStringLiteral("Gültig bis:"), 120, 20);
    Label3->setBuddy(EntryTimeTo);
    Label4 = label(this, QStringLiteral("Uhr"), 174, 40);

    Label5 = label(this, QStringLiteral("Taktung:"), 232, 20);
    Takt = new TCurrencyEdit(this);
    Takt->setGeometry(232, 36, 105, 21);
    Takt->SetDecimalPlaces(4);
    Takt->SetDisplayFormat(QStringLiteral(",0.0000"));
    Takt->SetMaxValue(9999);
    Takt->SetValue(0);
    SetHelpContext(Takt, 51010922);
    Label6 = label(this, QStringLiteral("Sekunde(n)"), 342, 40);

    Panel = new TPanelEx(this);
    Panel->setGeometry(20, 70, 395, 62);
    SetHelpContext(Panel, DayHelpContext);
    Label13 = label(Panel, QStringLiteral("Diese Einschränkung gilt:"), 10, 8);
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

    ApplyBtn = new QPushButton(QStringLiteral("Übernehmen"), this);
    ApplyBtn->setGeometry(250, 154, 85, 25);
    SetHelpContext(ApplyBtn, 6);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(342, 154, 85, 25);
    SetHelpContext(CancelBtn, 2);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton *b : {ApplyBtn, CancelBtn})
        b->setAutoDefault(false);

    setTabOrder(EntryTimeFrom, EntryTimeTo);
    setTabOrder(EntryTimeTo, Takt);
    setTabOrder(Takt, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);
    QWidget *previous = CancelBtn;
    for (TMySpeedButton *b : DayButtons()) {
        setTabOrder(previous, b);
        previous = b;
    }
    setFixedSize(ClientWidth, ClientHeight);
}

TFreeHoursRangeEditDlg::~TFreeHoursRangeEditDlg() = default;

std::array<TMySpeedButton *, 7> TFreeHoursRangeEditDlg::DayButtons() const
{
    return {SunBtn, MoBtn, TuBtn, WedBtn, ThuBtn, FrBtn, SatBtn};
}
