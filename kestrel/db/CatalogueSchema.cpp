#include "CatalogueSchema.h"

#include "SqlScript.h"

#include <QFile>
#include <QFileInfo>

// Resources of a static library must be registered by hand.
static void initCatalogueResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(catalogue);
        return true;
    }();
    (void)done;
}

namespace catalogue {

namespace {
QString readResource(const QString &name)
{
    initCatalogueResources();
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw KException(QStringLiteral("Built-in script %1 is missing").arg(name));
    return QString::fromUtf8(f.readAll());
}
} // namespace

QString schemaScript() { return readResource(QStringLiteral(":/catalogue/catalogue.sql")); }
QString demoScript() { return readResource(QStringLiteral(":/catalogue/demo.sql")); }

void createCatalogue(const QString &file, bool demo, const fb::CreateOptions &options)
{
    if (QFileInfo::exists(file))
        throw KException(QStringLiteral("File already exists: %1").arg(file));
    const QString schema = schemaScript();
    const QString rows = demo ? demoScript() : QString();
    // Built without synchronous writes (each DDL commit would wait for the
    // disk); the option asked for is set once the file is complete.
    fb::CreateOptions building = options;
    building.forcedWrites = false;
    fb::Database db;
    db.create(file, QStringLiteral("SYSDBA"), building);
    try {
        fb::runScript(db, schema);
        if (demo)
            fb::runScript(db, rows);
        db.close();
        if (options.forcedWrites)
            fb::Database::setForcedWrites(file, QStringLiteral("SYSDBA"), true);
    } catch (...) {
        try {
            db.dropDatabase();
        } catch (...) {
            db.closeQuietly();
            QFile::remove(file);
        }
        throw;
    }
}

} // namespace catalogue
