#pragma once

#include "support/TheIniFile.h"

#include <QDialog>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class TProvidersDlg;

// The start window: the user chooses the main or the user provider file, the
// editor opens on it behind the wait window, and after the editor closes the
// program ends, with a restart notice when a save happened.
class TMain : public QDialog
{
    Q_OBJECT
public:
    static constexpr int WindowHelpContext = 510000;

    // askForFolder: the program's folder is of no use and no folder was
    // remembered; the window asks for the folder of the provider files with
    // the platform's folder dialog as soon as it shows, and ends the program
    // when none is chosen.
    explicit TMain(QWidget *parent = nullptr, bool askForFolder = false);
    ~TMain() override;

    // "Provider.ini" for item 0, "UserProv.ini" otherwise (also with no selection).
    QString GetSelectedFileName() const;

    // The INI component through which the editor loads and saves.
    TTheIniFile TelIniFile;
    // Set once a save has put a new provider file in place.
    bool RestartNeeded = false;
    // The open editor while it exists.
    TProvidersDlg *Editor = nullptr;

    void OKBtnClick();
    void CancelBtnClick();
    void ProviderInfosSelectLBDblClick();

    QFrame *Bevel1;
    QLabel *Label2;
    QLabel *Label1;
    QListWidget *ProviderInfosSelectLB;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void askForFolder();
    void showFolderInTips();

    bool m_shownOnce = false;
    bool m_closeQueried = false;
    bool m_askForFolder;
};

// "Zalvor - Tarifeditor 3.00 [Qt 6.x.y]": caption of the start window and application title.
QString ApplicationCaption();
