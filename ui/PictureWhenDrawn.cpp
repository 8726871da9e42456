#include "ui/PictureWhenDrawn.h"

#include <QEvent>
#include <QImageReader>
#include <QPainter>
#include <QWidget>

namespace {

class PicturePainter : public QObject
{
public:
    PicturePainter(QWidget *widget, const QString &file) : QObject(widget), m_file(file)
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        // Not through the pixmap cache, which would keep it.
        QImageReader reader(m_file);
        const QImage picture = reader.read();
        QPainter painter(static_cast<QWidget *>(watched));
        painter.drawImage(0, 0, picture);
        return true;
    }

private:
    const QString m_file;
};

} // namespace

void PictureWhenDrawn::paintOnto(QWidget *widget, const QString &file)
{
    new PicturePainter(widget, file);
}
