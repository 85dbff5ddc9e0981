#include "TestSupport.h"

#include "support/TheIniFile.h"
#include "controls/CoverageStrip.h"
#include "controls/StringGrid.h"
#include "editor/ProvidersDlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QtMath>

namespace {

const QString User = QStringLiteral("UserProv.ini");

// Tele Plus, weekdays: 1 ct/min until 07:59, 5 ct/min 08:00-16:59, 3 ct/min
// 16:00-19:59 (overlapping the hour 16), nothing from 20:00 but the single
// minute 21:00 at 2 ct/min.
QByteArray coverageFile()
{
    return CrLf({"[PROVIDER]", "P0=Tele_Plus,TELE0001", "P1=Zeit_Nacht,NACH0001",
        "[TELE0001WERKTAG]", "TELE00010=00:00-07:59/60/0.01", "TELE00011=08:00-16:59/60/0.05",
        "TELE00012=16:00-19:59/60/0.03", "TELE00013=21:00-21:00/60/0.02", "[TELE0001SASO]",
        "TELE00010=00:00-23:59/60/0.01", "[NACH0001WERKTAG]", "NACH00010=22:00-05:59/60/0.02",
        "NACH00011=06:00-21:59/60/0.03"});
}

struct EditorOnCoverageFile
{
    TScopedLocaleSettings german {TLocaleSettings::German()};
    TempProgramDir dir;
    MsgRecorder msgs;
    TTheIniFile ini;
    std::unique_ptr<TProvidersDlg> dlg;

    EditorOnCoverageFile()
    {
        dir.Write(User, coverageFile());
        dlg = std::make_unique<TProvidersDlg>(nullptr, ini, User);
        dlg->show();
    }
};

// A point in the bar on the first pixel of a minute of the day; band 1 of 2 is
// the lower half.
QPoint at(const TCoverageStrip *strip, int minute, int band = 0, int bands = 1)
{
    const int x = qCeil(1 + (strip->width() - 2) * minute / 1440.0);
    const int top = TCoverageStrip::MarkHeight + 1, h = TCoverageStrip::BarHeight - 2;
    return {x, top + h * (2 * band + 1) / (2 * bands)};
}

QColor pixel(const QImage &image, QPoint p)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(qRound(p.x() * dpr), qRound(p.y() * dpr));
}

bool reddish(const QColor &c)
{
    return c.red() > 180 && c.red() > c.green() + 40 && c.red() > c.blue() + 40;
}

QString toolTipAt(TCoverageStrip *strip, QPoint p)
{
    QToolTip::hideText();
    QHelpEvent help(QEvent::ToolTip, p, strip->mapToGlobal(p));
    QApplication::sendEvent(strip, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

void pickProvider(TProvidersDlg &dlg, int index)
{
    dlg.ProvidersCB->showPopup();
    QAbstractItemView *view = dlg.ProvidersCB->view();
    QVERIFY(QTest::qWaitFor([view] { return view->isVisible(); }));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
        view->visualRect(view->model()->index(index, 0)).center());
    QVERIFY(QTest::qWaitFor([view] { return !view->isVisible(); }));
}

} // namespace

class TestCoverageStrip : public QObject
{
    Q_OBJECT
private slots:
    void paintsPricesGapsAndOverlaps();
    void summaryAndAccessibleTexts();
    void toolTips();
    void clickSelectsRow();
    void followsChangedEntries();
    void windowGrowsByTheStripOnly();
};

void TestCoverageStrip::paintsPricesGapsAndOverlaps()
{
    EditorOnCoverageFile e;
    TCoverageStrip *strip = e.dlg->Coverage1;
    const QImage image = strip->grab().toImage();
    const QColor cheap = pixel(image, at(strip, 240));
    const QColor middle = pixel(image, at(strip, 1080));
    const QColor dear = pixel(image, at(strip, 600));
    // Light is cheap, dark is dear, on the scale of the whole file.
    QCOMPARE(cheap, TCoverageStrip::PriceColor(0));
    QCOMPARE(dear, TCoverageStrip::PriceColor(1));
    QCOMPARE(middle, TCoverageStrip::PriceColor(0.5));
    QVERIFY(cheap.lightness() > middle.lightness() && middle.lightness() > dear.lightness());
    // The gaps from 20:00 are red, hatched: every pixel across them is red;
    // the single minute between them is drawn too.
    QCOMPARE(pixel(image, at(strip, 1260)), TCoverageStrip::PriceColor(0.25));
    for (int m = 1205; m < 1435; m += 3)
        if (m < 1255 || m > 1265)
            QVERIFY2(reddish(pixel(image, at(strip, m))), qPrintable(QString::number(m)));
    // The overlapping hour: both entries in two bands, and a mark above.
    QCOMPARE(pixel(image, at(strip, 990, 0, 2)), dear);
    QCOMPARE(pixel(image, at(strip, 990, 1, 2)), middle);
    const QColor mark = pixel(image, {at(strip, 990).x(), 1});
    QVERIFY(mark != pixel(image, {at(strip, 600).x(), 1}));
    QVERIFY(mark.red() > 200 && mark.blue() < 100);

    // The same price on another provider has the same colour.
    pickProvider(*e.dlg, 1);
    const QImage night = strip->grab().toImage();
    QCOMPARE(pixel(night, at(strip, 720)), middle);
    QCOMPARE(pixel(night, at(strip, 60)), TCoverageStrip::PriceColor(0.25));
}

void TestCoverageStrip::summaryAndAccessibleTexts()
{
    EditorOnCoverageFile e;
    TProvidersDlg &dlg = *e.dlg;
    // Per grid: the summary, and whether it is a warning (in red).
    auto check = [&dlg](const QString &weekday, bool warn1, const QString &weekend, bool warn2) {
        for (auto [label, strip, text, warn] :
            {std::tuple(dlg.CoverageLabel1, dlg.Coverage1, weekday, warn1),
                std::tuple(dlg.CoverageLabel2, dlg.Coverage2, weekend, warn2)}) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->palette().color(QPalette::WindowText) == QColor(192, 0, 0), warn);
            QVERIFY(strip->accessibleName().endsWith(QStringLiteral(": ") + text));
            QVERIFY(strip->accessibleDescription().startsWith(text));
        }
    };
    check(QStringLiteral("2 Lücken, 1 Überschneidung"), true, QStringLiteral("lückenlos"), false);
    QCOMPARE(dlg.Coverage1->accessibleName(),
        QStringLiteral("Tagesabdeckung Werktag: 2 Lücken, 1 Überschneidung"));
    QVERIFY(dlg.Coverage1->accessibleDescription().contains(
        QStringLiteral("keine Tarifangabe 20:00–20:59 Uhr")));
    // The summaries follow a provider switch at once.
    pickProvider(dlg, 1);
    check(QStringLiteral("lückenlos"), false, QStringLiteral("keine Einträge"), true);
}

void TestCoverageStrip::toolTips()
{
    EditorOnCoverageFile e;
    TCoverageStrip *strip = e.dlg->Coverage1;
    const QString dear = QStringLiteral("08:00–16:59 Uhr · 5,00 ct/min (0,0500 € je 60 s)");
    QCOMPARE(toolTipAt(strip, at(strip, 600)), dear);
    QCOMPARE(
        toolTipAt(strip, at(strip, 1320)), QStringLiteral("keine Tarifangabe 21:01–23:59 Uhr"));
    QCOMPARE(toolTipAt(strip, at(strip, 1260)),
        QStringLiteral("21:00–21:00 Uhr · 2,00 ct/min (0,0200 € je 60 s)"));
    QCOMPARE(toolTipAt(strip, at(strip, 990)),
        QStringLiteral("Überschneidung 16:00–16:59 Uhr\n") + dear
            + QStringLiteral("\n16:00–19:59 Uhr · 3,00 ct/min (0,0300 € je 60 s)"));
    // None on the hour labels.
    QVERIFY(strip->ToolTipAt({at(strip, 600).x(), strip->height() - 2}).isEmpty());
}

void TestCoverageStrip::clickSelectsRow()
{
    EditorOnCoverageFile e;
    TProvidersDlg &dlg = *e.dlg;
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.windowHandle()));
    QWidget *focused = QApplication::focusWidget();
    struct Click
    {
        QPoint Pos;
        int Row;
    };
    TCoverageStrip *strip = dlg.Coverage1;
    for (const Click &c : {Click {at(strip, 1080), 3}, Click {at(strip, 240), 1},
             Click {at(strip, 990, 0, 2), 2}, Click {at(strip, 990, 1, 2), 3},
             Click {at(strip, 1260), 4}, Click {at(strip, 1320), 4}}) {
        QTest::mouseClick(strip, Qt::LeftButton, {}, c.Pos);
        QCOMPARE(dlg.ProvStrGrid1->Row(), c.Row);
    }
    QCOMPARE(QApplication::focusWidget(), focused); // the strip takes no focus
}

// An entry command changes the lists, sets Modified and shows the provider
// again; the strip and the price scale follow.
void TestCoverageStrip::followsChangedEntries()
{
    EditorOnCoverageFile e;
    TProvidersDlg &dlg = *e.dlg;
    TTariffEntryList &weekday = dlg.Data.Entries(0, TDayClass::Weekday);
    weekday[2] = MakeEntry(17 * 3600, 24 * 3600 - 1, 60, 0.09); // now the dearest, and no gap
    weekday.removeLast();
    dlg.Data.Modified = true;
    dlg.ShowSelectedProvider();
    QCOMPARE(dlg.CoverageLabel1->text(), QStringLiteral("lückenlos"));
    TCoverageStrip *strip = dlg.Coverage1;
    const QImage image = strip->grab().toImage();
    QCOMPARE(pixel(image, at(strip, 1200)), TCoverageStrip::PriceColor(1));
    // 5 ct/min, once the dearest, now halfway on a scale of 1 to 9.
    QCOMPARE(pixel(image, at(strip, 600)), TCoverageStrip::PriceColor(0.5));
}

// The strip under the weekday grid fits above the weekend caption; the one
// under the weekend grid adds its height to the frame and the window.
void TestCoverageStrip::windowGrowsByTheStripOnly()
{
    EditorOnCoverageFile e;
    TProvidersDlg &dlg = *e.dlg;
    const int growth = dlg.Coverage2->geometry().bottom() - dlg.ProvStrGrid2->geometry().bottom();
    QCOMPARE(growth, 2 + TCoverageStrip::StripHeight);
    QCOMPARE(dlg.height(), 445 + growth);
    QCOMPARE(dlg.SaveBtn->geometry(), QRect(16, 412 + growth, 89, 24));
    QCOMPARE(dlg.ProvStrGrid1->geometry().topLeft(), QPoint(24, 160));
    QCOMPARE(dlg.ProvStrGrid2->geometry().topLeft(), QPoint(24, 296));
    QCOMPARE(dlg.Label3->pos(), QPoint(24, 280));
    QVERIFY(dlg.Coverage1->geometry().bottom() < dlg.Label3->y());
    QVERIFY(dlg.Bevel1->geometry().contains(dlg.Coverage2->geometry()));
    for (TCoverageStrip *s : {dlg.Coverage1, dlg.Coverage2})
        QCOMPARE(s->width(), dlg.ProvStrGrid1->width());
}

QTEST_MAIN(TestCoverageStrip)
#include "tst_gui_coverage.moc"
