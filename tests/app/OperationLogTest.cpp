#include "app/OperationLog.h"
#include "app/ufrmMain.h"
#include "support/ScriptedRunner.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <unistd.h>

namespace {
QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(OperationLog, RowsCarryTypeIconDatePosAndText)
{
    TOperationLog log;
    QAbstractItemModelTester tester(&log, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TImageList icons;
    LoadImageListFromResource(&icons, 1001);
    log.setIcons(icons.images);
    log.AddLog(1, -1, "failed");
    log.AddLog(0, 12, "plain");
    log.AddLog(263, 0, "unknown code counts by its low byte"); // 263 & 0xFF == 7: plain
    log.AddLog(6 + 256, -5, "info");
    ASSERT_EQ(log.rowCount(), 4);
    auto cell = [&](int r, int c) { return log.data(log.index(r, c), Qt::DisplayRole).toString(); };
    EXPECT_EQ(cell(0, 0), "ERROR");
    EXPECT_FALSE(cell(0, 1).isEmpty());
    EXPECT_EQ(cell(0, 2), "");
    EXPECT_EQ(cell(0, 3), "failed");
    EXPECT_TRUE(log.data(log.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_EQ(cell(1, 0), "");
    EXPECT_FALSE(log.data(log.index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_EQ(cell(1, 2), "12");
    EXPECT_EQ(cell(2, 0), "");
    EXPECT_EQ(cell(2, 2), "0");
    EXPECT_EQ(cell(3, 0), "INFO");
    EXPECT_EQ(cell(3, 2), "");
    EXPECT_EQ(log.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Text");
}

TEST(OperationLog, MidnightLeavesTheTimeOut)
{
    const QDateTime midnight(QDate(2026, 3, 4), QTime(0, 0));
    const QDateTime later(QDate(2026, 3, 4), QTime(0, 0, 1));
    EXPECT_EQ(LogDateText(midnight), QLocale::system().toString(midnight.date(), QLocale::ShortFormat));
    EXPECT_TRUE(LogDateText(later).startsWith(LogDateText(midnight) + " "));
}

struct LineCase {
    const char *name;
    TLogEntry entry;
    const char *line;
};

class LogLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(LogLine, IsPaddedAndNeverCut)
{
    EXPECT_EQ(LogFileLine(GetParam().entry).toStdString(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LogLine,
    ::testing::Values(
        LineCase{"attention", {2, 7, "01.02.2026 10:11:12", "note"},
                 "ATTENTION   01.02.2026 10:11:12 7         note"},
        LineCase{"plainNoPos", {0, -1, "01.02.2026 10:11:12", "x"}, "            01.02.2026 10:11:12           x"},
        LineCase{"longDateShiftsPos", {4, 3, "2026-02-01 10:11:12 PM", "t"},
                 "REPORT      2026-02-01 10:11:12 PM3         t"},
        LineCase{"longPosKeptWhole", {5, 1234567890, "d", "ok"},
                 "OK          d                   1234567890ok"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OperationLog, EasyLogKeepsOnlyTypedEntries)
{
    TOperationLog log;
    log.AddLog(6, -1, "class X");
    log.AddLog(0, 1, "row 1");
    log.AddLog(0, 2, "row 2");
    QStringList full, easy;
    log.SaveLogToFile(true, &full);
    log.SaveLogToFile(false, &easy);
    EXPECT_EQ(full.size(), 3);
    ASSERT_EQ(easy.size(), 1);
    EXPECT_TRUE(easy[0].startsWith("INFO"));
    log.SaveLogToFile(true, nullptr); // no list: nothing happens
}

// Save commands through the window -------------------------------------------

class LogSave : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> w;
    void SetUp() override
    {
        w = std::make_unique<TfrmMain>(dir.path());
        w->settings().LogPath = dir.path();
    }
};

TEST_F(LogSave, EmptyLogShowsNoDialog)
{
    ScriptedRunner script; // any dialog would fail the test
    w->SaveFullLog1Click();
    w->SaveEasyLog1Click();
    EXPECT_TRUE(script.seen().isEmpty());
}

TEST_F(LogSave, FullAndEasyFilesHaveCrLfLinesWithoutBom)
{
    w->AddLog(2, -1, "Enabled import test mode!");
    w->AddLog(0, 3, "plain");
    const QString full = dir.filePath("full.log"), easy = dir.filePath("easy.log");
    {
        ScriptedRunner script;
        script.thenDialog<QFileDialog>([&](QFileDialog &d) {
            EXPECT_EQ(d.windowTitle(), "Save Log");
            EXPECT_EQ(d.defaultSuffix(), "log");
            EXPECT_EQ(QDir(d.directory()).absolutePath(), QDir(dir.path()).absolutePath());
            ScriptedRunner::chooseFileIn(d, full);
        });
        w->SaveFullLog1Click();
    }
    {
        ScriptedRunner script;
        // The shared save dialog starts with the name chosen last.
        script.thenDialog<QFileDialog>([&](QFileDialog &d) {
            EXPECT_EQ(ScriptedRunner::fileNameField(d), "full.log");
            d.reject();
        });
        w->SaveEasyLog1Click();
        script.thenFile(easy);
        w->SaveEasyLog1Click();
    }
    const QByteArray f = readBytes(full), e = readBytes(easy);
    EXPECT_FALSE(f.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(f.count("\r\n"), 2);
    EXPECT_TRUE(f.endsWith("plain\r\n"));
    EXPECT_TRUE(f.startsWith("ATTENTION   "));
    EXPECT_EQ(e.count("\r\n"), 1);
    EXPECT_TRUE(e.endsWith("Enabled import test mode!\r\n"));
    EXPECT_EQ(w->log()->count(), 2);
}

TEST_F(LogSave, UnwritablePlaceShowsTheReasonAndKeepsTheOldFile)
{
    w->AddLog(1, -1, "x");
    // A file of the chosen name in a folder that cannot be written.
    const QString locked = dir.filePath("locked");
    QDir().mkdir(locked);
    const QString target = locked + "/old.log";
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old content");
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    const bool rootCanWrite = QFileInfo(locked).isWritable() || getuid() == 0;
    ScriptedRunner script;
    script.thenFile(target);
    script.thenMessage(QMessageBox::Yes); // replace it?
    if (!rootCanWrite)
        script.thenMessage(QMessageBox::Ok);
    w->SaveFullLog1Click();
    if (!rootCanWrite) {
        EXPECT_EQ(readBytes(target), "old content");
        EXPECT_TRUE(script.seen().last().startsWith("Error|"));
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A folder that no longer exists fails for root too.
    ScriptedRunner again;
    again.thenFile(dir.filePath("gone/sub/x.log"));
    again.thenMessage(QMessageBox::Ok);
    w->SaveFullLog1Click();
    ASSERT_EQ(again.seen().size(), 2);
    EXPECT_TRUE(again.seen()[1].startsWith("Error|")) << again.seen()[1].toStdString();
    EXPECT_EQ(w->log()->count(), 1);
}
