#include "uDBCh.h"

#include <QSet>

QString SupportedVersionText()
{
    return QStringLiteral("%1.%2.%3").arg(SupportedMajorVersion).arg(SupportedMinorVersion).arg(SupportedBuildVersion);
}

bool CheckDBVersion(int major, int minor, int build)
{
    return major == SupportedMajorVersion && minor == SupportedMinorVersion && build == SupportedBuildVersion;
}

bool CheckDBTables(const QStringList *list)
{
    if (!list || list->size() != int(RequiredTableNames.size()))
        return false;
    // Each required name must be matched once: two names that differ only
    // in case would otherwise hide a missing table.
    QSet<QString> seen;
    for (const QString &name : *list) {
        const QString upper = name.toUpper();
        bool known = false;
        for (const char *required : RequiredTableNames)
            if (upper == QLatin1String(required)) {
                known = true;
                break;
            }
        if (!known || seen.contains(upper))
            return false;
        seen.insert(upper);
    }
    return true;
}
