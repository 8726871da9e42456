#include "ui/MessageBox.h"

#include "ui/VoxBenchStyle.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

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

void MessageBox::informationAndWait(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Information, title, text, true);
}

void MessageBox::warningAndWait(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Warning, title, text, true);
}

void MessageBox::ask(QWidget *parent, const QString &title, const QString &text, const QStringList &choices,
                     std::function<void(int)> answered)
{
    if (handler()) {
        handler()(Shown{Kind::Question, title, text, choices, std::move(answered)});
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setStyleSheet(QString::fromLatin1(VoxBenchStyle::messageBox));
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons << box->addButton(choice, QMessageBox::AcceptRole);
    QObject::connect(box, &QDialog::finished, box, [box, buttons, answered] {
        if (answered)
            answered(int(buttons.indexOf(box->clickedButton())));
    });
    box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    box->show();
}

void MessageBox::setHandler(Handler h)
{
    handler() = std::move(h);
}

void MessageBox::clearHandler()
{
    handler() = nullptr;
}

void MessageBox::show(QWidget *parent, Kind kind, const QString &title, const QString &text, bool wait)
{
    if (handler()) {
        handler()(Shown{kind, title, text, {}, nullptr});
        return;
    }
    // Never a nested event loop: a box the user leaves open holds up no command,
    // no receiver reply and no timer. It closes itself when OK is pressed.
    auto *box = new QMessageBox(kind == Kind::Warning ? QMessageBox::Warning : QMessageBox::Information,
                                title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setStyleSheet(QString::fromLatin1(VoxBenchStyle::messageBox));
    if (wait) {
        box->exec();
        return;
    }
    box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    box->show();
}
