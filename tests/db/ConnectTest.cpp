#include "db/CatalogueSession.h"
#include "db/FbClient.h"
#include "db/uDBCh.h"
#include "support/QtPrinters.h"
#include "support/TestCatalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RecordedBoxes : ErrorBoxes {
    QStringList shown;
    void showError(const QString &caption, const QString &text) override { shown << caption + "|" + text; }
};

QStringList required()
{
    QStringList names;
    for (const char *n : RequiredTableNames)
        names << QString::fromLatin1(n);
    return names;
}

// The file is free again: it opens and can be deleted.
void expectReleased(const QString &file)
{
    fb::Database again;
    EXPECT_NO_THROW(again.open(file, QStringLiteral("SYSDBA")));
    again.closeQuietly();
    EXPECT_TRUE(QFile::remove(file)) << file.toStdString();
}

} // namespace

TEST(CheckDB, TablesAndVersion)
{
    QStringList lower;
    for (const QString &n : required())
        lower << n.toLower();
    QStringList reversed = required();
    std::reverse(reversed.begin(), reversed.end());
    QStringList twenty = required();
    twenty.removeLast();
    QStringList extra = required();
    extra << "T_EXTRA";
    QStringList unknown = required();
    unknown[20] = "T_OTHER";
    QStringList caseTwin = required(); // T_CLASS twice, T_FAVORITES missing
    caseTwin[20] = "t_class";

    EXPECT_FALSE(CheckDBTables(nullptr));
    EXPECT_TRUE(CheckDBTables(&lower));
    EXPECT_TRUE(CheckDBTables(&reversed));
    EXPECT_FALSE(CheckDBTables(&twenty));
    EXPECT_FALSE(CheckDBTables(&extra));
    EXPECT_FALSE(CheckDBTables(&unknown));
    EXPECT_FALSE(CheckDBTables(&caseTwin));

    EXPECT_TRUE(CheckDBVersion(1, 2, 3));
    EXPECT_FALSE(CheckDBVersion(1, 2, 4));
    EXPECT_FALSE(CheckDBVersion(0, 0, 0));
    EXPECT_FALSE(CheckDBVersion(3, 2, 1));
    EXPECT_EQ(SupportedVersionText(), "1.2.3");
}

TEST(Connect, CatalogueVariants)
{
    const QString unsupported = QStringLiteral("|Unsupported DataBase");
    const QString badVersion = QStringLiteral("|Unsupported DataBase version");
    struct Case {
        const char *name;
        QStringList sql;
        bool accepted;
        QStringList boxes;
    };
    const Case cases[] = {
        {"as made", {}, true, {}},
        {"22nd table", {"CREATE TABLE T_EXTRA (ID INTEGER)"}, false, {unsupported}},
        {"20 tables", {"DROP TABLE T_FAVORITES"}, false, {unsupported}},
        {"view added", {"CREATE VIEW V_CLASSES AS SELECT DBID, ID FROM T_CLASS"}, true, {}},
        {"table name in lower case", {"DROP TABLE T_FAVORITES", "CREATE TABLE \"t_favorites\" (ID INTEGER)"}, true, {}},
        {"two names differing in case, one table missing",
         {"DROP TABLE T_FAVORITES", "CREATE TABLE \"t_class\" (ID INTEGER)"}, false, {unsupported}},
        {"version 1.2.4", {"UPDATE SYS_VAR SET V_INTEGER = 4 WHERE S_PARAM = 'BUILDVERSION'"}, false, {badVersion}},
        {"major 65537 counts as 1", {"UPDATE SYS_VAR SET V_INTEGER = 65537 WHERE S_PARAM = 'MAJORVERSION'"}, true, {}},
        {"names in lower case", {"UPDATE SYS_VAR SET S_PARAM = LOWER(S_PARAM)"}, true, {}},
        {"names in mixed case",
         {"UPDATE SYS_VAR SET S_PARAM = 'MajorVersion' WHERE ID = 1",
          "UPDATE SYS_VAR SET S_PARAM = 'minorVERSION' WHERE ID = 2"},
         true,
         {}},
        {"missing version row", {"DELETE FROM SYS_VAR WHERE S_PARAM = 'MINORVERSION'"}, false, {badVersion}},
        {"NULL version", {"UPDATE SYS_VAR SET V_INTEGER = NULL WHERE S_PARAM = 'BUILDVERSION'"}, false, {badVersion}},
        {"text where the number belongs",
         {"ALTER TABLE SYS_VAR ALTER COLUMN V_INTEGER TYPE VARCHAR(20)",
          "UPDATE SYS_VAR SET V_INTEGER = 'one' WHERE S_PARAM = 'MAJORVERSION'"},
         false,
         {"DatabaseError|'one' is not a valid integer value (field V_INTEGER)", badVersion}},
        {"SYS_VAR of another shape",
         {"ALTER TABLE SYS_VAR DROP V_FLOAT"},
         false,
         {"FirebirdError|Dynamic SQL Error\n-SQL error code = -206\n-Column unknown\n-V_FLOAT\n-At line 1, column 32",
          badVersion}},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = testdb::makeCatalogue(dir.path(), QStringLiteral("cat.fdb"), false, c.sql);
        RecordedBoxes boxes;
        CatalogueSession session(&boxes);
        EXPECT_EQ(session.ConnectDB(QStringLiteral("SYSDBA"), file), c.accepted);
        EXPECT_EQ(session.connected(), c.accepted);
        EXPECT_EQ(boxes.shown, c.boxes);
        EXPECT_FALSE(session.MainIBTransaction.inTransaction());
        if (c.accepted) {
            EXPECT_EQ(session.connectedText(), "Connected to cat.fdb");
            EXPECT_TRUE(session.DisconnectDB());
            EXPECT_FALSE(session.connected());
        }
        expectReleased(file);
    }
}

TEST(Connect, FilesThatAreNoCatalogue)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath("junk.fdb");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(20000, 'x'));
    }
    const QString empty = dir.filePath("empty.fdb");
    QFile(empty).open(QIODevice::WriteOnly);

    RecordedBoxes boxes;
    CatalogueSession session(&boxes);
    EXPECT_FALSE(session.ConnectDB("SYSDBA", dir.filePath("missing.fdb")));
    EXPECT_EQ(boxes.shown, QStringList{"|DB File not found"});
    EXPECT_FALSE(session.ConnectDB("SYSDBA", dir.path())); // a folder is no file
    EXPECT_EQ(boxes.shown.last(), "|DB File not found");

    for (const QString &file : {junk, empty}) {
        boxes.shown.clear();
        EXPECT_FALSE(session.ConnectDB("SYSDBA", file));
        ASSERT_EQ(boxes.shown.size(), 2) << boxes.shown.join('\n').toStdString();
        EXPECT_TRUE(boxes.shown[0].startsWith("FirebirdError|")) << boxes.shown[0].toStdString();
        EXPECT_EQ(boxes.shown[1], "|Unable to connect to DataBase");
        EXPECT_FALSE(session.connected());
        // Nothing was written to it.
        EXPECT_EQ(QFileInfo(file).size(), file == junk ? 20000 : 0);
    }

    // A database of another schema.
    const QString other = dir.filePath("other.fdb");
    {
        fb::Database db;
        db.create(other, "SYSDBA", fb::CreateOptions{8192, false});
        fb::Transaction tr(db);
        tr.start();
        db.executeImmediate(tr, "CREATE TABLE CUSTOMERS (ID INTEGER)");
        tr.commit();
    }
    boxes.shown.clear();
    EXPECT_FALSE(session.ConnectDB("SYSDBA", other));
    EXPECT_EQ(boxes.shown, QStringList{"|Unsupported DataBase"});
    expectReleased(other);

    // After all that the session still connects to a real catalogue.
    boxes.shown.clear();
    EXPECT_TRUE(session.ConnectDB("SYSDBA", testdb::makeCatalogue(dir.path())));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST(Connect, VersionOfAnEarlierCatalogueDoesNotCarryOver)
{
    QTemporaryDir dir;
    const QString good = testdb::makeCatalogue(dir.path(), "good.fdb");
    const QString noBuild = testdb::makeCatalogue(dir.path(), "nobuild.fdb", false,
                                                  {"DELETE FROM SYS_VAR WHERE S_PARAM = 'BUILDVERSION'"});
    RecordedBoxes boxes;
    CatalogueSession session(&boxes);
    ASSERT_TRUE(session.ConnectDB("SYSDBA", good));
    EXPECT_EQ(session.FBuildVersion, 3);
    EXPECT_TRUE(session.DisconnectDB());
    EXPECT_FALSE(session.DisconnectDB()); // already closed: false, nothing shown
    EXPECT_FALSE(session.ConnectDB("SYSDBA", noBuild));
    EXPECT_EQ(boxes.shown, QStringList{"|Unsupported DataBase version"});
}
