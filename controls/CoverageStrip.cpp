#include "CoverageStrip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int Day = TDayCoverage::MinutesPerDay;
// Gaps and overlaps stay visible however short they are.
constexpr double MinMarkWidth = 2;

QColor mix(const QColor &a, const QColor &b, double t)
{
    auto channel = [t](int from, int to) {
        return qRound(from + (to - from) * t);
    };
    return QColor(
        channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()));
}

const QColor GapFill(249, 192, 184);
const QColor OverlapMark(242, 142, 43);

} // namespace

TCoverageStrip::TCoverageStrip(const QString &dayClass, QWidget *parent)
    : QWidget(parent)
    , m_dayClass(dayClass)
{
    setFocusPolicy(Qt::NoFocus);
    updateAccessibleTexts();
}

QSize TCoverageStrip::sizeHint() const
{
    return {425, StripHeight};
}

QColor TCoverageStrip::PriceColor(double position)
{
    // One blue from light to dark: lightness falls steadily with the price.
    static const QColor stops[3]
        = {QColor(222, 235, 247), QColor(107, 174, 214), QColor(8, 48, 107)};
    const double t = std::isfinite(position) ? std::clamp(position, 0.0, 1.0) : 0.5;
    return t < 0.5 ? mix(stops[0], stops[1], t * 2) : mix(stops[1], stops[2], (t - 0.5) * 2);
}

QColor TCoverageStrip::GapColor()
{
    return {215, 48, 31};
}

void TCoverageStrip::SetEntries(const TTariffEntryList &entries, const TPriceRange &prices)
{
    m_coverage = DayCoverage(entries);
    m_positions.clear();
    m_positions.reserve(m_coverage.Entries.size());
    for (const TTariffEntry &e : m_coverage.Entries)
        m_positions.append(prices.Position(PricePerMinute(e)));
    m_empty = false;
    updateAccessibleTexts();
    update();
}

void TCoverageStrip::Clear()
{
    m_coverage = {};
    m_positions.clear();
    m_empty = true;
    updateAccessibleTexts();
    update();
}

QString TCoverageStrip::Summary() const
{
    return m_empty ? QString() : CoverageSummary(m_coverage);
}

void TCoverageStrip::updateAccessibleTexts()
{
    const QString summary = Summary();
    setAccessibleName(QStringLiteral("Tagesabdeckung %1").arg(m_dayClass)
        + (summary.isEmpty() ? QString() : QStringLiteral(": ") + summary));
    QStringList parts;
    if (!summary.isEmpty())
        parts.append(summary);
    QList<TCoverageSpan> runs = m_coverage.Segments;
    runs += m_coverage.Gaps;
    std::sort(
        runs.begin(), runs.end(), [](const auto &a, const auto &b) { return a.From < b.From; });
    // Each gap and overlap, and each entry once, in time order.
    QList<bool> told(m_coverage.Entries.size(), false);
    for (const TCoverageSpan &r : runs) {
        if (r.Entries.isEmpty()) {
            parts.append(GapText(r));
            continue;
        }
        for (const TCoverageSpan &o : m_coverage.Overlaps)
            if (o.From == r.From)
                parts.append(OverlapText(o));
        for (int e : r.Entries)
            if (!std::exchange(told[e], true))
                parts.append(EntryPriceText(m_coverage.Entries[e]));
    }
    setAccessibleDescription(parts.join(QStringLiteral("; ")));
}

QRectF TCoverageStrip::barRect() const
{
    return QRectF(0, MarkHeight, width(), BarHeight);
}

double TCoverageStrip::xOf(int minute) const
{
    const QRectF bar = barRect().adjusted(1, 1, -1, -1);
    return bar.left() + bar.width() * minute / Day;
}

int TCoverageStrip::minuteAt(double x) const
{
    const QRectF bar = barRect().adjusted(1, 1, -1, -1);
    return std::clamp(
        static_cast<int>(std::floor((x - bar.left()) * Day / bar.width())), 0, Day - 1);
}

// The run drawn at x: short runs are drawn wider than their minutes, short
// segments over gaps, gaps over longer segments.
const TCoverageSpan *TCoverageStrip::spanAt(double x) const
{
    auto drawnAt = [this, x](const TCoverageSpan &s) {
        const double l = xOf(s.From);
        return x >= l && x <= std::max(xOf(s.To + 1), l + MinMarkWidth);
    };
    for (const TCoverageSpan &s : m_coverage.Segments)
        if (xOf(s.To + 1) - xOf(s.From) < MinMarkWidth && drawnAt(s))
            return &s;
    for (const TCoverageSpan &g : m_coverage.Gaps)
        if (drawnAt(g))
            return &g;
    return m_coverage.SpanAt(minuteAt(x));
}

int TCoverageStrip::EntryAt(const QPoint &pos) const
{
    const QRectF bar = barRect();
    if (pos.y() < bar.top() || pos.y() >= bar.bottom() || pos.x() < 0 || pos.x() >= width())
        return -1;
    const TCoverageSpan *span = spanAt(pos.x() + 0.5);
    if (!span || span->Entries.isEmpty())
        return -1;
    // In an overlap the bar is split into one band per entry, top to bottom.
    const auto bands = span->Entries.size();
    const auto band = std::clamp<qsizetype>(
        static_cast<qsizetype>((pos.y() - bar.top()) * bands / bar.height()), 0, bands - 1);
    return span->Entries[band];
}

QString TCoverageStrip::ToolTipAt(const QPoint &pos) const
{
    if (m_empty || pos.y() < 0 || pos.y() >= barRect().bottom() || pos.x() < 0
        || pos.x() >= width())
        return {};
    const TCoverageSpan *span = spanAt(pos.x() + 0.5);
    if (!span)
        return {};
    if (span->Entries.isEmpty())
        return GapText(*span);
    QStringList lines;
    if (span->Entries.size() > 1)
        for (const TCoverageSpan &o : m_coverage.Overlaps)
            if (o.From <= span->From && span->To <= o.To)
                lines.append(OverlapText(o));
    for (int e : span->Entries)
        lines.append(EntryPriceText(m_coverage.Entries[e]));
    return lines.join(u'\n');
}

bool TCoverageStrip::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            const int m = minuteAt(help->pos().x() + 0.5);
            const QRect near(static_cast<int>(xOf(m)) - 1, 0, 3, height());
            QToolTip::showText(help->globalPos(), text, this, near);
        }
        return true;
    }
    return QWidget::event(e);
}

void TCoverageStrip::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        const int entry = EntryAt(e->position().toPoint());
        if (entry >= 0) {
            emit EntryClicked(entry);
            return;
        }
    }
    QWidget::mousePressEvent(e);
}

void TCoverageStrip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRectF bar = barRect();
    const QRectF inner = bar.adjusted(1, 1, -1, -1);

    p.fillRect(bar, palette().base());
    if (!m_empty) {
        auto drawSegment = [&](const TCoverageSpan &s, double minWidth) {
            const double l = xOf(s.From), w = std::max(xOf(s.To + 1) - l, minWidth);
            const auto bands = s.Entries.size();
            for (qsizetype b = 0; b < bands; ++b) {
                const double top = inner.top() + inner.height() * b / bands;
                const double bottom = inner.top() + inner.height() * (b + 1) / bands;
                p.fillRect(QRectF(l, top, w, bottom - top), PriceColor(m_positions[s.Entries[b]]));
            }
        };
        for (const TCoverageSpan &s : m_coverage.Segments)
            drawSegment(s, 0);
        p.setPen(QPen(GapColor(), 1));
        for (const TCoverageSpan &g : m_coverage.Gaps) {
            const double l = xOf(g.From);
            const QRectF rect(
                l, inner.top(), std::max(xOf(g.To + 1) - l, MinMarkWidth), inner.height());
            p.fillRect(rect, GapFill);
            p.save();
            p.setClipRect(rect);
            for (double x = rect.left() - inner.height(); x < rect.right(); x += 4)
                p.drawLine(QPointF(x, inner.bottom()), QPointF(x + inner.height(), inner.top()));
            p.restore();
        }
        // A segment of a few minutes between gaps stays visible too.
        for (const TCoverageSpan &s : m_coverage.Segments)
            if (xOf(s.To + 1) - xOf(s.From) < MinMarkWidth)
                drawSegment(s, MinMarkWidth);
        for (const TCoverageSpan &o : m_coverage.Overlaps) {
            const double l = xOf(o.From);
            p.fillRect(QRectF(l, 0, std::max(xOf(o.To + 1) - l, MinMarkWidth), MarkHeight - 1),
                OverlapMark);
        }
    }

    const QColor frame = palette().color(QPalette::Dark);
    p.setPen(QPen(frame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar.adjusted(0.5, 0.5, -0.5, -0.5));

    // Hours below the bar.
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    const double labelTop = bar.bottom() + 3;
    for (int hour = 0; hour <= 24; hour += 6) {
        const double x = std::clamp(xOf(hour * 60), 0.5, width() - 0.5);
        p.setPen(QPen(frame, 1));
        p.drawLine(QPointF(x, bar.bottom()), QPointF(x, bar.bottom() + 2));
        const QString text = QStringLiteral("%1").arg(hour, 2, 10, QChar(u'0'));
        const double w = p.fontMetrics().horizontalAdvance(text);
        const double left = hour == 0 ? 0 : hour == 24 ? width() - w : x - w / 2;
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(
            QRectF(left, labelTop, w + 1, height() - labelTop), Qt::AlignLeft | Qt::AlignTop, text);
    }
}
