// Draws the window's pictures (navy and violet scheme) into a folder:
// static PNG/JPG files and numbered frames of the animations, which
// make-pictures.sh turns into GIFs and the icon. Built and run by that script.
#include "ui/DeviceBackdrop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cmath>
#include <cstdio>

namespace {

const QColor kNavy(10, 6, 30);
const QColor kViolet(108, 0, 255);
const QColor kVioletDark(83, 0, 200);
const QColor kVioletDeep(30, 3, 77);
const QColor kGrey(167, 167, 169);
const QColor kWhite(255, 255, 255);
const QColor kPanel(27, 19, 64);
const QColor kPanelDark(16, 11, 40);

QString g_out;

QImage canvas(int w, int h, const QColor &fill = Qt::transparent)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void save(const QImage &image, const QString &name)
{
    const QString path = g_out + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool jpg = name.endsWith(QLatin1String(".jpg"));
    if (!image.convertToFormat(jpg ? QImage::Format_RGB32 : QImage::Format_ARGB32)
             .save(path, nullptr, jpg ? 90 : -1))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void setup(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

QFont font(int pixels, int weight = QFont::Normal)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setWeight(weight);
    return f;
}

// ---- speakers -------------------------------------------------------------

enum class Cabinet { Tower, Center, Bookshelf };

void drawDriver(QPainter &p, QPointF c, qreal r, bool active, qreal pump)
{
    p.setPen(QPen(active ? kWhite : kGrey, qMax<qreal>(1.0, r * 0.14)));
    QRadialGradient cone(c, r);
    if (active) {
        cone.setColorAt(0, QColor(190, 150, 255));
        cone.setColorAt(0.55, kViolet);
        cone.setColorAt(1, kVioletDeep);
    } else {
        cone.setColorAt(0, QColor(92, 86, 120));
        cone.setColorAt(0.6, QColor(44, 38, 74));
        cone.setColorAt(1, QColor(20, 15, 44));
    }
    p.setBrush(cone);
    p.drawEllipse(c, r, r);
    // Inner surround ring and dust cap; the cap breathes while the speaker plays.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(alpha(active ? kWhite : kGrey, 110), qMax<qreal>(0.8, r * 0.06)));
    p.drawEllipse(c, r * 0.72 * pump, r * 0.72 * pump);
    p.setPen(Qt::NoPen);
    p.setBrush(active ? kWhite : QColor(120, 114, 150));
    p.drawEllipse(c, r * 0.24 * pump, r * 0.24 * pump);
}

// A speaker seen from the front, centred on the origin, upright.
void drawCabinet(QPainter &p, Cabinet kind, qreal w, qreal h, bool active, qreal pump)
{
    const QRectF box(-w / 2, -h / 2, w, h);
    if (active) {
        // Soft violet halo.
        p.setPen(Qt::NoPen);
        for (int i = 6; i >= 1; --i) {
            p.setBrush(alpha(kViolet, 18));
            p.drawRoundedRect(box.adjusted(-i * 1.5, -i * 1.5, i * 1.5, i * 1.5), 4 + i, 4 + i);
        }
    }
    QLinearGradient body(box.topLeft(), box.bottomRight());
    body.setColorAt(0, active ? QColor(58, 30, 120) : QColor(44, 34, 90));
    body.setColorAt(1, active ? QColor(24, 10, 62) : kPanelDark);
    p.setBrush(body);
    p.setPen(QPen(active ? QColor(196, 160, 255) : alpha(kWhite, 190), 1.4));
    p.drawRoundedRect(box, 3.5, 3.5);

    switch (kind) {
    case Cabinet::Tower: {
        const qreal r = w * 0.34;
        drawDriver(p, QPointF(0, -h / 2 + w * 0.38), w * 0.17, active, 1.0);
        drawDriver(p, QPointF(0, -h * 0.08), r, active, pump);
        drawDriver(p, QPointF(0, h * 0.27), r, active, pump);
        break;
    }
    case Cabinet::Center: {
        const qreal r = h * 0.36;
        drawDriver(p, QPointF(-w * 0.3, 0), r, active, pump);
        drawDriver(p, QPointF(0, 0), h * 0.2, active, 1.0);
        drawDriver(p, QPointF(w * 0.3, 0), r, active, pump);
        break;
    }
    case Cabinet::Bookshelf:
        drawDriver(p, QPointF(0, -h * 0.29), w * 0.16, active, 1.0);
        drawDriver(p, QPointF(0, h * 0.13), w * 0.34, active, pump);
        break;
    }
}

struct SpeakerLayout
{
    const char *still;  // static picture
    const char *frames; // animation name
    int width, height;
    Cabinet kind;
    qreal cabW, cabH;
    QPointF centre;   // of the cabinet, in the picture
    QPointF listener; // where the head is, in the picture's coordinates
    qreal waveStart, waveEnd, spread;
};

void drawSpeaker(const SpeakerLayout &s, bool active, int frame, int frames)
{
    QImage image = canvas(s.width, s.height);
    QPainter p(&image);
    setup(p);
    const QPointF toHead = s.listener - s.centre;
    const qreal towards = qRadiansToDegrees(qAtan2(-toHead.y(), toHead.x())); // Qt's angle, y up
    qreal turn = 0;
    if (s.kind == Cabinet::Bookshelf) // the top of the cabinet points away from the listener
        turn = qRadiansToDegrees(qAtan2(-toHead.x(), toHead.y()));

    const qreal phase = frames > 0 ? qreal(frame) / frames : 0;
    if (active) {
        // Sound waves travelling towards the listener.
        const int waves = 3;
        const qreal span = s.waveEnd - s.waveStart;
        for (int i = 0; i < waves; ++i) {
            const qreal t = std::fmod(phase + qreal(i) / waves, 1.0);
            const qreal r = s.waveStart + t * span;
            const int a = int(235 * (1.0 - t) + 20);
            p.setPen(QPen(alpha(QColor(150, 80, 255), a), 2.6 - t, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            const QRectF ring(s.centre.x() - r, s.centre.y() - r, 2 * r, 2 * r);
            p.drawArc(ring, int((towards - s.spread) * 16), int(2 * s.spread * 16));
        }
    }
    p.save();
    p.translate(s.centre);
    p.rotate(turn);
    const qreal pump = active ? 1.0 + 0.12 * qSin(phase * 2 * M_PI * 2) : 1.0;
    drawCabinet(p, s.kind, s.cabW, s.cabH, active, pump);
    p.restore();
    p.end();
    if (active)
        save(image, QStringLiteral("frames/%1-%2.png")
                        .arg(QLatin1String(s.frames))
                        .arg(frame, 2, 10, QLatin1Char('0')));
    else
        save(image, QStringLiteral("png/%1").arg(QLatin1String(s.still)));
}

void drawSpeakers()
{
    // The head sits at (305, 195) of the test panel; each picture knows
    // where its label lies, so the waves head for the listener.
    const QPointF head(305, 195);
    const SpeakerLayout layouts[] = {
        {"left.png",
         "Hornleft",
         50,
         150,
         Cabinet::Tower,
         24,
         104,
         {17, 75},
         head - QPointF(135, 130),
         16,
         33,
         38},
        {"right.png",
         "HornRight",
         50,
         150,
         Cabinet::Tower,
         24,
         104,
         {33, 75},
         head - QPointF(430, 130),
         16,
         33,
         38},
        {"up.png", "HornUp", 150, 50, Cabinet::Center, 92, 24, {75, 15}, head - QPointF(230, 40), 15, 35, 42},
        {"leftup.png",
         "HornLeftUp",
         120,
         120,
         Cabinet::Bookshelf,
         30,
         44,
         {36, 36},
         head - QPointF(145, 55),
         30,
         62,
         32},
        {"rightup.png",
         "HornRightUp",
         120,
         120,
         Cabinet::Bookshelf,
         30,
         44,
         {84, 36},
         head - QPointF(345, 55),
         30,
         62,
         32},
        {"rightdown.png",
         "HornRightBottom",
         150,
         150,
         Cabinet::Bookshelf,
         32,
         46,
         {108, 108},
         head - QPointF(320, 230),
         32,
         70,
         30},
        {"leftdown.png",
         "HornLeftBottom",
         150,
         150,
         Cabinet::Bookshelf,
         32,
         46,
         {42, 108},
         head - QPointF(155, 230),
         32,
         70,
         30},
    };
    const int frames = 8;
    for (const SpeakerLayout &s : layouts) {
        drawSpeaker(s, false, 0, 0);
        for (int f = 0; f < frames; ++f)
            drawSpeaker(s, true, f, frames);
    }
}

// ---- listener -------------------------------------------------------------

void drawHeadset(QPainter &p, QPointF c, qreal r, bool glow)
{
    // Band over the head, ear cups at the sides, boom microphone.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(glow ? QColor(160, 100, 255) : kViolet, r * 0.16, Qt::SolidLine, Qt::RoundCap));
    const QRectF band(c.x() - r * 1.12, c.y() - r * 1.18, r * 2.24, r * 2.2);
    p.drawArc(band, 10 * 16, 160 * 16);
    QLinearGradient cup(c.x(), c.y() - r * 0.4, c.x(), c.y() + r * 0.5);
    cup.setColorAt(0, glow ? QColor(150, 90, 255) : kViolet);
    cup.setColorAt(1, kVioletDeep);
    p.setBrush(cup);
    p.setPen(QPen(alpha(kWhite, 200), 1.5));
    p.drawRoundedRect(QRectF(c.x() - r * 1.28, c.y() - r * 0.42, r * 0.42, r * 0.9), r * 0.16, r * 0.16);
    p.drawRoundedRect(QRectF(c.x() + r * 0.86, c.y() - r * 0.42, r * 0.42, r * 0.9), r * 0.16, r * 0.16);
    QPainterPath boom;
    boom.moveTo(c.x() - r * 1.08, c.y() + r * 0.42);
    boom.cubicTo(c.x() - r * 1.05, c.y() + r * 0.95, c.x() - r * 0.6, c.y() + r * 1.05, c.x() - r * 0.28,
                 c.y() + r * 0.9);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(alpha(kWhite, 210), r * 0.07, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(boom);
    p.setPen(Qt::NoPen);
    p.setBrush(glow ? QColor(190, 150, 255) : kViolet);
    p.drawEllipse(QPointF(c.x() - r * 0.26, c.y() + r * 0.9), r * 0.1, r * 0.1);
}

void drawListener(QPainter &p, QPointF c, qreal r, bool glow)
{
    // Shoulders and neck.
    QPainterPath body;
    const qreal top = c.y() + r * 1.05;
    body.moveTo(c.x() - r * 0.38, c.y() + r * 0.7);
    body.lineTo(c.x() - r * 0.38, top);
    body.cubicTo(c.x() - r * 1.6, top + r * 0.1, c.x() - r * 1.9, top + r * 0.5, c.x() - r * 1.95,
                 top + r * 1.25);
    body.lineTo(c.x() + r * 1.95, top + r * 1.25);
    body.cubicTo(c.x() + r * 1.9, top + r * 0.5, c.x() + r * 1.6, top + r * 0.1, c.x() + r * 0.38, top);
    body.lineTo(c.x() + r * 0.38, c.y() + r * 0.7);
    body.closeSubpath();
    QLinearGradient skin(c.x(), c.y() - r, c.x(), top + r * 1.25);
    skin.setColorAt(0, QColor(78, 64, 140));
    skin.setColorAt(1, QColor(30, 22, 70));
    p.setPen(QPen(alpha(kWhite, 150), 1.5));
    p.setBrush(skin);
    p.drawPath(body);
    // Head.
    QRadialGradient face(c - QPointF(r * 0.3, r * 0.35), r * 1.3);
    face.setColorAt(0, QColor(110, 94, 176));
    face.setColorAt(1, QColor(40, 30, 86));
    p.setBrush(face);
    p.drawEllipse(c, r * 0.86, r);
    drawHeadset(p, c, r, glow);
}

void drawPerson()
{
    const int frames = 10;
    const QPointF c(165, 150);
    const qreal r = 44;
    for (int f = 0; f <= frames; ++f) {
        const bool still = f == frames;
        QImage image = canvas(330, 330);
        QPainter p(&image);
        setup(p);
        // The listening circle on which the speakers stand.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(alpha(kViolet, 120), 1.2, Qt::DashLine));
        p.drawEllipse(QPointF(165, 165), 150, 150);
        if (!still) {
            const qreal phase = qreal(f) / frames;
            for (int i = 0; i < 3; ++i) {
                const qreal t = std::fmod(phase + i / 3.0, 1.0);
                const qreal rr = r * 1.5 + t * 80;
                p.setPen(QPen(alpha(QColor(140, 70, 255), int(170 * (1 - t))), 2.0));
                p.drawEllipse(c + QPointF(0, 8), rr, rr);
            }
        }
        drawListener(p, c, r, !still);
        p.end();
        if (still)
            save(image, QStringLiteral("png/head.png"));
        else
            save(image, QStringLiteral("frames/PersonHead1-%1.png").arg(f, 2, 10, QLatin1Char('0')));
    }
}

// ---- headsets --------------------------------------------------------------

void drawHeadsetPicture(const QString &name, const QColor &accent, int style)
{
    QImage image = canvas(500, 300, kNavy);
    QPainter p(&image);
    setup(p);
    QRadialGradient glow(QPointF(250, 160), 230);
    glow.setColorAt(0, alpha(accent, 90));
    glow.setColorAt(1, alpha(kNavy, 0));
    p.fillRect(image.rect(), glow);
    // Floor reflection line.
    p.setPen(QPen(alpha(accent, 120), 1));
    p.drawLine(QPointF(90, 272), QPointF(410, 272));

    const QPointF c(250, 150);
    // Headband: a thick arc with a padded inner arc.
    p.setBrush(Qt::NoBrush);
    const qreal rx = style == 2 ? 112 : 122;
    p.setPen(QPen(QColor(36, 28, 74), 24, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - rx, c.y() - 118, 2 * rx, 236), 12 * 16, 156 * 16);
    p.setPen(QPen(accent, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - rx - 12, c.y() - 130, 2 * rx + 24, 260), 20 * 16, 140 * 16);
    p.setPen(QPen(alpha(kWhite, 90), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - rx + 12, c.y() - 106, 2 * rx - 24, 212), 25 * 16, 130 * 16);

    // Ear cups.
    for (int side = -1; side <= 1; side += 2) {
        const qreal x = c.x() + side * (rx + 4);
        const QRectF cup(x - 38, c.y() + 6, 76, 104);
        // Cushion on the inner side.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(22, 16, 48));
        p.drawRoundedRect(cup.adjusted(side < 0 ? 30 : -4, 6, side < 0 ? 6 : -30, -6), 14, 14);
        QLinearGradient shell(cup.topLeft(), cup.bottomRight());
        shell.setColorAt(0, QColor(64, 52, 118));
        shell.setColorAt(1, QColor(20, 14, 46));
        p.setBrush(shell);
        p.setPen(QPen(alpha(kWhite, 170), 1.5));
        if (style == 1)
            p.drawEllipse(cup.adjusted(side < 0 ? -6 : 16, 0, side < 0 ? -16 : 6, 0));
        else
            p.drawRoundedRect(cup.adjusted(side < 0 ? -6 : 16, 0, side < 0 ? -16 : 6, 0), 26, 26);
        // Accent ring on the outer plate.
        const QPointF plate(x + side * -2 + (side < 0 ? -11 : 11), cup.center().y());
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(accent, 5));
        p.drawEllipse(plate, 22, style == 1 ? 30 : 26);
        p.setPen(QPen(alpha(kWhite, 140), 1));
        p.drawEllipse(plate, 12, style == 1 ? 17 : 14);
        // Yoke joining the cup to the band.
        p.setPen(QPen(QColor(90, 80, 140), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x + (side < 0 ? -10 : 10) - side * 14, c.y() - 6),
                   QPointF(x + (side < 0 ? -10 : 10) - side * 14, c.y() + 10));
    }
    if (style != 2) {
        // Boom microphone from the left cup.
        QPainterPath boom;
        boom.moveTo(c.x() - rx - 20, c.y() + 96);
        boom.cubicTo(c.x() - rx - 10, c.y() + 140, c.x() - 70, c.y() + 132, c.x() - 34, c.y() + 118);
        p.setPen(QPen(QColor(120, 110, 170), 6, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(boom);
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawRoundedRect(QRectF(c.x() - 44, c.y() + 110, 22, 14), 6, 6);
    }
    p.end();
    save(image, QStringLiteral("headset/") + name);
}

// ---- title bar, backgrounds and controls ------------------------------------

void drawHeadsetGlyph(QPainter &p, QRectF box, const QColor &colour, qreal stroke)
{
    const QPointF c = box.center();
    const qreal r = box.width() * 0.36;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c.x() - r, c.y() - r * 1.05, 2 * r, 2 * r), 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(c.x() - r - stroke * 0.9, c.y() - r * 0.1, stroke * 2.4, r * 0.95), stroke * 0.8,
                      stroke * 0.8);
    p.drawRoundedRect(QRectF(c.x() + r - stroke * 1.5, c.y() - r * 0.1, stroke * 2.4, r * 0.95), stroke * 0.8,
                      stroke * 0.8);
}

void drawTitleBar()
{
    QImage head = canvas(1176, 80);
    {
        QPainter p(&head);
        setup(p);
        QLinearGradient g(0, 0, 1176, 0);
        g.setColorAt(0, QColor(34, 12, 86));
        g.setColorAt(0.45, QColor(16, 9, 44));
        g.setColorAt(1, kNavy);
        p.fillRect(head.rect(), g);
        // A faint sound wave running through the bar.
        QPainterPath wave;
        for (int x = 560; x <= 1000; x += 2) {
            const qreal t = (x - 560) / 440.0;
            const qreal y = 40 + 14 * qSin(t * 18) * qSin(t * M_PI);
            if (x == 560)
                wave.moveTo(x, y);
            else
                wave.lineTo(x, y);
        }
        p.setPen(QPen(alpha(kViolet, 90), 1.5));
        p.drawPath(wave);
        QLinearGradient line(0, 0, 1176, 0);
        line.setColorAt(0, alpha(kViolet, 0));
        line.setColorAt(0.2, kViolet);
        line.setColorAt(0.8, kViolet);
        line.setColorAt(1, alpha(kViolet, 0));
        p.fillRect(QRectF(0, 78, 1176, 2), line);
    }
    save(head, QStringLiteral("control/Head_Background.jpg"));

    // The logo and the titles also at twice the size, for a screen at scale 2.
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        QImage logo = canvas(120 * scale, 57 * scale);
        {
            QPainter p(&logo);
            setup(p);
            p.scale(scale, scale);
            QLinearGradient g(0, 0, 57, 57);
            g.setColorAt(0, QColor(140, 60, 255));
            g.setColorAt(1, kVioletDark);
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRoundedRect(QRectF(2, 4, 49, 49), 12, 12);
            drawHeadsetGlyph(p, QRectF(6, 8, 41, 41), kWhite, 4);
            p.setPen(kWhite);
            p.setFont(font(26, QFont::Bold));
            p.drawText(QRectF(56, 0, 64, 57), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("7.1"));
        }
        save(logo, QStringLiteral("control/Head1%1.png").arg(suffix));

        QImage title = canvas(400 * scale, 51 * scale);
        {
            QPainter p(&title);
            setup(p);
            p.scale(scale, scale);
            p.setPen(kWhite);
            p.setFont(font(28, QFont::Bold));
            p.drawText(QRectF(0, 0, 400, 32), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VoxBench"));
            p.setPen(QColor(160, 110, 255));
            QFont small = font(12, QFont::DemiBold);
            small.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
            p.setFont(small);
            p.drawText(QRectF(2, 33, 398, 18), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("PELAGOPLAY 7.1 SURROUND SOUND HUB"));
        }
        save(title, QStringLiteral("control/Head2%1.png").arg(suffix));
    }

    QImage minimize = canvas(25, 18);
    {
        QPainter p(&minimize);
        setup(p);
        p.setPen(QPen(kWhite, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 12), QPointF(20, 12));
    }
    save(minimize, QStringLiteral("control/minimize.png"));

    QImage close = canvas(22, 22);
    {
        QPainter p(&close);
        setup(p);
        p.setPen(QPen(kWhite, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(17, 17));
        p.drawLine(QPointF(17, 5), QPointF(5, 17));
    }
    save(close, QStringLiteral("control/close.png"));

    // The no-receiver screen's close button sits on the plain window colour,
    // so it carries its own violet disc.
    QImage close1 = canvas(20, 20);
    {
        QPainter p(&close1);
        setup(p);
        p.setPen(Qt::NoPen);
        p.setBrush(kViolet);
        p.drawEllipse(QRectF(0.5, 0.5, 19, 19));
        p.setPen(QPen(kWhite, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6.5, 6.5), QPointF(13.5, 13.5));
        p.drawLine(QPointF(13.5, 6.5), QPointF(6.5, 13.5));
    }
    save(close1, QStringLiteral("control/close1.png"));
}

void drawBackgrounds()
{
    // The program paints the same backdrop itself; one function draws both.
    QImage back = canvas(DeviceBackdrop::kWidth, DeviceBackdrop::kHeight, kNavy);
    {
        QPainter p(&back);
        setup(p);
        DeviceBackdrop::paint(p);
    }
    save(back, QStringLiteral("control/Background2.png"));

    QImage init = canvas(1176, 700, kNavy);
    {
        QPainter p(&init);
        setup(p);
        QRadialGradient glow(QPointF(588, 250), 420);
        glow.setColorAt(0, alpha(kViolet, 70));
        glow.setColorAt(1, alpha(kViolet, 0));
        p.fillRect(init.rect(), glow);
        // A USB receiver with its plug, and the port it goes into.
        const QPointF c(588, 240);
        QLinearGradient body(c.x() - 60, 0, c.x() + 60, 0);
        body.setColorAt(0, QColor(50, 38, 104));
        body.setColorAt(1, QColor(24, 16, 60));
        p.setPen(QPen(alpha(kWhite, 200), 2));
        p.setBrush(body);
        p.drawRoundedRect(QRectF(c.x() - 46, c.y() - 40, 92, 120), 18, 18);
        drawHeadsetGlyph(p, QRectF(c.x() - 30, c.y() - 26, 60, 60), kViolet, 5);
        p.setBrush(QColor(190, 190, 200));
        p.setPen(QPen(alpha(kWhite, 220), 1.5));
        p.drawRect(QRectF(c.x() - 26, c.y() - 86, 52, 46));
        p.setBrush(QColor(60, 60, 80));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(c.x() - 14, c.y() - 74, 9, 9));
        p.drawRect(QRectF(c.x() + 5, c.y() - 74, 9, 9));
        // Arrow towards the port.
        p.setPen(QPen(alpha(kViolet, 220), 3, Qt::DashLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x(), c.y() - 100), QPointF(c.x(), c.y() - 150));
        p.setPen(QPen(alpha(kViolet, 230), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() - 12, c.y() - 138), QPointF(c.x(), c.y() - 152));
        p.drawLine(QPointF(c.x() + 12, c.y() - 138), QPointF(c.x(), c.y() - 152));
        p.setPen(QPen(alpha(kWhite, 150), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(c.x() - 40, c.y() - 176, 80, 22), 4, 4);

        p.setPen(kWhite);
        p.setFont(font(30, QFont::Bold));
        p.drawText(QRectF(0, 360, 1176, 44), Qt::AlignCenter, QStringLiteral("No receiver connected"));
        p.setPen(kGrey);
        p.setFont(font(18));
        p.drawText(
            QRectF(0, 410, 1176, 30), Qt::AlignCenter,
            QStringLiteral("Plug the USB receiver into this computer; its settings open by themselves."));
    }
    save(init, QStringLiteral("control/InitBg.jpg"));

    // Behind the equalizer curves.
    QImage plot = canvas(551, 340, kNavy);
    {
        QPainter p(&plot);
        setup(p);
        QLinearGradient g(0, 0, 0, 340);
        g.setColorAt(0, QColor(22, 12, 56));
        g.setColorAt(1, kNavy);
        p.fillRect(plot.rect(), g);
        p.setPen(QPen(alpha(kWhite, 18), 1, Qt::DotLine));
        for (int y = 20; y < 340; y += 25)
            p.drawLine(0, y, 551, y);
    }
    save(plot, QStringLiteral("control/Background3.png"));

    QImage field = canvas(180, 34, QColor(22, 15, 52));
    save(field, QStringLiteral("control/Background.png"));

    // Stand-in for the live spectrum: a bar comb.
    QImage spectrum = canvas(500, 300, kNavy);
    {
        QPainter p(&spectrum);
        setup(p);
        const int bars = 57;
        const qreal w = 500.0 / bars;
        for (int i = 0; i < bars; ++i) {
            const qreal t = qreal(i) / (bars - 1);
            const qreal level =
                0.25 + 0.55 * qExp(-qPow((t - 0.28) * 3.2, 2)) + 0.2 * qAbs(qSin(i * 1.7)) * (1 - t);
            const qreal h = level * 250;
            QLinearGradient g(0, 280 - h, 0, 280);
            g.setColorAt(0, QColor(170, 110, 255));
            g.setColorAt(1, kVioletDeep);
            p.fillRect(QRectF(i * w + 1, 280 - h, w - 2, h), g);
        }
        p.setPen(QPen(alpha(kWhite, 60), 1));
        p.drawLine(0, 281, 500, 281);
    }
    save(spectrum, QStringLiteral("test1.png"));
}

void drawControls()
{
    QImage radio = canvas(20, 20);
    {
        QPainter p(&radio);
        setup(p);
        p.setPen(QPen(kViolet, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 16, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(kViolet);
        p.drawEllipse(QRectF(6, 6, 8, 8));
    }
    save(radio, QStringLiteral("control/radiobutton.png"));

    // The Mic ENC box: an empty white frame when off, a violet box with a
    // white tick when on.
    QImage box = canvas(20, 20);
    {
        QPainter p(&box);
        setup(p);
        p.setPen(QPen(kWhite, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(2, 2, 16, 16), 3, 3);
    }
    save(box, QStringLiteral("control/checkbox.png"));
    QImage ticked = canvas(20, 20);
    {
        QPainter p(&ticked);
        setup(p);
        p.setPen(QPen(kViolet, 1.6));
        p.setBrush(kViolet);
        p.drawRoundedRect(QRectF(2, 2, 16, 16), 3, 3);
        p.setPen(QPen(kWhite, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF tick[] = {{5.5, 10.2}, {8.6, 13.3}, {14.5, 6.8}};
        p.drawPolyline(tick, 3);
    }
    save(ticked, QStringLiteral("control/checkbox_checked.png"));

    QImage divider = canvas(1060, 8);
    {
        QPainter p(&divider);
        QLinearGradient g(0, 0, 1060, 0);
        g.setColorAt(0, alpha(kViolet, 20));
        g.setColorAt(0.15, kViolet);
        g.setColorAt(0.85, kViolet);
        g.setColorAt(1, alpha(kViolet, 20));
        p.fillRect(QRectF(0, 3, 1060, 2), g);
    }
    save(divider, QStringLiteral("control/divider.png"));

    QImage strip = canvas(1060, 25);
    {
        QPainter p(&strip);
        setup(p);
        p.setPen(QPen(alpha(kViolet, 170), 1));
        p.setBrush(alpha(kViolet, 36));
        p.drawRoundedRect(QRectF(0.5, 0.5, 1059, 24), 4, 4);
    }
    save(strip, QStringLiteral("control/group_BackGround.png"));

    QImage add = canvas(18, 18);
    {
        QPainter p(&add);
        setup(p);
        p.fillRect(add.rect(), kViolet);
        p.setPen(QPen(kWhite, 2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(9, 4.5), QPointF(9, 13.5));
        p.drawLine(QPointF(4.5, 9), QPointF(13.5, 9));
    }
    save(add, QStringLiteral("control/Add.png"));

    QImage clear = canvas(19, 19);
    {
        QPainter p(&clear);
        setup(p);
        p.setPen(Qt::NoPen);
        p.setBrush(kVioletDark);
        p.drawRoundedRect(QRectF(0, 0, 19, 19), 3, 3);
        // Waste bin: lid, handle, body with ribs.
        p.setBrush(kWhite);
        p.drawRect(QRectF(4, 4.5, 11, 1.6));
        p.drawRect(QRectF(7.5, 3, 4, 1.5));
        QPainterPath bin;
        bin.moveTo(5.2, 7);
        bin.lineTo(13.8, 7);
        bin.lineTo(13, 16);
        bin.lineTo(6, 16);
        bin.closeSubpath();
        p.drawPath(bin);
        p.setBrush(kVioletDark);
        p.drawRect(QRectF(7.6, 8.5, 1, 6));
        p.drawRect(QRectF(10.4, 8.5, 1, 6));
    }
    save(clear, QStringLiteral("control/Clear.png"));

    QImage mic = canvas(20, 27);
    {
        QPainter p(&mic);
        setup(p);
        p.setPen(Qt::NoPen);
        p.setBrush(kWhite);
        p.drawRoundedRect(QRectF(6, 1.5, 8, 14), 4, 4);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kWhite, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(3, 4, 14, 15), 180 * 16, 180 * 16);
        p.drawLine(QPointF(10, 19), QPointF(10, 23.5));
        p.drawLine(QPointF(6, 24.5), QPointF(14, 24.5));
        p.setPen(QPen(kViolet, 1.2));
        p.drawLine(QPointF(7.5, 6), QPointF(12.5, 6));
        p.drawLine(QPointF(7.5, 9), QPointF(12.5, 9));
    }
    save(mic, QStringLiteral("control/Microphone.png"));

    QImage knob = canvas(16, 16);
    {
        QPainter p(&knob);
        setup(p);
        QRadialGradient g(QPointF(6, 6), 9);
        g.setColorAt(0, kWhite);
        g.setColorAt(1, QColor(210, 200, 240));
        p.setBrush(g);
        p.setPen(QPen(kViolet, 2.4));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kViolet);
        p.drawEllipse(QRectF(6, 6, 4, 4));
    }
    save(knob, QStringLiteral("control/SliderButton.png"));

    struct Play
    {
        const char *name;
        QColor top, bottom, glyph;
    } const plays[] = {
        {"Play.png", QColor(128, 40, 255), kVioletDark, kWhite},
        {"Play_Hover.png", QColor(160, 96, 255), kViolet, kWhite},
        {"Play_Press.png", kVioletDark, kVioletDeep, QColor(210, 200, 240)},
    };
    for (const Play &play : plays) {
        QImage image = canvas(62, 33);
        QPainter p(&image);
        setup(p);
        QLinearGradient g(0, 0, 0, 33);
        g.setColorAt(0, play.top);
        g.setColorAt(1, play.bottom);
        p.setBrush(g);
        p.setPen(QPen(alpha(kWhite, 120), 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, 61, 32), 10, 10);
        QPainterPath triangle;
        triangle.moveTo(25, 9);
        triangle.lineTo(40, 16.5);
        triangle.lineTo(25, 24);
        triangle.closeSubpath();
        p.setPen(QPen(play.glyph, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(play.glyph);
        p.drawPath(triangle);
        p.end();
        save(image, QStringLiteral("control/") + QLatin1String(play.name));
    }
}

void drawIcon()
{
    for (int size : {16, 24, 32, 48, 64, 256}) {
        QImage image = canvas(size, size);
        QPainter p(&image);
        setup(p);
        const qreal s = size;
        QLinearGradient g(0, 0, s, s);
        g.setColorAt(0, QColor(140, 60, 255));
        g.setColorAt(1, kVioletDeep);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.22, s * 0.22);
        drawHeadsetGlyph(p, QRectF(s * 0.1, s * 0.14, s * 0.8, s * 0.8), kWhite, qMax<qreal>(1.6, s * 0.085));
        p.end();
        save(image, QStringLiteral("frames/icon-%1.png").arg(size, 3, 10, QLatin1Char('0')));
    }
}

// The same glyph as drawHeadsetGlyph, as SVG elements.
QString headsetGlyphSvg(QRectF box, const QString &colour, qreal stroke)
{
    const QPointF c = box.center();
    const qreal r = box.width() * 0.36;
    const qreal arcY = c.y() - r * 0.05;
    const auto n = [](qreal v) { return QString::number(v, 'f', 2); };
    const auto cup = [&](qreal x) {
        return QStringLiteral(
                   "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
            .arg(n(x), n(c.y() - r * 0.1), n(stroke * 2.4), n(r * 0.95), n(stroke * 0.8), colour);
    };
    return QStringLiteral("  <path d=\"M %1 %2 A %3 %3 0 0 0 %4 %2\" fill=\"none\" stroke=\"%5\" "
                          "stroke-width=\"%6\" stroke-linecap=\"round\"/>\n")
               .arg(n(c.x() + r), n(arcY), n(r), n(c.x() - r), colour, n(stroke)) +
           cup(c.x() - r - stroke * 0.9) + cup(c.x() + r - stroke * 1.5);
}

void saveText(const QString &text, const QString &name)
{
    const QString path = g_out + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) != text.toUtf8().size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// The icon for the icon theme's scalable folder, drawn as drawIcon draws its
// largest size, and the one-colour symbolic icon for panels, whose grey the
// desktop repaints in the panel's text colour.
void writeScalableIcons()
{
    const qreal s = 256;
    saveText(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                       "viewBox=\"0 0 256 256\">\n"
                       "  <defs>\n"
                       "    <linearGradient id=\"face\" x1=\"0\" y1=\"0\" x2=\"256\" y2=\"256\" "
                       "gradientUnits=\"userSpaceOnUse\">\n"
                       "      <stop offset=\"0\" stop-color=\"%1\"/>\n"
                       "      <stop offset=\"1\" stop-color=\"%2\"/>\n"
                       "    </linearGradient>\n"
                       "  </defs>\n"
                       "  <rect width=\"256\" height=\"256\" rx=\"%3\" fill=\"url(#face)\"/>\n")
                .arg(QColor(140, 60, 255).name(), kVioletDeep.name(), QString::number(s * 0.22, 'f', 2)) +
            headsetGlyphSvg(QRectF(s * 0.1, s * 0.14, s * 0.8, s * 0.8), kWhite.name(), s * 0.085) +
            QStringLiteral("</svg>\n"),
        QStringLiteral("svg/scalable.svg"));
    saveText(QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
                            "viewBox=\"0 0 16 16\">\n") +
                 headsetGlyphSvg(QRectF(0, 1, 16, 16), QStringLiteral("#bebebe"), 2) +
                 QStringLiteral("</svg>\n"),
             QStringLiteral("svg/symbolic.svg"));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    drawSpeakers();
    drawPerson();
    drawHeadsetPicture(QStringLiteral("HeadsetA.png"), kViolet, 0);
    drawHeadsetPicture(QStringLiteral("HeadsetB.png"), QColor(0, 190, 230), 1);
    drawHeadsetPicture(QStringLiteral("HeadsetC.png"), QColor(200, 80, 255), 2);
    drawTitleBar();
    drawBackgrounds();
    drawControls();
    drawIcon();
    writeScalableIcons();
    return 0;
}
