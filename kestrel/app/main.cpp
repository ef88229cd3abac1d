#include "app/ufrmMain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrel");
    TfrmMain window;
    window.show();
    return app.exec();
}
