#include "MySpeedButton.h"

TMySpeedButton::TMySpeedButton(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    updateButtonStyle();
}

void TMySpeedButton::SetGlyph(const QIcon &glyph)
{
    setIcon(glyph);
    updateButtonStyle();
}

void TMySpeedButton::SetCaption(const QString &caption)
{
    setText(caption);
    updateButtonStyle();
}

void TMySpeedButton::updateButtonStyle()
{
    if (text().isEmpty())
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    else if (icon().isNull())
        setToolButtonStyle(Qt::ToolButtonTextOnly);
    else
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

QList<TMySpeedButton *> TMySpeedButton::groupMates() const
{
    QList<TMySpeedButton *> mates;
    if (m_groupIndex == 0 || parentWidget() == nullptr)
        return mates;
    const auto siblings =
        parentWidget()->findChildren<TMySpeedButton *>(Qt::FindDirectChildrenOnly);
    for (TMySpeedButton *b : siblings)
        if (b != this && b->m_groupIndex == m_groupIndex)
            mates.append(b);
    return mates;
}

void TMySpeedButton::SetGroupIndex(int index)
{
    if (index < 0)
        index = 0;
    m_groupIndex = index;
    if (index == 0)
        setChecked(false);
    setCheckable(index > 0);
    if (Down()) {
        // Joining a group with a down button: this one stays down.
        for (TMySpeedButton *b : groupMates())
            b->setChecked(false);
    }
}

void TMySpeedButton::SetAllowAllUp(bool allow)
{
    m_allowAllUp = allow;
    for (TMySpeedButton *b : groupMates())
        b->m_allowAllUp = allow;
}

void TMySpeedButton::SetDown(bool down)
{
    if (m_groupIndex == 0 || down == Down())
        return;
    if (!down && !m_allowAllUp)
        return;
    setChecked(down);
    if (down)
        for (TMySpeedButton *b : groupMates())
            b->setChecked(false);
}

void TMySpeedButton::nextCheckState()
{
    // Called on a click of a grouped button (GroupIndex > 0).
    SetDown(!Down());
}

void TMySpeedButton::SetHint(const QString &hint)
{
    m_hint = hint;
    if (hint.isEmpty()) {
        setToolTip(QString());
        return;
    }
    // Rich text with the characters escaped: a hint such as "<Einfg>" must not
    // be taken for markup. Its lines are the hint's own: a tool tip would
    // otherwise wrap a one-line hint into a narrow column.
    QString lines = hint.toHtmlEscaped();
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\n', QStringLiteral("<br>"));
    setToolTip(QStringLiteral("<p style='white-space:pre'>") + lines + QStringLiteral("</p>"));
}
