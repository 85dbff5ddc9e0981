#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TCurrencyEdit;

// A small calculator: an amount in cents and the same amount in euros, each
// field following the other. The caller presets nothing and reads EuroEdit's
// value when the dialog closes with OK.
class TCentEuroDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TCentEuroDlg(QWidget *owner);

    // EuroEdit := CentEdit / 100.
    void CentEditChange();
    // CentEdit := the euro amount as shown, × 100.
    void EuroEditChange();
    // Enter confirms.
    void CentEditKeyPress(QChar &key);
    // Whether the user typed in the cent field at all: confirming the empty
    // calculator gives 0, which its caller does not take for an amount.
    bool AmountTyped() const { return m_amountTyped; }

    QFrame *Bevel1;
    QLabel *Label1;
    TCurrencyEdit *CentEdit;
    QLabel *Label2;
    TCurrencyEdit *EuroEdit;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_amountTyped = false;
};
