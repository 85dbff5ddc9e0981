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

    const int amountWidth = CreateEntryFields();

    // The fee below the start time.
    CurrencyEdit = new TCurrencyEdit(this);
    CurrencyEdit->setGeometry(24, 96, amountWidth, 21);
    Label7 = DialogLabel(this, QStringLiteral("Gebühr \"pro\" Zeittakt"), 24, 80, CurrencyEdit);
    cLabel = DialogLabel(this, QString(), 24 + amountWidth + 5, 100);

    for (TMaskEdit *field : {EntryTimeFrom, EntryTimeTo})
        field->SetText(QStringLiteral("99:99"));
    CurrencyEdit->SetDecimalPlaces(4);
    CurrencyEdit->SetDisplayFormat(QStringLiteral(",0.0000"));
    CurrencyEdit->SetMaxValue(100);

    CentEuroBtn = new TMySpeedButton(this);
    // Alt+C presses it; it takes no focus, so the amount field keeps it.
    CentEuroBtn->SetCaption(QStringLiteral("&Cent->Euro"));
    CentEuroBtn->SetHint(QStringLiteral("Umwandlung Angabe in Cent in Euro-Beträge"));
    CentEuroBtn->setGeometry(8, 153, std::max(81, CentEuroBtn->sizeHint().width()), 25);

    SetHelpContext(EntryTimeFrom, 510200);
    SetHelpContext(EntryTimeTo, 510201);
    SetHelpContext(Takt, 510202);
    SetHelpContext(CurrencyEdit, 510203);
    SetHelpContext(ApplyBtn, 6);
    SetHelpContext(CancelBtn, 2);

    setTabOrder(Takt, CurrencyEdit);
    setTabOrder(CurrencyEdit, ApplyBtn);
    setTabOrder(ApplyBtn, CancelBtn);

    connect(
        CurrencyEdit, &TCurrencyEdit::OnKeyPress, this,
        [this](QChar &key) { CurrencyEditKeyPress(key); }, Qt::DirectConnection);
    connect(
        CurrencyEdit, &TCurrencyEdit::OnExit, this, [this] { CurrencyEditExit(); },
        Qt::DirectConnection);
    connect(CentEuroBtn, &QToolButton::clicked, this, [this] { CentEuroBtnClick(); });

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
    // Confirmed without an amount typed, the calculator leaves the field as
    // it is rather than writing 0 over what it holds.
    if (dialog.exec() != QDialog::Accepted || !dialog.AmountTyped())
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
