#pragma once
#include <QString>

// Folder picker. True and `folder` set (without a trailing separator unless
// it is the root) when the user chose a folder; false and `folder` unchanged
// otherwise.
bool SelectFolderDialog(const QString &title, QString &folder);
