#include "window/ModeFileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {
// One local file, or nothing: a drop of several files would be several modes
// at once, past what a person can check.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return QString();
    return data->urls().first().toLocalFile();
}
} // namespace

ModeFileDrop::ModeFileDrop(QWidget *strip, ModeType type, QObject *parent) : QObject(parent), m_type(type)
{
    strip->setAcceptDrops(true);
    strip->installEventFilter(this);
}

bool ModeFileDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (droppedFile(drag->mimeData()).isEmpty())
            drag->ignore();
        else
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->acceptProposedAction();
        emit dropped(m_type, path);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
