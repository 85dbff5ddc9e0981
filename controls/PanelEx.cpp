#include "PanelEx.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace {

// A line of one pixel's width from (x1, y1) up to, not including, (x2, y2);
// the panel only draws horizontal and vertical lines.
void etch(QPainter &p, const QColor &color, int x1, int y1, int x2, int y2)
{
    if (y1 == y2 && x1 != x2)
        p.fillRect(QRect(std::min(x1, x2 + 1), y1, std::abs(x2 - x1), TPanelEx::BevelWidth), color);
    else if (x1 == x2 && y1 != y2)
        p.fillRect(QRect(x1, std::min(y1, y2 + 1), TPanelEx::BevelWidth, std::abs(y2 - y1)), color);
}

QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

} // namespace

TPanelEx::TPanelEx(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    ArrangeControls();
}

void TPanelEx::SetAcceptFiles(bool accept)
{
    if (accept == m_acceptFiles)
        return;
    m_acceptFiles = accept;
    setAcceptDrops(accept);
}

void TPanelEx::setLineFlag(bool &flag, bool on)
{
    if (flag == on)
        return;
    flag = on;
    update();
}

void TPanelEx::SetAlignControlsRight(bool on)
{
    if (on == m_alignControlsRight)
        return;
    m_alignControlsRight = on;
    ArrangeControls();
}

void TPanelEx::SetRightBorder(int border)
{
    if (border == m_rightBorder)
        return;
    m_rightBorder = border;
    ArrangeControls();
}

void TPanelEx::SetWallpaper(const QPixmap &picture)
{
    m_wallpaper = picture;
    update();
}

QList<QWidget *> TPanelEx::childControls() const
{
    QList<QWidget *> out;
    for (QObject *o : children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w != nullptr && !w->isWindow())
            out.append(w);
    }
    return out;
}

void TPanelEx::rebuildLayout(const QList<QWidget *> &children)
{
    m_layout.clear();
    for (QWidget *w : children)
        m_layout.append({w, w->x(), 0});
    // Rightmost first; children at the same place keep their order.
    std::stable_sort(m_layout.begin(), m_layout.end(),
        [](const TLayoutEntry &a, const TLayoutEntry &b) { return a.Left > b.Left; });
    for (qsizetype i = 1; i < m_layout.size(); ++i)
        m_layout[i].Gap = m_layout[i - 1].Left - (m_layout[i].Left + m_layout[i].Control->width());
}

void TPanelEx::ArrangeControls()
{
    if (!m_alignControlsRight)
        return;
    const QList<QWidget *> children = childControls();
    if (children.isEmpty())
        return;
    bool same = children.size() == m_layout.size();
    for (const TLayoutEntry &e : m_layout)
        same = same && children.contains(e.Control);
    if (!same)
        rebuildLayout(children);
    int x = width() - m_rightBorder;
    for (const TLayoutEntry &e : m_layout) {
        x -= e.Control->width() + e.Gap;
        e.Control->move(x, e.Control->y());
    }
}

void TPanelEx::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeControls();
}

void TPanelEx::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);

    // The frame the picture leaves free shows the panel's colour.
    p.fillRect(rect(), palette().color(backgroundRole()));
    if (m_wallpaper.width() > 0 && m_wallpaper.height() > 0) {
        // Inside the outer and the inner bevel; without a bottom line the
        // picture reaches two pixels further down.
        const int b = 2 * BevelWidth;
        QRect r(0, 0, w, h + (m_horzBottomLine ? 0 : 2));
        r.adjust(b, b, -b, -b);
        p.save();
        p.setClipRect(r);
        const int pw = m_wallpaper.width();
        const int ph = m_wallpaper.height();
        for (int c = 0; c <= (w - 2 * b) / pw; ++c)
            for (int row = 0; row <= (h - 2 * b) / ph; ++row)
                p.drawPixmap(r.left() + c * pw, r.top() + row * ph, m_wallpaper);
        p.restore();
    }

    if (m_horzLines) {
        etch(p, highlight, 0, 1, w - 1, 1);
        etch(p, highlight, 0, h - 1, w, h - 1);
        etch(p, shadow, 0, 0, w, 0);
        etch(p, shadow, 0, h - 2, w, h - 2);
    } else if (!m_horzTopLine) {
        etch(p, highlight, 1, 0, 1, 5);
        etch(p, shadow, w - 2, 0, w - 2, 5);
    }
    if (m_vertLines) {
        etch(p, shadow, 0, 0, 0, h - 2);
        etch(p, shadow, w - 2, 1, w - 2, h - 1);
        etch(p, highlight, 1, 2, 1, h - 2);
        etch(p, highlight, w - 1, 0, w - 1, h);
    }
    if (m_vertLeftLine) {
        etch(p, shadow, 0, 0, 0, h);
        etch(p, highlight, 1, 0, 1, h);
    }
    if (m_vertRightLine) {
        etch(p, shadow, w - 2, 0, w - 2, h);
        etch(p, highlight, w - 1, 0, w - 1, h);
    }
    if (m_horzTopLine) {
        etch(p, highlight, m_vertLeftLine ? 1 : 0, 1, m_vertRightLine ? w - 2 : w, 1);
        etch(p, shadow, 0, 0, m_vertRightLine ? w - 1 : w, 0);
    }
    if (m_horzBottomLine) {
        etch(p, highlight, 0, h - 1, w, h - 1);
        etch(p, shadow, 0, h - 2, m_vertRightLine ? w - 1 : w, h - 2);
    }
}

void TPanelEx::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_acceptFiles && !localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TPanelEx::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_acceptFiles && !localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TPanelEx::dropEvent(QDropEvent *event)
{
    if (!m_acceptFiles)
        return;
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    emit OnDropFiles(files, event->position().toPoint());
}
