// A middle mark between the floor and the program: the program's form alone,
// built by VoxBenchForm::setupUi on a QMainWindow and shown with its no-device
// screen on top, as the program's first frame shows it. No store, device,
// tray, plots' set-up or tab logic: what the form's widgets, style sheets and
// pictures cost by themselves.
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
