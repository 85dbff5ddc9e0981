#pragma once

#include "model/TETypes.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TCurrencyEdit;
class TMaskEdit;

// "Neuen Provider hinzufügen" / "Optionen des Providers ändern": the name and
// the options of one provider. The dialog only edits, normalises and enables;
// the caller fills it, shows it and, after OK, reads the fields and
// FreeHoursRanges. OK comes only from ApplyBtn, which is enabled while the
// name is not blank.
class TNewEditProviderDlg : public QDialog
{
    Q_OBJECT
public:
    // The most free hours the field can hold: 9999:59:59.
    static constexpr std::int32_t MaxFreeHours = TProviderOptions::MaxFreeHours;

    // Help of the dialog as a whole: adding; the caller sets EditHelpContext
    // when it changes a provider.
    static constexpr int AddHelpContext = 510040;
    static constexpr int EditHelpContext = 510041;

    explicit TNewEditProviderDlg(QWidget *owner);
    ~TNewEditProviderDlg() override;

    // The free-hours text for a number of seconds, right-aligned in the
    // field's ten positions ("  05:00:00"); more than MaxFreeHours shows as
    // MaxFreeHours.
    static QString FreeHoursText(std::int32_t seconds);
    // Whether a provider name can hold the character: not ";", "," or "&",
    // no control character or line break, and one the provider file's code
    // page can store.
    static bool IsNameChar(QChar c);

    // The validity ranges being edited; replaced only when the validity
    // dialog closes with OK and other ranges than it showed (an unchanged
    // list keeps its order, although the dialog shows it sorted).
    TFreeHoursRangeArray FreeHoursRanges;

    // Set by a caller that refuses names already given: whether the name is
    // taken. Übernehmen then says so and keeps the dialog open with the
    // focus in the name.
    std::function<bool(const QString &name)> NameTaken;

    void FormCreate();
    void FormShow();
    void ProvNameEditChange();
    void ProvNameEditExit();
    void FreeHoursEditExit();
    void TimingChkBoxClick();
    void FreeHoursRangeBtnClick();
    // Closes with OK unless NameTaken refuses the name.
    void ApplyBtnClick();

    QFrame *Bevel1;
    QLabel *Label1;
    QLineEdit *ProvNameEdit;
    QLabel *Label2;
    TMaskEdit *FreeHoursEdit;
    QLabel *Label3;
    QLabel *Label4;
    TCurrencyEdit *BaseValueEdit;
    QLabel *CurrencyLabel;
    QLabel *Label5;
    TCurrencyEdit *NoCostValueEdit;
    QLabel *CurrencyLabel1;
    QLabel *Label6;
    TCurrencyEdit *CostsPerDay;
    QLabel *CurrencyLabel2;
    QLabel *Label7;
    TCurrencyEdit *BaseConnectPriceEdit;
    QLabel *CurrencyLabel3;
    QLabel *Label8;
    TCurrencyEdit *FreeHourCostEdit;
    QLabel *CurrencyLabel4;
    QCheckBox *ISDNDoubleCostsChkBox;
    QCheckBox *FreeHoursPerDayChkBox;
    QCheckBox *ChkBox2431;
    QCheckBox *TimingChkBox;
    QLabel *InfoLabel1;
    TCurrencyEdit *CalcTaktEdit;
    QLabel *InfoLabel2;
    QLabel *InfoLabel3;
    TCurrencyEdit *FirstSecondEdit;
    QLabel *InfoLabel4;
    QPushButton *ApplyBtn;
    QPushButton *CancelBtn;
    QPushButton *FreeHoursRangeBtn;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dropUnwantedNameChars();
    void fitToFont();
};
