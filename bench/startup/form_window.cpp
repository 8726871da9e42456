// A middle mark between the floor and the program: the program's form alone,
// built by VoxBenchForm::setupUi on a QMainWindow and shown as setupUi leaves
// it (nothing hidden, so its first frame paints more than the program's
// no-device page does). No store, device, tray, plots' set-up or tab logic:
// what the form's widgets, style sheets and pictures cost by themselves. The
// form's connections name VoxBench's slots, which a QMainWindow lacks; Qt's
// warnings about them go to standard error, which the bench drops.
#include "FirstFrameProbe.h"

#include "ui/VoxBenchForm.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    VoxBenchForm form;
    form.setupUi(&window);
    window.setWindowFlags(Qt::FramelessWindowHint);
    FirstFrameProbe probe(&window, [] { return true; });
    window.show();
    return app.exec();
}
