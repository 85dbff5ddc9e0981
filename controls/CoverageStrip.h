#pragma once

#include "model/Coverage.h"

#include <QWidget>

// A 24-hour strip of one day class's tariff entries: each entry a segment
// coloured by its price per minute (light cheap, dark dear, on the scale of
// the whole file), gaps hatched in red, overlaps marked above the bar, hours
// 00, 06, 12, 18 and 24 below it. Hovering shows the entry or gap under the
// pointer, a click on a segment reports its entry. It takes no focus.
class TCoverageStrip : public QWidget
{
    Q_OBJECT
public:
    // Height at 96 dpi: overlap marks, bar, hour labels.
    static constexpr int MarkHeight = 4;
    static constexpr int BarHeight = 15;
    static constexpr int StripHeight = 31;

    // dayClass names the strip for a screen reader ("Werktag").
    explicit TCoverageStrip(const QString &dayClass, QWidget *parent = nullptr);

    // Shows the entries, coloured on the file's price scale.
    void SetEntries(const TTariffEntryList &entries, const TPriceRange &prices);
    // Shows nothing: no provider is selected.
    void Clear();

    const TDayCoverage &Coverage() const { return m_coverage; }
    bool IsEmpty() const { return m_empty; }
    // CoverageSummary of the entries shown; empty when cleared.
    QString Summary() const;
    // True when the summary reports something wrong: gaps, overlaps or no entries.
    bool SummaryIsWarning() const
    {
        return !m_empty && (m_coverage.Entries.isEmpty() || m_coverage.HasGapsOrOverlaps());
    }
    // The text the pointer shows at pos; empty outside the bar.
    QString ToolTipAt(const QPoint &pos) const;
    // The entry whose segment lies at pos, or -1.
    int EntryAt(const QPoint &pos) const;

    // The colour of a price at a position on the scale (0 cheapest, 1 dearest).
    static QColor PriceColor(double position);
    static QColor GapColor();

    QSize sizeHint() const override;

signals:
    // Entry n (its grid row is n + 1) was clicked.
    void EntryClicked(int entry);

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    QRectF barRect() const;
    double xOf(int minute) const;
    int minuteAt(double x) const;
    const TCoverageSpan *spanAt(double x) const;
    void updateAccessibleTexts();

    QString m_dayClass;
    TDayCoverage m_coverage;
    QList<double> m_positions; // scale position of each entry
    bool m_empty = true;
};
