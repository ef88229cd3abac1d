// xlstool as a user runs it: dump, build and csv, and its errors.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code = -1;
    QByteArray out, err;
};

class XlsTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        tool = qEnvironmentVariable("KL_BUILD_DIR") + "/cli/xlstool";
        if (!QFile::exists(tool))
            GTEST_SKIP() << "xlstool not built at " << tool.toStdString();
    }
    ToolRun run(const QStringList &args)
    {
        QProcess p;
        p.start(tool, args);
        ToolRun r;
        if (!p.waitForFinished(60000))
            return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    QString data(const QString &name) { return qEnvironmentVariable("KL_TEST_DATA") + "/" + name; }
    QString tool;
    QTemporaryDir tmp;
};

TEST_F(XlsTool, DumpBuildDumpIsStable)
{
    const ToolRun first = run({"dump", data("demo/demo_import.xls")});
    ASSERT_EQ(first.code, 0) << first.err.constData();
    QFile json(tmp.filePath("book.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(first.out);
    json.close();
    const ToolRun build = run({"build", json.fileName(), tmp.filePath("again.xls")});
    ASSERT_EQ(build.code, 0) << build.err.constData();
    const ToolRun second = run({"dump", tmp.filePath("again.xls")});
    ASSERT_EQ(second.code, 0);
    EXPECT_EQ(second.out, first.out);
    EXPECT_TRUE(first.out.contains("\"caption\": \"Pins SOIC-8\""));
}

TEST_F(XlsTool, CsvPicksThePageAndQuotes)
{
    const ToolRun byName = run({"csv", data("demo/demo_import.xls"), "Cases"});
    ASSERT_EQ(byName.code, 0) << byName.err.constData();
    EXPECT_TRUE(byName.out.startsWith("DBID,ID,Type name,Description,Pin count,Mount type,PTT type,PTT parameter\n"));
    EXPECT_TRUE(byName.out.contains("1,9,SOT-223,\"Small outline transistor, tab\",4,1,,\n"));
    EXPECT_EQ(run({"csv", data("demo/demo_import.xls"), "2"}).out, byName.out);
    // Line breaks stay inside one quoted field.
    const ToolRun types = run({"csv", data("xls/xlwt_types.xls"), "0"});
    EXPECT_TRUE(types.out.contains("\"two\nlines\",0.1,General,\n")) << types.out.left(400).constData();
}

TEST_F(XlsTool, ErrorsSayWhatIsWrong)
{
    QFile junk(tmp.filePath("junk.xls"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("just some text, not a workbook");
    junk.close();
    QFile badJson(tmp.filePath("bad.json"));
    ASSERT_TRUE(badJson.open(QIODevice::WriteOnly));
    badJson.write(R"({"pages":[{"caption":"x","cells":[{"col":300,"row":0,"text":"far"}]}]})");
    badJson.close();
    const struct {
        QStringList args;
        int code;
        const char *message;
    } cases[] = {
        {{"csv", junk.fileName()}, 1, "not a readable Excel 97 workbook: it has no OLE2 compound document header"},
        {{"csv", data("demo/demo_import.xls"), "Nope"}, 1, "No page \"Nope\""},
        {{"csv", data("demo/demo_import.xls"), "3"}, 1, "No page \"3\""},
        {{"build", badJson.fileName(), tmp.filePath("out.xls")}, 1, "col 300 is outside 0..255"},
        {{"dump", tmp.filePath("missing.xls")}, 1, "Cannot open"},
        {{"frobnicate"}, 2, "usage"},
    };
    for (const auto &c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
    }
    EXPECT_FALSE(QFile::exists(tmp.filePath("out.xls")));
}

} // namespace
