// The compiled-in pictures: every path the window names loads, animations
// move, and each picture fits the widget that shows it. This program never
// builds the form, so it also shows that linking voxbench_ui alone is enough
// to carry the resources.
#include "ui/DeviceBackdrop.h"
#include "ui/PictureWhenDrawn.h"

#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QtTest>

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void stillPicturesLoad_data();
    void stillPicturesLoad();
    void animationsMove_data();
    void animationsMove();
    void windowIconHasSeveralSizes();
    void drawnPicturesAreTheFiles();
};

void tst_Pictures::stillPicturesLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size"); // (0, 0): any size
    const QSize any(0, 0);
    const auto row = [](const char *path, QSize size) {
        QTest::newRow(path) << QString::fromLatin1(path) << size;
    };
    row(":/VoxBench/pic/test1.png", QSize(500, 300));
    row(":/controls/pic/control/Head_Background.jpg", QSize(1176, 80));
    row(":/controls/pic/control/Head1.png", QSize(120, 57));
    row(":/controls/pic/control/Head2.png", QSize(400, 51));
    // Twice the size, picked by the style sheets on a screen at scale 2.
    row(":/controls/pic/control/Head1@2x.png", QSize(240, 114));
    row(":/controls/pic/control/Head2@2x.png", QSize(800, 102));
    row(":/controls/pic/control/minimize.png", QSize(25, 18));
    row(":/controls/pic/control/close.png", QSize(22, 22));
    row(":/controls/pic/control/close1.png", QSize(20, 20));
    row(":/controls/pic/control/Background2.png", QSize(1176, 700));
    row(":/controls/pic/control/InitBg.jpg", QSize(1176, 700));
    row(":/controls/pic/control/Background3.png", any);
    row(":/controls/pic/control/radiobutton.png", QSize(20, 20));
    row(":/controls/pic/control/divider.png", any);
    row(":/controls/pic/control/group_BackGround.png", any);
    row(":/controls/pic/control/Add.png", QSize(18, 18));
    row(":/controls/pic/control/Clear.png", QSize(19, 19));
    row(":/controls/pic/control/Microphone.png", QSize(20, 27));
    row(":/controls/pic/control/SliderButton.png", QSize(16, 16));
    row(":/controls/pic/control/Background.png", QSize(180, 34));
    row(":/controls/pic/control/Play.png", QSize(62, 33));
    row(":/controls/pic/control/Play_Hover.png", QSize(62, 33));
    row(":/controls/pic/control/Play_Press.png", QSize(62, 33));
    row(":/png/pic/png/left.png", QSize(50, 150));
    row(":/png/pic/png/right.png", QSize(50, 150));
    row(":/png/pic/png/up.png", QSize(150, 50));
    row(":/png/pic/png/leftup.png", QSize(120, 120));
    row(":/png/pic/png/rightup.png", QSize(120, 120));
    row(":/png/pic/png/rightdown.png", QSize(150, 150));
    row(":/png/pic/png/leftdown.png", QSize(150, 150));
    row(":/png/pic/png/head.png", QSize(330, 330));
    row(":/headset/pic/headset/HeadsetA.png", QSize(500, 300));
    row(":/headset/pic/headset/HeadsetB.png", QSize(500, 300));
    row(":/headset/pic/headset/HeadsetC.png", QSize(500, 300));
}

void tst_Pictures::stillPicturesLoad()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QPixmap pixmap(path);
    QVERIFY2(!pixmap.isNull(), qPrintable(path));
    if (!size.isEmpty())
        QCOMPARE(pixmap.size(), size);
    // More than one colour: a drawing, not a filled rectangle (the plain
    // name-field background excepted).
    if (!path.endsWith(QLatin1String("/Background.png"))) {
        const QImage image = pixmap.toImage();
        const QRgb first = image.pixel(0, 0);
        bool varied = false;
        for (int y = 0; y < image.height() && !varied; ++y)
            for (int x = 0; x < image.width() && !varied; ++x)
                varied = image.pixel(x, y) != first;
        QVERIFY(varied);
    }
}

void tst_Pictures::animationsMove_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    const auto row = [](const char *path, QSize size) {
        QTest::newRow(path) << QString::fromLatin1(path) << size;
    };
    row(":/gif/pic/gif/PersonHead1.gif", QSize(330, 330));
    row(":/gif/pic/gif/HornLeftUp.gif", QSize(120, 120));
    row(":/gif/pic/gif/HornUp.gif", QSize(150, 50));
    row(":/gif/pic/gif/HornRightUp.gif", QSize(120, 120));
    row(":/gif/pic/gif/HornRight.gif", QSize(50, 150));
    row(":/gif/pic/gif/HornRightBottom.gif", QSize(150, 150));
    row(":/gif/pic/gif/HornLeftBottom.gif", QSize(150, 150));
    row(":/gif/pic/gif/Hornleft.gif", QSize(50, 150));
}

void tst_Pictures::animationsMove()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    // No format given, as the window does: it is told from the data.
    QMovie movie(path);
    QVERIFY2(movie.isValid(), qPrintable(path));
    QCOMPARE(movie.format(), QByteArray("gif"));
    QVERIFY(movie.frameCount() >= 6);
    QVERIFY(movie.jumpToFrame(0));
    const QImage first = movie.currentImage();
    QCOMPARE(first.size(), size);
    QVERIFY(movie.jumpToNextFrame());
    QVERIFY(movie.currentImage() != first);
    QVERIFY(movie.nextFrameDelay() > 0);
    // Loops for as long as the channel plays.
    QCOMPARE(movie.loopCount(), -1);
}

void tst_Pictures::windowIconHasSeveralSizes()
{
    const QIcon icon(QStringLiteral(":/VoxBench/pic/Icon.ico"));
    QVERIFY(!icon.isNull());
    QImageReader reader(QStringLiteral(":/VoxBench/pic/Icon.ico"));
    QVERIFY(reader.canRead());
    QVERIFY(reader.imageCount() >= 4);
    QVERIFY(!icon.pixmap(16, 16).isNull());
    QVERIFY(!icon.pixmap(48, 48).isNull());
}

// The device page's background is drawn, not decoded, and the no-receiver
// page's is decoded only to be drawn: what shows must be the picture pixel for
// pixel, also where only a part is repainted.
void tst_Pictures::drawnPicturesAreTheFiles()
{
    const QImage picture = QImage(QStringLiteral(":/controls/pic/control/Background2.png"))
                               .convertToFormat(QImage::Format_RGB32);
    QLabel label;
    label.setFixedSize(DeviceBackdrop::kWidth, DeviceBackdrop::kHeight);
    DeviceBackdrop::paintOnto(&label);
    QCOMPARE(label.grab().toImage().convertToFormat(QImage::Format_RGB32), picture);
    // Parts inside the glows, not starting at a band's row, one short of the
    // right edge: a gradient clipped on the left would differ from the picture
    // in a few dozen pixels.
    // The second time in a row a part is kept as drawn; the third is drawn from there.
    for (const QRect &part : {QRect(887, 305, 276, 184), QRect(101, 251, 300, 200)}) {
        for (int time = 0; time < 3; ++time)
            QCOMPARE(label.grab(part).toImage().convertToFormat(QImage::Format_RGB32), picture.copy(part));
    }

    const QString file = QStringLiteral(":/controls/pic/control/InitBg.jpg");
    QLabel noReceiver;
    noReceiver.setFixedSize(DeviceBackdrop::kWidth, DeviceBackdrop::kHeight);
    PictureWhenDrawn::paintOnto(&noReceiver, file);
    QCOMPARE(noReceiver.grab().toImage().convertToFormat(QImage::Format_RGB32),
             QImage(file).convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(tst_Pictures)
#include "tst_Pictures.moc"
