// The floor of the start-up figures: a bare Qt 5 program that shows a
// 1176x700 QMainWindow holding one QCustomPlot, and quits after its first frame.
#include "FirstFrameProbe.h"

#include <QApplication>
#include <QMainWindow>
#include <qcustomplot.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setFixedSize(1176, 700);
    window.setCentralWidget(new QCustomPlot(&window));
    FirstFrameProbe probe(&window, [] { return true; });
    window.show();
    return app.exec();
}
