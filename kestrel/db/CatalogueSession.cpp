#include "CatalogueSession.h"

#include "uDBCh.h"

#include <QFileInfo>

CatalogueSession::CatalogueSession(ErrorBoxes *boxes) : m_boxes(boxes) {}

void CatalogueSession::error(const QString &caption, const QString &text)
{
    if (m_boxes)
        m_boxes->showError(caption, text);
}

void CatalogueSession::showException(const std::exception &e)
{
    if (auto *k = dynamic_cast<const KException *>(&e))
        error(k->className(), k->message());
    else
        error(QStringLiteral("Exception"), QString::fromLocal8Bit(e.what()));
}

QString CatalogueSession::connectedText() const
{
    return QStringLiteral("Connected to ") + QFileInfo(MainIBDatabase.fileName()).fileName();
}

QStringList CatalogueSession::userTableNames()
{
    QStringList names;
    MainIBTransaction.start();
    MainIBQuery.close();
    MainIBQuery.setSql(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) AS NAME FROM RDB$RELATIONS "
                                      "WHERE RDB$VIEW_BLR IS NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                                      "ORDER BY RDB$RELATION_NAME"));
    MainIBQuery.open();
    while (!MainIBQuery.eof()) {
        names << MainIBQuery.fieldByName(QStringLiteral("NAME")).asString();
        MainIBQuery.next();
    }
    MainIBQuery.close();
    MainIBTransaction.commit();
    return names;
}

bool CatalogueSession::ConnectDB(const QString &AUserName, const QString &ADataBaseFile)
{
    bool result = false;
    if (!MainIBDatabase.isOpen()) {
        if (!QFileInfo(ADataBaseFile).isFile()) {
            error(QString(), QStringLiteral("DB File not found"));
        } else {
            try {
                MainIBDatabase.open(ADataBaseFile, AUserName);
            } catch (const std::exception &e) {
                showException(e);
            }
            if (!MainIBDatabase.isOpen()) {
                error(QString(), QStringLiteral("Unable to connect to DataBase"));
            } else {
                bool listed = false;
                QStringList tables;
                try {
                    tables = userTableNames();
                    listed = true;
                } catch (const std::exception &e) {
                    MainIBTransaction.rollback();
                    showException(e);
                }
                if (listed && !CheckDBTables(&tables)) {
                    error(QString(), QStringLiteral("Unsupported DataBase"));
                } else if (listed) {
                    ReadDBInfo();
                    if (!CheckDBVersion(FMajorVersion, FMinorVersion, FBuildVersion))
                        error(QString(), QStringLiteral("Unsupported DataBase version"));
                    else
                        result = true;
                }
            }
        }
    }
    if (!result)
        MainIBDatabase.closeQuietly();
    return result;
}

void CatalogueSession::ReadDBInfo()
{
    if (!MainIBDatabase.isOpen())
        return;
    // Numbers from an earlier catalogue must not vouch for this one.
    FMajorVersion = FMinorVersion = FBuildVersion = 0;
    try {
        MainIBTransaction.start();
        MainIBQuery.close();
        MainIBQuery.setSql(QStringLiteral("SELECT ID, S_PARAM, V_INTEGER, V_FLOAT, V_STRING, V_TIMESTAMP FROM SYS_VAR;"));
        MainIBQuery.open();
        while (!MainIBQuery.eof()) {
            const QString name = MainIBQuery.fieldByName(QStringLiteral("S_PARAM")).asString();
            std::uint16_t *target = nullptr;
            if (name.compare(QLatin1String("MAJORVERSION"), Qt::CaseInsensitive) == 0)
                target = &FMajorVersion;
            else if (name.compare(QLatin1String("MINORVERSION"), Qt::CaseInsensitive) == 0)
                target = &FMinorVersion;
            else if (name.compare(QLatin1String("BUILDVERSION"), Qt::CaseInsensitive) == 0)
                target = &FBuildVersion;
            if (target)
                *target = std::uint16_t(MainIBQuery.fieldByName(QStringLiteral("V_INTEGER")).asInteger());
            MainIBQuery.next();
        }
        MainIBQuery.close();
        MainIBTransaction.commit();
    } catch (const std::exception &e) {
        MainIBTransaction.rollback();
        showException(e);
    }
}

bool CatalogueSession::DisconnectDB()
{
    if (!MainIBDatabase.isOpen())
        return false;
    try {
        MainIBDatabase.close();
    } catch (const std::exception &e) {
        showException(e);
    }
    return !MainIBDatabase.isOpen();
}
