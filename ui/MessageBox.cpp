#include "ui/MessageBox.h"

#include "ui/VoxBenchStyle.h"

#include <QMessageBox>

namespace {
MessageBox::Handler &handler()
{
    static MessageBox::Handler h;
    return h;
}
} // namespace

void MessageBox::information(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Information, title, text);
}

void MessageBox::warning(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Warning, title, text);
}

void MessageBox::setHandler(Handler h)
{
    handler() = std::move(h);
}

void MessageBox::clearHandler()
{
    handler() = nullptr;
}

void MessageBox::show(QWidget *parent, Kind kind, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(Shown{kind, title, text});
        return;
    }
    QMessageBox box(kind == Kind::Warning ? QMessageBox::Warning : QMessageBox::Information, title, text,
                    QMessageBox::Ok, parent);
    box.setStyleSheet(QString::fromLatin1(VoxBenchStyle::messageBox));
    box.exec();
}
