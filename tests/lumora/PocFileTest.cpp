#include "lumora/PocFile.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace lumora;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

const QByteArray kDefaultPins = "PIN0=0\nPIN1=1\nPIN2=2\nPIN3=3\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n";

PocData pins(std::array<int, 8> p, int rm = 0) { return PocData{p, rm}; }

} // namespace

TEST(PocFile, Acceptance)
{
    struct Case {
        const char *name;
        QByteArray text;
        std::optional<PocData> expected;
    };
    const PocData def;
    const Case cases[] = {
        {"default", "[LMPOC]\n" + kDefaultPins + "RM=0\n", def},
        {"reversed, other order", "[LMPOC]\nRM=1\nPIN7=0\nPIN6=1\nPIN5=2\nPIN4=3\nPIN3=4\nPIN2=5\nPIN1=6\nPIN0=7\n",
         pins({7, 6, 5, 4, 3, 2, 1, 0}, 1)},
        {"RM missing is direct", "[LMPOC]\n" + kDefaultPins, def},
        {"RM 2 is reversed", "[LMPOC]\n" + kDefaultPins + "RM=2\n", pins({0, 1, 2, 3, 4, 5, 6, 7}, 1)},
        {"RM 256 is direct (low byte)", "[LMPOC]\n" + kDefaultPins + "RM=256\n", def},
        {"RM junk is direct", "[LMPOC]\n" + kDefaultPins + "RM=yes\n", def},
        {"PIN3 259 is D", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=259\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n", def},
        {"PIN3 missing", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n", std::nullopt},
        {"PIN3 8", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=8\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n", std::nullopt},
        {"PIN3 -1", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=-1\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n", std::nullopt},
        {"PIN3 abc", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=abc\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n", std::nullopt},
        {"PIN3 beyond 32 bits", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=4294967299\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n",
         std::nullopt},
        {"repeated segment still loads", "[LMPOC]\nPIN0=0\nPIN1=0\nPIN2=2\nPIN3=3\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n",
         pins({0, 0, 2, 3, 4, 5, 6, 7})},
        {"first of repeated keys counts", "[LMPOC]\n" + kDefaultPins + "PIN0=9\nRM=1\nRM=0\n",
         pins({0, 1, 2, 3, 4, 5, 6, 7}, 1)},
        {"repeated sections merge", "[LMPOC]\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=3\n[Other]\nx=1\n[LMPOC]\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n",
         def},
        {"names ignore case, blanks and CR LF, BOM", "\xEF\xBB\xBF; saved by hand\r\n[lmpoc]\r\npin0 = 0\r\nPin1= 1\r\nPIN2 =2\r\nPIN3=3\r\nPIN4=4\r\nPIN5=5\r\nPIN6=6\r\nPIN7=7\r\n",
         def},
        {"no section", "[Other]\n" + kDefaultPins, std::nullopt},
        {"keys outside any section", kDefaultPins, std::nullopt},
        {"empty", "", std::nullopt},
        {"binary junk", QByteArray("\x00\x01[LMPOC]\xff\xfe\n\x00PIN0=0\n", 20) + QByteArray(300, '\x9c'), std::nullopt},
        {"NUL ends the text", QByteArray("[LMPOC]\nPIN0=0\nPIN1=1\n\0PIN2=2\nPIN3=3\nPIN4=4\nPIN5=5\nPIN6=6\nPIN7=7\n", 68),
         std::nullopt},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("case.poc");
        writeBytes(path, c.text);
        std::optional<PocData> got;
        ASSERT_NO_THROW(got = LoadPoc(path));
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (got) {
            EXPECT_EQ(got->pins, c.expected->pins);
            EXPECT_EQ(got->reverseMode, c.expected->reverseMode);
        }
    }
}

TEST(PocFile, MissingFileReadsAsNoData)
{
    QTemporaryDir dir;
    EXPECT_EQ(LoadPoc(dir.filePath("none.poc")), std::nullopt);
}

TEST(PocFile, UnreadableThingsReportTheSystemCode)
{
    QTemporaryDir dir;
    const QString big = dir.filePath("big.poc");
    QByteArray text = "[LMPOC]\n" + kDefaultPins;
    text += QByteArray(int(kPocMaxFileSize), ';');
    writeBytes(big, text);
    const QString fifo = dir.filePath("pipe.poc");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case {
        QString path;
        int code;
    } cases[] = {{dir.path(), EISDIR}, {big, EFBIG}, {fifo, EINVAL}, {dir.filePath("big.poc/x.poc"), ENOTDIR}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        try {
            LoadPoc(c.path);
            ADD_FAILURE() << "no error";
        } catch (const PocFileError &e) {
            EXPECT_EQ(e.code(), c.code);
        }
    }
}

TEST(PocFile, UnreadablePermissions)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.poc");
    writeBytes(path, "[LMPOC]\n" + kDefaultPins);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    try {
        LoadPoc(path);
        ADD_FAILURE() << "no error";
    } catch (const PocFileError &e) {
        EXPECT_EQ(e.code(), EACCES);
    }
    // Saving must not replace a file it could not read.
    try {
        SavePoc(path, PocData{});
        ADD_FAILURE() << "no error";
    } catch (const PocFileError &e) {
        EXPECT_EQ(e.code(), EACCES);
    }
}

TEST(PocFile, SaveWritesTheNineKeysInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.poc");
    SavePoc(path, pins({1, 2, 0, 3, 4, 5, 6, 7}, 1));
    EXPECT_EQ(readBytes(path), "[LMPOC]\nPIN0=1\nPIN1=2\nPIN2=0\nPIN3=3\nPIN4=4\nPIN5=5\nPIN6=6\n"
                               "PIN7=7\nRM=1\n");
    EXPECT_EQ(LoadPoc(path), pins({1, 2, 0, 3, 4, 5, 6, 7}, 1));

    // A repeated segment is saved as it stands.
    SavePoc(path, pins({0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(LoadPoc(path), pins({0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PocFile, SaveKeepsTheRestOfAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shared.poc");
    writeBytes(path, "; board notes\n\n[Board]\nName=Clock v2\n\n[LMPOC]\nRM=2\nPIN7=0\nNote=keep me\nPIN0=7\n"
                     "PIN0=6\n\n[Tail]\nx=1\n");
    SavePoc(path, PocData{});
    const QByteArray out = readBytes(path);
    EXPECT_TRUE(out.startsWith("; board notes\n")) << out.constData();
    EXPECT_TRUE(out.contains("[Board]\nName=Clock v2\n")) << out.constData();
    EXPECT_TRUE(out.contains("[LMPOC]\nNote=keep me\nPIN0=0\nPIN1=1\nPIN2=2\nPIN3=3\nPIN4=4\n"
                             "PIN5=5\nPIN6=6\nPIN7=7\nRM=0\n"))
        << out.constData();
    EXPECT_TRUE(out.contains("[Tail]\nx=1\n")) << out.constData();
    EXPECT_EQ(out.count("PIN0"), 1);
    EXPECT_EQ(LoadPoc(path), PocData{});
}

TEST(PocFile, FailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    // The name fits the file system but the saver's temporary name does not.
    const QString path = dir.filePath(QString(250, 'n'));
    const QByteArray old = "[LMPOC]\nRM=1\n" + kDefaultPins + "[Other]\nkeep=1\n";
    writeBytes(path, old);
    try {
        SavePoc(path, pins({7, 6, 5, 4, 3, 2, 1, 0}));
        ADD_FAILURE() << "no error";
    } catch (const PocFileError &e) {
        EXPECT_EQ(e.code(), ENAMETOOLONG);
    }
    EXPECT_EQ(readBytes(path), old);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({QString(250, 'n')})) << "no temporary file is left behind";

    struct Case {
        QString path;
        int code;
    } cases[] = {{dir.filePath("no/such/dir.poc"), ENOENT}, {path + "/x.poc", ENOTDIR}, {dir.path(), EISDIR}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        try {
            SavePoc(c.path, PocData{});
            ADD_FAILURE() << "no error";
        } catch (const PocFileError &e) {
            EXPECT_EQ(e.code(), c.code);
        }
    }
}
