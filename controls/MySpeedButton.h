#pragma once

#include <QIcon>
#include <QToolButton>

// A flat toolbar button with glyph and caption that never takes the focus.
//
// Grouping: GroupIndex 0 makes a plain push button (never down). Buttons with
// the same GroupIndex > 0 and the same parent form a group in which at most
// one button is down; clicking a raised button lowers it and raises the
// others. Clicking the down button raises it only when AllowAllUp is set;
// without AllowAllUp SetDown(false) on the down button is refused as well
// (lower another button instead). AllowAllUp is shared by the whole group:
// setting it on one button sets it on all current members.
//
// The hint is the button's tool tip, shown as plain text; "\r\n" in it
// breaks the line, and nothing else does.
class TMySpeedButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QIcon Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE SetHelpContext)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
public:
    explicit TMySpeedButton(QWidget *parent = nullptr);

    QIcon Glyph() const { return icon(); }
    void SetGlyph(const QIcon &glyph);
    QString Caption() const { return text(); }
    void SetCaption(const QString &caption);

    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool allow);
    bool Down() const { return isChecked(); }
    void SetDown(bool down);

    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int context) { m_helpContext = context; }

    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint);

protected:
    void nextCheckState() override;

private:
    QList<TMySpeedButton *> groupMates() const;
    void updateButtonStyle();

    int m_groupIndex = 0;
    bool m_allowAllUp = false;
    int m_helpContext = 0;
    QString m_hint;
};
