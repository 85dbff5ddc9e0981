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
    void linePixels_data();
    void linePixels();
    void wallpaperTilesInsideBevels();
    void rightAlignKeepsGaps();
    void droppedFilesReachHandler();
};

namespace {

enum Pixel { Fill, Light, Dark, Red, Other };

// The colour kind of each point of the panel rendered to an image.
QList<int> kinds(TPanelEx &panel, const QList<QPoint> &points)
{
    QImage image(panel.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    panel.render(&image);
    const QPalette &p = panel.palette();
    QList<int> out;
    for (QPoint pt : points) {
        const QRgb rgb = image.pixel(pt);
        out.append(rgb == p.color(QPalette::Light).rgb()       ? Light
                : rgb == p.color(QPalette::Dark).rgb()         ? Dark
                : rgb == qRgb(255, 0, 0)                       ? Red
                : rgb == p.color(panel.backgroundRole()).rgb() ? Fill
                                                               : Other);
    }
    return out;
}

} // namespace

// Panel 40 × 30; each row switches flags ("+" on, else off) and names the
// colour of some pixels.
void TestPanelEx::linePixels_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<int>>("expected");
    // Defaults: etched lines on all four sides, no corner ticks.
    QTest::newRow("defaults") << QStringList()
                              << QList<QPoint> {{5, 0}, {5, 1}, {5, 28}, {5, 29}, {0, 5}, {1, 5},
                                     {38, 5}, {39, 5}, {20, 15}, {1, 1}, {39, 0}, {0, 29}}
                              << QList<int> {Dark, Light, Dark, Light, Dark, Light, Dark, Light,
                                     Fill, Light, Light, Light};
    QTest::newRow("corner ticks") << QStringList {"HorzLines", "VertLines"}
                                  << QList<QPoint> {{1, 0}, {1, 4}, {1, 5}, {38, 0}, {38, 4},
                                         {38, 5}, {5, 0}, {0, 2}}
                                  << QList<int> {Light, Light, Fill, Dark, Dark, Fill, Fill, Fill};
    QTest::newRow("single edges") << QStringList {"HorzLines", "VertLines", "+HorzTopLine",
        "+HorzBottomLine", "+VertLeftLine", "+VertRightLine"}
                                  << QList<QPoint> {{0, 15}, {1, 15}, {38, 15}, {39, 15}, {10, 0},
                                         {10, 1}, {38, 1}, {10, 28}, {10, 29}}
                                  << QList<int> {
                                         Dark, Light, Dark, Light, Dark, Light, Dark, Dark, Light};
}

void TestPanelEx::linePixels()
{
    QFETCH(QStringList, flags);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<int>, expected);
    TPanelEx panel;
    panel.resize(40, 30);
    for (const QString &f : flags)
        QVERIFY(panel.setProperty(qPrintable(QString(f).remove(u'+')), f.startsWith(u'+')));
    QCOMPARE(kinds(panel, points), expected);
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
    // Inside both bevels; without a bottom line two pixels further down, and
    // the space after the last whole tile is covered too.
    QCOMPARE(kinds(panel, {{2, 2}, {37, 29}, {20, 15}, {2, 1}, {1, 10}, {38, 10}}),
        (QList<int> {Red, Red, Red, Light, Fill, Fill}));
    panel.SetHorzBottomLine(true);
    QCOMPARE(kinds(panel, {{20, 27}, {20, 28}}), (QList<int> {Red, Dark}));
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
    QCOMPARE(QList<int>({left->x(), right->x()}), QList<int>({49, 79}));
    // The gap stays when the panel changes size or the border changes.
    panel.resize(150, 30);
    panel.SetRightBorder(11);
    QCOMPARE(QList<int>({left->x(), right->x()}), QList<int>({89, 119}));
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
    const QList<QUrl> files {QUrl::fromLocalFile("/tmp/b.ini"), QUrl::fromLocalFile("/tmp/a.ini")};
    QVERIFY(!drop(files));
    panel.SetAcceptFiles(true);
    QVERIFY(!drop({QUrl("https://example.org/x.ini")}));
    QCOMPARE(spy.count(), 0);
    QVERIFY(drop(files));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].toStringList(), (QStringList {"/tmp/b.ini", "/tmp/a.ini"}));
    QCOMPARE(spy[0][1].toPoint(), QPoint(5, 6));
}

QTEST_MAIN(TestPanelEx)
#include "tst_gui_panelex.moc"
