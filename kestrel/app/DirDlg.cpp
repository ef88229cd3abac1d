#include "app/DirDlg.h"

#include "ui/ModalSeam.h"

#include <QDir>

bool SelectFolderDialog(const QString &title, QString &folder)
{
    const QString chosen = modal::chooseFolder(nullptr, title, QDir::homePath());
    if (chosen.isEmpty())
        return false;
    QString path = QDir::cleanPath(chosen);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    folder = path;
    return true;
}
