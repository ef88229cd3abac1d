#include "support/QtPrinters.h"
#include "support/TestCatalogue.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};

ToolRun catalogueTool(const QStringList &args)
{
    const QString exe = qEnvironmentVariable("KL_BUILD_DIR") + QStringLiteral("/cli/kestrel-catalogue");
    QProcess p;
    p.start(exe, args);
    if (!p.waitForFinished(120000)) {
        ADD_FAILURE() << "kestrel-catalogue did not finish: " << exe.toStdString();
        return {-1, {}, {}};
    }
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(CatalogueCli, CreateThenCheckSaysOk)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("demo.fdb");
    ToolRun r = catalogueTool({"create", file, "--demo"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = catalogueTool({"check", file});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ok\n");
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM T_CLASS"), "5");

    // An existing file is never overwritten.
    const qint64 size = QFileInfo(file).size();
    r = catalogueTool({"create", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("already exists")) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(file).size(), size);
    EXPECT_EQ(catalogueTool({"check", file}).out, "ok\n");
}

TEST(CatalogueCli, CheckPrintsWhatConnectWouldShow)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath("junk.fdb");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'j'));
    }
    const QString v124 = testdb::makeCatalogue(dir.path(), "v124.fdb", false,
                                               {"UPDATE SYS_VAR SET V_INTEGER = 4 WHERE S_PARAM = 'BUILDVERSION'"});
    const QString extra = testdb::makeCatalogue(dir.path(), "extra.fdb", false, {"CREATE TABLE T_EXTRA (ID INTEGER)"});

    ToolRun r = catalogueTool({"check", dir.filePath("missing.fdb")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "DB File not found\n");

    r = catalogueTool({"check", junk});
    EXPECT_EQ(r.exitCode, 1);
    const QStringList lines = r.out.trimmed().split('\n');
    EXPECT_TRUE(lines.first().startsWith("FirebirdError: ")) << r.out.toStdString();
    EXPECT_EQ(lines.last(), "Unable to connect to DataBase");

    r = catalogueTool({"check", v124});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Unsupported DataBase version\n");

    r = catalogueTool({"check", extra});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Unsupported DataBase\n");

    EXPECT_EQ(catalogueTool({"check"}).exitCode, 2);
    EXPECT_EQ(catalogueTool({"create", dir.filePath("x.fdb"), "--demo", "--more"}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.fdb")));
}

TEST(CatalogueCli, FileHeldByAnotherProgramIsRefusedWithTheEngineText)
{
    const QString isql = QStandardPaths::findExecutable("isql-fb");
    if (isql.isEmpty())
        GTEST_SKIP() << "isql-fb not installed";
    QTemporaryDir dir;
    const QString file = testdb::makeCatalogue(dir.path(), "held.fdb");
    // isql attaches through the embedded engine too and keeps the file
    // while it waits for more input.
    QProcess holder;
    holder.start(isql, {"-q", "-user", "SYSDBA", file});
    ASSERT_TRUE(holder.waitForStarted());
    holder.write("SELECT 'attached' FROM RDB$DATABASE;\n");
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    const ToolRun r = catalogueTool({"check", file});
    holder.closeWriteChannel();
    holder.waitForFinished(30000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith("FirebirdError: ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith("Unable to connect to DataBase\n")) << r.out.toStdString();
    // Once the other program is gone the file is accepted.
    EXPECT_EQ(catalogueTool({"check", file}).out, "ok\n");
}
