// The tab-bar style: labels left-aligned, 10 px in, whatever the caller asks.
#include "ui/CustomTabStyle.h"

#include <QApplication>
#include <QPainter>
#include <QTabBar>
#include <QtTest>

namespace {

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// Leftmost column with a non-white pixel, or -1.
int firstInkColumn(const QImage &image, const QRect &area)
{
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return x;
    return -1;
}

} // namespace

class tst_CustomTabStyle : public QObject
{
    Q_OBJECT

private slots:
    void drawsLikeTheBaseStyleLeftAlignedTenPixelsIn_data();
    void drawsLikeTheBaseStyleLeftAlignedTenPixelsIn();
    void leavesThePainterAsItFoundIt();
    void tabLabelsStartTenPixelsIn();
};

void tst_CustomTabStyle::drawsLikeTheBaseStyleLeftAlignedTenPixelsIn_data()
{
    QTest::addColumn<int>("flags");
    QTest::newRow("centred") << int(Qt::AlignCenter);
    QTest::newRow("right bottom") << int(Qt::AlignRight | Qt::AlignBottom);
    QTest::newRow("left top") << int(Qt::AlignLeft | Qt::AlignTop);
    QTest::newRow("mnemonic") << int(Qt::AlignHCenter | Qt::TextShowMnemonic);
}

void tst_CustomTabStyle::drawsLikeTheBaseStyleLeftAlignedTenPixelsIn()
{
    QFETCH(int, flags);
    CustomTabStyle style;
    const QRect rect(20, 10, 300, 40);
    const QString text = QStringLiteral("Stereo Sound (Music)");
    const QPalette palette = QApplication::palette();

    QImage drawn = blank(QSize(400, 60));
    {
        QPainter p(&drawn);
        style.drawItemText(&p, rect, flags, palette, true, text, QPalette::WindowText);
    }
    // What the plain style draws left-aligned and centred, moved 10 px right.
    QImage expected = blank(QSize(400, 60));
    {
        QPainter p(&expected);
        p.translate(10, 0);
        QApplication::style()->QStyle::drawItemText(&p, rect, Qt::AlignLeft | Qt::AlignVCenter, palette, true,
                                                    text, QPalette::WindowText);
    }
    QCOMPARE(drawn, expected);
    const int ink = firstInkColumn(drawn, drawn.rect());
    QVERIFY2(ink >= rect.left() + 10 && ink <= rect.left() + 13, qPrintable(QString::number(ink)));
}

void tst_CustomTabStyle::leavesThePainterAsItFoundIt()
{
    CustomTabStyle style;
    QImage image = blank(QSize(200, 40));
    QPainter p(&image);
    p.setPen(Qt::red);
    p.translate(3, 4);
    style.drawItemText(&p, QRect(0, 0, 150, 30), Qt::AlignCenter, QApplication::palette(), true,
                       QStringLiteral("Mic ENC"), QPalette::WindowText);
    QCOMPARE(p.transform(), QTransform::fromTranslate(3, 4));
    QCOMPARE(p.pen().color(), QColor(Qt::red));
}

void tst_CustomTabStyle::tabLabelsStartTenPixelsIn()
{
    QTabBar bar;
    CustomTabStyle style;
    bar.setStyle(&style);
    bar.setElideMode(Qt::ElideNone);
    bar.setExpanding(false);
    bar.addTab(QStringLiteral("7.1 Surround Sound (Game)"));
    bar.addTab(QStringLiteral("Mic ENC"));
    bar.setStyleSheet(
        QStringLiteral("QTabBar::tab { width: 361px; height: 60px; background: white; border: none; "
                       "color: black; }"));
    bar.resize(800, 60);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    const QImage shot = bar.grab().toImage();
    for (int i = 0; i < bar.count(); ++i) {
        const QRect tab = bar.tabRect(i);
        const int ink = firstInkColumn(shot, tab.adjusted(0, 2, -1, -2));
        QVERIFY2(
            ink >= tab.left() + 10 && ink <= tab.left() + 22,
            qPrintable(
                QStringLiteral("tab %1 starts at %2 of %3").arg(i).arg(ink - tab.left()).arg(tab.width())));
    }
    bar.setStyle(nullptr);
}

QTEST_MAIN(tst_CustomTabStyle)
#include "tst_CustomTabStyle.moc"
