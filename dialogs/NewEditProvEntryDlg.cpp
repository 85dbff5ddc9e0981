#include "NewEditProvEntryDlg.h"

#include "CentEuroDlg.h"
#include "DialogLayout.h"
#include "controls/ContextHelp.h"
#include "controls/CurrencyEdit.h"
#include "controls/MaskEdit.h"
#include "controls/MySpeedButton.h"
#include "support/LocaleSettings.h"
#include "support/MsgBox.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

TNewEditProvEntryDlg::TNewEditProvEntryDlg(QWidget *owner)
    : QDialog(owner)
    , TEntryChecks(this, QStringLiteral("Zeittakt"))
{
    setWindowTitle(NewCaption());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
        | Qt::WindowContextHelpButtonHint);
    SetDialogFont(this);

    const QString timeMask = QStringLiteral("!90:00;1; ");
    const int timeWidth = FieldWidth(this, QStringLiteral("00:00"), 41);
    const int amountWidth = FieldWidth(this, QStringLiteral("0.000,0000"), 89);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 419, 137);

    // Top row: start, end, interval; each with its label above and its unit right.
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
    Label5 = DialogLabel(this, QStringLiteral("Zeittakt:"), x, 24, Takt);
    Label6 = DialogLabel(this, QStringLiteral("Sekunde(n)"), x + amountWidth + 5, 44);

    // The fee below the start time.
    CurrencyEdit = new TCurrencyEdit(this);
    CurrencyEdit->setGeometry(24, 96, amountWidth, 21);
    Label7 = DialogLabel(this, QStringLiteral("Gebühr \"pro\" Zeittakt"), 24, 80, CurrencyEdit);
    cLabel = DialogLabel(this, QString(), 24 + amountWidth + 5, 100);

    for (TMaskEdit *field : {EntryTimeFrom, EntryTimeTo})
        field->SetText(QStringLiteral("99:99"));
    for (TCurrencyEdit *field : {Takt, CurrencyEdit}) {
        field->SetDecimalPlaces(4);
        field->SetDisplayFormat(QStringLiteral(",0.0000"));
    }
    Takt->SetMaxValue(9999);
    CurrencyEdit->SetMaxValue(100);

    CentEuroBtn = new TMySpeedButton(this);
    CentEuroBtn->SetCaption(QStringLiteral("Cent->Euro"));
    CentEuroBtn->SetHint(QStringLiteral("Umwandlung Angabe in Cent in Euro-Beträge"));
    CentEuroBtn->setGeometry(8, 153, std::max(81, CentEuroBtn->sizeHint().width()), 25);
    ApplyBtn = DialogButton(this, QStringLiteral("Übernehmen"), 272, 153);
    CancelBtn = DialogButton(this, QStringLiteral("Abbrechen"), 352, 153);

    SetHelpContext(EntryTimeFrom, 510200);
    SetHelpContext(EntryTimeTo, 510201);
    SetHelpContext(Takt, 510202);
    SetHelpContext(CurrencyEdit, 510203);
    SetHelpContext(ApplyBtn, 6);
    SetHelpContext(CancelBtn, 2);

    setTabOrder(EntryTimeFrom, EntryTimeTo);
    setTabOrder(EntryTimeTo, Takt);
    setTabOrder(Takt, CurrencyEdit);
    setTabOrder(CurrencyEdit, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);

    AttachEntryChecks(EntryTimeFrom, EntryTimeTo, Takt, ApplyBtn);
    connect(
        CurrencyEdit, &TCurrencyEdit::OnKeyPress, this,
        [this](QChar &key) { CurrencyEditKeyPress(key); }, Qt::DirectConnection);
    connect(
        CurrencyEdit, &TCurrencyEdit::OnExit, this, [this] { CurrencyEditExit(); },
        Qt::DirectConnection);
    connect(CentEuroBtn, &QToolButton::clicked, this, [this] { CentEuroBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(435, 186);
    CentreOnScreen(this);
    FormCreate();
}

void TNewEditProvEntryDlg::FormCreate()
{
    TaktOk = false;
    TimeFromOk = false;
    TimeToOk = false;
    Applied = false;
    cLabel->setText(TLocaleSettings::Current().CurrencyString);
    cLabel->adjustSize();
}

QString TNewEditProvEntryDlg::NegativeFeeText()
{
    return QStringLiteral(
        "Der Wert für 'Gebühr \"pro\" Zeittakt' muss immer größer bzw. gleich 0 betragen!");
}

void TNewEditProvEntryDlg::CurrencyEditKeyPress(QChar &key)
{
    if (key == u'\r' || key == u'\n') {
        key = QChar();
        PostNextControl(this);
    }
}

void TNewEditProvEntryDlg::CurrencyEditExit()
{
    if (CurrencyEdit->Value() < 0) {
        ReturnFocus(CurrencyEdit);
        ShowMsgBox(NegativeFeeText(), QString(), mkError, {btOK});
    }
}

void TNewEditProvEntryDlg::CentEuroBtnClick()
{
    TCentEuroDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The speed button takes no focus: the focus is still in the field the
    // user was in.
    if (auto *amount = qobject_cast<TCurrencyEdit *>(focusWidget()))
        amount->SetValue(dialog.EuroEdit->Value());
}

void TNewEditProvEntryDlg::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedButtonOnEnter(this, event))
        QDialog::keyPressEvent(event);
}
