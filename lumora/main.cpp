#include "lumora/ufrmMain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    lumora::TfrmMain w;
    w.CenterOnScreen();
    w.show();
    return app.exec();
}
