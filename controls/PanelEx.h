#pragma once

#include <QList>
#include <QPixmap>
#include <QWidget>

// A panel that draws etched lines along its edges instead of bevels, can tile
// a wallpaper over its inner area, accepts files dropped from the desktop and
// can keep its child controls right-aligned.
//
// Lines: HorzLines and VertLines (both on by default) draw the lines of the
// top and bottom, and of the left and right edge, in the platform's button
// highlight and shadow colours; the single-edge flags add one edge each. With
// HorzLines and HorzTopLine both off, two short ticks mark the top corners.
//
// Right-aligning: the children keep the gaps between them that they had when
// the panel first arranged them (or when their number changed); the rightmost
// one ends RightBorder pixels from the right edge. The panel arranges when
// AlignControlsRight or RightBorder changes and after every resize.
//
// Files: with AcceptFiles, local files dropped on the panel are passed to
// OnDropFiles, in the order the platform gives them, with the drop point in
// panel coordinates. Drops that bring no local file are refused.
class TPanelEx : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool AcceptFiles READ AcceptFiles WRITE SetAcceptFiles)
    Q_PROPERTY(bool HorzTopLine READ HorzTopLine WRITE SetHorzTopLine)
    Q_PROPERTY(bool HorzBottomLine READ HorzBottomLine WRITE SetHorzBottomLine)
    Q_PROPERTY(bool VertLeftLine READ VertLeftLine WRITE SetVertLeftLine)
    Q_PROPERTY(bool VertRightLine READ VertRightLine WRITE SetVertRightLine)
    Q_PROPERTY(bool HorzLines READ HorzLines WRITE SetHorzLines)
    Q_PROPERTY(bool VertLines READ VertLines WRITE SetVertLines)
    Q_PROPERTY(bool AlignControlsRight READ AlignControlsRight WRITE SetAlignControlsRight)
    Q_PROPERTY(int RightBorder READ RightBorder WRITE SetRightBorder)
    Q_PROPERTY(QPixmap Wallpaper READ Wallpaper WRITE SetWallpaper)
public:
    // The width of each etched line, and the frame the wallpaper leaves free:
    // an outer and an inner bevel of this width.
    static constexpr int BevelWidth = 1;

    explicit TPanelEx(QWidget *parent = nullptr);

    bool AcceptFiles() const { return m_acceptFiles; }
    void SetAcceptFiles(bool accept);
    bool HorzTopLine() const { return m_horzTopLine; }
    void SetHorzTopLine(bool on) { setLineFlag(m_horzTopLine, on); }
    bool HorzBottomLine() const { return m_horzBottomLine; }
    void SetHorzBottomLine(bool on) { setLineFlag(m_horzBottomLine, on); }
    bool VertLeftLine() const { return m_vertLeftLine; }
    void SetVertLeftLine(bool on) { setLineFlag(m_vertLeftLine, on); }
    bool VertRightLine() const { return m_vertRightLine; }
    void SetVertRightLine(bool on) { setLineFlag(m_vertRightLine, on); }
    bool HorzLines() const { return m_horzLines; }
    void SetHorzLines(bool on) { setLineFlag(m_horzLines, on); }
    bool VertLines() const { return m_vertLines; }
    void SetVertLines(bool on) { setLineFlag(m_vertLines, on); }
    bool AlignControlsRight() const { return m_alignControlsRight; }
    void SetAlignControlsRight(bool on);
    int RightBorder() const { return m_rightBorder; }
    void SetRightBorder(int border);
    const QPixmap &Wallpaper() const { return m_wallpaper; }
    void SetWallpaper(const QPixmap &picture);

    // Right-aligns the children now (when AlignControlsRight is set).
    void ArrangeControls();

signals:
    void OnDropFiles(const QStringList &files, const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct TLayoutEntry
    {
        QWidget *Control;
        int Left;
        int Gap;
    };
    void setLineFlag(bool &flag, bool on);
    QList<QWidget *> childControls() const;
    void rebuildLayout(const QList<QWidget *> &children);

    bool m_acceptFiles = false;
    bool m_horzTopLine = false;
    bool m_horzBottomLine = false;
    bool m_vertLeftLine = false;
    bool m_vertRightLine = false;
    bool m_horzLines = true;
    bool m_vertLines = true;
    bool m_alignControlsRight = false;
    int m_rightBorder = 1;
    QPixmap m_wallpaper;
    QList<TLayoutEntry> m_layout;
};
