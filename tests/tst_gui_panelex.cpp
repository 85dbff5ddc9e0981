#include "controls/PanelEx.h"

#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

class TestPanelEx : public QObject
{
    Q_OBJECT
private slots:
    void defaultsDrawEtchedFrame();
    void linePixels_data();
    void linePixels();
    void wallpaperTilesInsideBevels();
    void rightAlignKeepsGaps();
    void droppedFilesReachHandler();
};

namespace {

enum Pixel { Fill, Light, Dark, Red };

QImage render(TPanelEx &panel)
{
    QImage image(panel.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    panel.render(&image);
    return image;
}

Pixel kind(const TPanelEx &panel, QRgb rgb)
{
    const QPalette &p = panel.palette();
    if (rgb == p.color(QPalette::Light).rgb())
        return Light;
    if (rgb == p.color(QPalette::Dark).rgb())
        return Dark;
    if (rgb == qRgb(255, 0, 0))
        return Red;
    if (rgb == p.color(panel.backgroundRole()).rgb())
        return Fill;
    return Pixel(-1);
}

} // namespace

void TestPanelEx::defaultsDrawEtchedFrame()
{
    TPanelEx panel;
    QVERIFY(!panel.AcceptFiles() && !panel.HorzTopLine() && !panel.HorzBottomLine());
    QVERIFY(!panel.VertLeftLine() && !panel.VertRightLine() && !panel.AlignControlsRight());
    QVERIFY(panel.HorzLines() && panel.VertLines());
    QCOMPARE(panel.RightBorder(), 1);
    QVERIFY(panel.Wallpaper().isNull());
    QVERIFY(!panel.acceptDrops());
}

// Panel 40 × 30; each row sets the flags and names pixels with their colour.
void TestPanelEx::linePixels_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<int>>("kinds");
    // Etched lines on all four sides, no corner ticks.
    QTest::newRow("defaults") << QStringList()
                              << QList<QPoint>{{5, 0}, {5, 1}, {5, 28}, {5, 29}, {0, 5}, {1, 5}, {38, 5},
                                               {39, 5}, {20, 15}, {1, 1}, {39, 0}, {0, 29}}
                              << QList<int>{Dark, Light, Dark, Light, Dark, Light, Dark, Light, Fill, Light, Light, Light};
    // No horizontal lines and no top line: two ticks of five pixels at the top.
    QTest::newRow("ticks") << QStringList{QStringLiteral("HorzLines"), QStringLiteral("VertLines")}
                           << QList<QPoint>{{1, 0}, {1, 4}, {1, 5}, {38, 0}, {38, 4}, {38, 5}, {5, 0}, {0, 2}, {39, 2}}
                           << QList<int>{Light, Light, Fill, Dark, Dark, Fill, Fill, Fill, Fill};
    // Single edges: top line stops short of the right line, bottom line runs across.
    QTest::newRow("single edges")
        << QStringList{QStringLiteral("HorzLines"), QStringLiteral("VertLines"), QStringLiteral("+HorzTopLine"),
                       QStringLiteral("+HorzBottomLine"), QStringLiteral("+VertLeftLine"), QStringLiteral("+VertRightLine")}
        << QList<QPoint>{{0, 15}, {1, 15}, {38, 15}, {39, 15}, {10, 0}, {10, 1}, {38, 1}, {10, 28}, {10, 29}, {20, 15}}
        << QList<int>{Dark, Light, Dark, Light, Dark, Light, Dark, Dark, Light, Fill};
}

void TestPanelEx::linePixels()
{
    QFETCH(QStringList, flags);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<int>, kinds);
    TPanelEx panel;
    panel.resize(40, 30);
    for (const QString &f : flags) {
        const bool on = f.startsWith(u'+');
        QVERIFY(panel.setProperty(qPrintable(on ? f.mid(1) : f), on));
    }
    const QImage image = render(panel);
    for (qsizetype i = 0; i < points.size(); ++i)
        QVERIFY2(kind(panel, image.pixel(points[i])) == kinds[i],
                 qPrintable(QStringLiteral("pixel %1,%2 is %3")
                                .arg(points[i].x())
                                .arg(points[i].y())
                                .arg(QColor(image.pixel(points[i])).name())));
}

void TestPanelEx::wallpaperTilesInsideBevels()
{
    TPanelEx panel;
    panel.resize(40, 30);
    panel.SetHorzLines(false);
    panel.SetVertLines(false);
    panel.SetHorzTopLine(true); // no ticks
    QPixmap tile(8, 8);
    tile.fill(Qt::red);
    panel.SetWallpaper(tile);
    QImage image = render(panel);
    // Inside the two bevel widths; at the bottom two pixels further, as there
    // is no bottom line. Everything after the last whole tile is covered too.
    for (QPoint p : {QPoint(2, 2), QPoint(37, 2), QPoint(37, 29), QPoint(20, 15)})
        QCOMPARE(kind(panel, image.pixel(p)), Red);
    for (QPoint p : {QPoint(2, 1), QPoint(1, 10), QPoint(38, 10)})
        QVERIFY(kind(panel, image.pixel(p)) != Red);
    panel.SetHorzBottomLine(true);
    image = render(panel);
    QCOMPARE(kind(panel, image.pixel(20, 27)), Red);
    QCOMPARE(kind(panel, image.pixel(20, 28)), Dark);
}

void TestPanelEx::rightAlignKeepsGaps()
{
    TPanelEx panel;
    panel.resize(100, 30);
    panel.show();
    auto *left = new QWidget(&panel);
    left->setGeometry(10, 5, 20, 20);
    auto *right = new QWidget(&panel);
    right->setGeometry(40, 5, 20, 20);
    panel.SetAlignControlsRight(true);
    QCOMPARE(right->x(), 79);
    QCOMPARE(left->x(), 49);
    // The gaps stay when the panel changes size or the border changes.
    panel.resize(150, 30);
    QCOMPARE(right->x(), 129);
    QCOMPARE(left->x(), 99);
    panel.SetRightBorder(11);
    QCOMPARE(right->x(), 119);
    QCOMPARE(left->x(), 89);
}

void TestPanelEx::droppedFilesReachHandler()
{
    TPanelEx panel;
    QSignalSpy spy(&panel, &TPanelEx::OnDropFiles);
    auto drop = [&panel](const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&panel, &enter);
        QDropEvent dropped(QPointF(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&panel, &dropped);
        return enter.isAccepted();
    };
    const QList<QUrl> files{QUrl::fromLocalFile(QStringLiteral("/tmp/b.ini")),
                            QUrl::fromLocalFile(QStringLiteral("/tmp/a.ini"))};
    QVERIFY(!drop(files));
    QCOMPARE(spy.count(), 0);

    panel.SetAcceptFiles(true);
    QVERIFY(panel.acceptDrops());
    QVERIFY(!drop({QUrl(QStringLiteral("https://example.org/x.ini"))}));
    QCOMPARE(spy.count(), 0);
    QVERIFY(drop(files));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].toStringList(), (QStringList{QStringLiteral("/tmp/b.ini"), QStringLiteral("/tmp/a.ini")}));
    QCOMPARE(spy[0][1].toPoint(), QPoint(5, 6));
}

QTEST_MAIN(TestPanelEx)
#include "tst_gui_panelex.moc"
