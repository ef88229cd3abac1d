#include "support/TestCatalogue.h"

#include "db/CatalogueSchema.h"
#include "db/FbClient.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

namespace testdb {

namespace {
QString templateFile(bool demo)
{
    static std::unique_ptr<QTemporaryDir> dir;
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        if (!dir->isValid())
            throw std::runtime_error("no temporary folder for the template catalogues");
    }
    const QString path = dir->filePath(demo ? QStringLiteral("demo.fdb") : QStringLiteral("empty.fdb"));
    if (!QFile::exists(path))
        catalogue::createCatalogue(path, demo, fb::CreateOptions{8192, false});
    return path;
}
} // namespace

QString makeCatalogue(const QString &dir, const QString &name, bool demo, const QStringList &sql)
{
    const QString path = QDir(dir).filePath(name);
    QFile::remove(path);
    if (!QFile::copy(templateFile(demo), path))
        throw std::runtime_error("cannot copy the template catalogue");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
    if (!sql.isEmpty())
        runSql(path, sql);
    return path;
}

void runSql(const QString &file, const QStringList &sql)
{
    fb::Database db;
    db.open(file, QStringLiteral("SYSDBA"));
    fb::Transaction tr(db);
    for (const QString &s : sql) {
        tr.start();
        db.executeImmediate(tr, s);
        tr.commit();
    }
    db.close();
}

QString queryValue(const QString &file, const QString &select)
{
    fb::Database db;
    db.open(file, QStringLiteral("SYSDBA"));
    fb::Transaction tr(db);
    fb::Query q(db, tr);
    tr.start();
    q.setSql(select);
    q.open();
    const QString v = q.eof() ? QString() : q.fieldByName(q.fieldName(0)).asString();
    q.close();
    tr.commit();
    return v;
}

} // namespace testdb
