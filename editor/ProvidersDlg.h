#pragma once

#include "model/Coverage.h"
#include "model/ProviderData.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class TNewEditProvEntryDlg;
class TMySpeedButton;
class TCoverageStrip;
class TStringGrid;
class TTheIniFile;

// The provider editor: one provider at a time, chosen in ProvidersCB, with its
// free hours, monthly base amount and the two grids of tariff entries for
// working days (ProvStrGrid1) and for Saturday, Sunday and holidays
// (ProvStrGrid2). Creating the window loads the file; saving writes it anew
// and closes the window.
class TProvidersDlg : public QDialog
{
    Q_OBJECT
public:
    // Help context of the window itself, for controls without their own.
    static constexpr int WindowHelpContext = 510009;

    // Loads fileName (a bare name in the program directory) through iniFile
    // before returning; later saves go through the same component, which must
    // outlive the window. owner is the window the editor belongs to.
    TProvidersDlg(QWidget *owner, TTheIniFile &iniFile, const QString &fileName);
    ~TProvidersDlg() override;

    // The tariff model: four parallel lists, Modified and FileName. Item i of
    // ProvidersCB is the display name of provider i.
    TProviderData Data;
    bool Modified() const { return Data.Modified; }
    // True when the file is there but could not be read (the user has been
    // told why): the window must not be shown, as saving it would replace
    // the file with an empty one.
    bool Unreadable() const { return m_unreadable; }
    const QString &FileName() const { return Data.FileName; }

    // Fills the labels and the grids for the selected provider.
    void ShowSelectedProvider();

    // Commands.
    void ProvidersCBChange();
    void SortBtnClick();
    void SaveBtnClick();
    void AddProvClick();
    void EditProvClick();
    void DelProvClick();
    // Copies providers chosen from the main file into this file under fresh
    // keys; offered only when the window is not opened on the main file.
    void TakeOverProvClick();
    bool TakeOverOffered() const;
    void AddEntry1BtnClick();
    void EditEntry1BtnClick();
    void DeleteEntry1BtnClick();
    void AddEntry2BtnClick();
    void EditEntry2BtnClick();
    void DeleteEntry2BtnClick();

    // Controls.
    QFrame *Bevel1;
    QLabel *Label1;
    QComboBox *ProvidersCB;
    QFrame *Panel1;
    TMySpeedButton *AddProv;
    TMySpeedButton *EditProv;
    TMySpeedButton *DelProv;
    TMySpeedButton *TakeOverProv;
    QLabel *Label4;
    QLabel *FreeHours;
    QLabel *Label5;
    QLabel *Grundbetrag;
    QFrame *Bevel2;
    QLabel *Label2;
    TStringGrid *ProvStrGrid1;
    QLabel *Label3;
    TStringGrid *ProvStrGrid2;
    // The day's coverage under each grid and its summary next to the caption.
    TCoverageStrip *Coverage1;
    QLabel *CoverageLabel1;
    TCoverageStrip *Coverage2;
    QLabel *CoverageLabel2;
    QFrame *Panel2;
    TMySpeedButton *AddEntry1Btn;
    TMySpeedButton *EditEntry1Btn;
    TMySpeedButton *DeleteEntry1Btn;
    QFrame *Bevel9;
    TMySpeedButton *SortBtn;
    QFrame *Bevel8;
    TMySpeedButton *AddEntry2Btn;
    TMySpeedButton *EditEntry2Btn;
    TMySpeedButton *DeleteEntry2Btn;
    QPushButton *SaveBtn;
    QPushButton *CancelBtn;
    QMenu *PopupMenuStrGrid1;
    QMenu *PopupMenuStrGrid2;
    // The provider area's menu (the provider list and its buttons).
    QMenu *PopupMenuProvider;

signals:
    // A save put a new provider file in place.
    void Saved();

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class TSaveOutcome { Declined, Failed, Saved };
    TSaveOutcome save();
    void FormCreate();
    bool FormCloseQuery();
    void createControls();
    void fitToFont();
    void fillGrid(TStringGrid *grid, const TTariffEntryList &entries);
    void showCoverage(int provider);
    // The entry commands of one day class: its grid and its entry lists.
    TStringGrid *gridOf(TDayClass dayClass) const;
    void addEntry(TDayClass dayClass);
    void editEntry(TDayClass dayClass);
    void deleteEntry(TDayClass dayClass);
    // Index in the selected provider's list of the entry that grid row row
    // shows; -1 if the row shows none.
    int entryIndexOfRow(TDayClass dayClass, int row) const;
    // Stores the dialog's confirmed values into entry.
    static void takeEntryValues(const TNewEditProvEntryDlg &dialog, TTariffEntry &entry);
    void gridKeyUp(TStringGrid *grid, int key);
    void createTakeOverControls();
    // The rules of the provider commands: the number of providers the file
    // may hold (shows the limit's message when `added` more would pass it)
    // and names that differ in letter case only count as the same.
    bool providerLimitAllows(int added);
    bool hasProviderNamed(const QString &displayName) const;

    TTheIniFile &m_iniFile;
    bool m_closing = false;
    bool m_unreadable = false;
    TPriceRange m_prices;
    bool m_pricesKnown = false;
};

// The cell texts of one entry row: "08:00:00 Uhr", "17:59:59 Uhr",
// "60,0000 Sekunde(n)", "0,0300 €" under German settings.
QStringList TariffEntryCells(const TTariffEntry &entry);
