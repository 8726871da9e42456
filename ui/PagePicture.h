#pragma once

#include <QImage>
#include <QObject>
#include <QString>

class QWidget;

// A page's background picture, drawn under the widget's own painting and
// stretched over it as a style sheet's border-image is. It is decoded when
// first drawn after a show and dropped when the widget hides, so a page
// nobody sees holds no decoded pixels (a 1176x700 picture is 3.3 MB of them).
class PagePicture : public QObject
{
public:
    // Owned by the widget.
    PagePicture(QWidget *widget, const QString &file);

    bool isDecoded() const { return !m_image.isNull(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paint();

    QWidget *const m_widget;
    const QString m_file;
    QImage m_image;
};
