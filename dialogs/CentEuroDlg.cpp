#include "CentEuroDlg.h"

#include "DialogLayout.h"
#include "EntryChecks.h"
#include "controls/CurrencyEdit.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

// The value a field with four decimals shows.
double shown(double value)
{
    return std::round(value * 10000) / 10000;
}

} // namespace

TCentEuroDlg::TCentEuroDlg(QWidget *owner)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Cent in Euro Umrechnung"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetDialogFont(this);
    const int width = FieldWidth(this, QStringLiteral("0.000.000,0000"), 121);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 281, 65);
    CentEdit = new TCurrencyEdit(this);
    CentEdit->setGeometry(16, 36, width, 21);
    Label1 = DialogLabel(this, QStringLiteral("Angabe in Cent:"), 16, 20, CentEdit);
    EuroEdit = new TCurrencyEdit(this);
    EuroEdit->setGeometry(std::max(152, 16 + width + 15), 36, width, 21);
    Label2 = DialogLabel(this, QStringLiteral("Angabe in Euro:"), EuroEdit->x(), 20, EuroEdit);
    for (TCurrencyEdit *field : {CentEdit, EuroEdit}) {
        field->SetDecimalPlaces(4);
        field->SetDisplayFormat(QStringLiteral(",0.0000"));
    }
    EuroEdit->setReadOnly(true);
    EuroEdit->setFocusPolicy(Qt::ClickFocus);

    const int right = std::max(289, EuroEdit->geometry().right() + 9);
    Bevel1->resize(right - 8, Bevel1->height());
    OKBtn = DialogButton(this, QStringLiteral("Übernehmen"), right - 160, 81);
    CancelBtn = DialogButton(this, QStringLiteral("Abbrechen"), right - 75, 81);
    setTabOrder(CentEdit, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    connect(CentEdit, &TCurrencyEdit::OnChange, this, [this] { CentEditChange(); });
    connect(EuroEdit, &TCurrencyEdit::OnChange, this, [this] { EuroEditChange(); });
    connect(CentEdit, &QLineEdit::textEdited, this, [this] { m_amountTyped = true; });
    connect(
        CentEdit, &TCurrencyEdit::OnKeyPress, this, [this](QChar &key) { CentEditKeyPress(key); },
        Qt::DirectConnection);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(right + 8, 112);
    CentreOnScreen(this);
}

// The two fields feed each other until a field's text stays the same. The
// euro field goes by what it shows, so a third decimal of cents is rounded
// away in the cent field at once: 1,234 cents become 1,23 and 0,0123 euros.
void TCentEuroDlg::CentEditChange()
{
    const double euros = shown(CentEdit->Value() / 100);
    EuroEdit->SetValue(euros);
    // The euro field may show the same text as before (1,23 and 1,234 cents
    // both show 0,0123 euros): the cent field follows it all the same.
    const double cents = shown(euros * 100);
    if (cents != shown(CentEdit->Value()))
        CentEdit->SetValue(cents);
}

void TCentEuroDlg::EuroEditChange()
{
    CentEdit->SetValue(shown(shown(EuroEdit->Value()) * 100));
}

void TCentEuroDlg::CentEditKeyPress(QChar &key)
{
    if (key == u'\r' || key == u'\n') {
        key = QChar();
        OKBtn->click();
    }
}

void TCentEuroDlg::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedButtonOnEnter(this, event))
        QDialog::keyPressEvent(event);
}
