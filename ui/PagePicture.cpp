#include "ui/PagePicture.h"

#include <QEvent>
#include <QImageReader>
#include <QPainter>
#include <QWidget>

PagePicture::PagePicture(QWidget *widget, const QString &file)
    : QObject(widget), m_widget(widget), m_file(file)
{
    widget->installEventFilter(this);
}

bool PagePicture::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget) {
        if (event->type() == QEvent::Paint)
            paint();
        else if (event->type() == QEvent::Hide)
            m_image = QImage();
    }
    return false;
}

void PagePicture::paint()
{
    if (m_image.isNull()) {
        QImageReader reader(m_file);
        m_image = reader.read();
        if (m_image.isNull()) {
            qWarning("PagePicture: %s: %s", qPrintable(m_file), qPrintable(reader.errorString()));
            return;
        }
        // 32-bit as a pixmap would hold it: an 8-bit palette picture is a
        // quarter of the size but drawing it converts all of it every time,
        // 25 times the cost of a plain copy under the animated spectrum.
        m_image.convertTo(m_image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                    : QImage::Format_RGB32);
    }
    QPainter painter(m_widget);
    // As a border-image draws: stretched, smoothly where the screen scales it.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(m_widget->rect(), m_image, m_image.rect());
}
