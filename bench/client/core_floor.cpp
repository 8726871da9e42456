// The floor of a command-line program: Qt Core started and ended, nothing else.
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    return 0;
}
