#pragma once

#include <QDialog>
#include <QList>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TProviderData;

// "Provider aus Hauptproviderdatei übernehmen": lists the providers of the
// main file in their sorted order for the user to choose from. A filter field
// narrows the list (letter case ignored as in the file's section names), the
// list takes several providers at once, and a line under it sums up the
// current one. Enter takes the selection, Esc cancels. The dialog only
// chooses; the caller copies the chosen providers after OK.
class TTakeOverProvDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int WindowHelpContext = 510043;

    // mainFile: the loaded main file, which must outlive the dialog;
    // faultyLines: how many of its lines the load passed over.
    TTakeOverProvDlg(QWidget *owner, const TProviderData &mainFile, int faultyLines);
    ~TTakeOverProvDlg() override;

    // Indices into the main file of the chosen providers, in list order
    // (only providers the filter shows can be chosen).
    QList<int> SelectedProviders() const;

    // "21 Werktag-Einträge, 4 Sa/So/Feiertag-Einträge, Grundbetrag 4,95 €"
    static QString ProviderSummary(const TProviderData &data, int i);

    void FilterEditChange();
    void ProvidersLBChange();
    void ApplyBtnClick();

    QFrame *Bevel1;
    QLabel *Label1;
    QLineEdit *FilterEdit;
    QLabel *Label2;
    QListWidget *ProvidersLB;
    QLabel *SummaryLabel;
    QLabel *SelectionLabel;
    QLabel *FaultsLabel;
    QPushButton *ApplyBtn;
    QPushButton *CancelBtn;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TProviderData &m_main;
};
