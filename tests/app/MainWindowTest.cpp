#include "app/OperationLog.h"
#include "app/ufrmMain.h"
#include "support/ScriptedRunner.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <memory>

namespace {

bool enabled(TfrmMain &w, const QString &name)
{
    if (auto *a = w.findChild<QAction *>(name))
        return a->isEnabled();
    if (auto *b = w.findChild<QToolButton *>(name))
        return b->isEnabled();
    ADD_FAILURE() << "no command " << name.toStdString();
    return false;
}

QString readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

TEST(MainWindow, ToolBarHasTheButtonsInOrderWithGroups)
{
    QTemporaryDir dir;
    TfrmMain w(dir.path());
    QStringList seen;
    for (QAction *a : w.MainToolBar->actions()) {
        if (a->isSeparator()) {
            seen << "|";
        } else if (auto *wa = qobject_cast<QWidgetAction *>(a)) {
            auto *b = qobject_cast<QToolButton *>(w.MainToolBar->widgetForAction(wa));
            ASSERT_NE(b, nullptr);
            EXPECT_FALSE(b->icon().isNull()) << b->text().toStdString();
            seen << b->text();
        }
    }
    EXPECT_EQ(seen.join(","), "Connect DB,Disconnect DB,|,Open XLS,Save XLS,|,Sel. Class,Create Patt.,Replace,"
                              "Add. Funct.,|,Options,|,Import,|,Sel. Page,|,Table Mode,Log Mode,|,Save Log");
    EXPECT_EQ(w.StatusPanels[2]->text(), "Ver: 0.2.4 (201606081306); DB Ver: 1.2.3");
    EXPECT_EQ(w.windowTitle(), "Kestrel");
    EXPECT_EQ(w.minimumSize(), QSize(600, 400));
}

TEST(MainWindow, StartStatesFollowTheCommandTables)
{
    QTemporaryDir dir;
    TfrmMain w(dir.path());
    const QStringList on = {"Connect_ToolButton", "mmiConnect", "OpenXLS_ToolButton", "SaveXLS_ToolButton",
                            "Replace_ToolButton", "AddFunc_ToolButton", "Options_ToolButton",
                            "SelectPage_ToolButton", "Table_ToolButton", "Log_ToolButton", "SaveLog_ToolButton",
                            "pmiFastReplace", "pmiExplodeColumn", "pmiDublicateEmptyStrfromUpCells",
                            "pmiReplaceColTemplates", "mmiSaveFullLog", "SaveEasyLog1"};
    const QStringList off = QStringList{"Disconnect_ToolButton", "mmiDisconnect", "SelectClass_ToolButton",
                                        "CreatePattern_ToolButton", "Import_ToolButton", "pmiReplaceTemplate",
                                        "pmiCaseImport", "mmiCaseImport", "pmiEditAsBaseParam", "pmiEditAsParam",
                                        "pmiGroupSV"}
                            + classCommands();
    for (const QString &n : on)
        EXPECT_TRUE(enabled(w, n)) << n.toStdString();
    for (const QString &n : off)
        EXPECT_FALSE(enabled(w, n)) << n.toStdString();
    EXPECT_TRUE(w.Table_ToolButton->isChecked());
    EXPECT_FALSE(w.Log_ToolButton->isChecked());
    EXPECT_FALSE(w.findChild<QAction *>("mmiCaseImport")->isVisible());
}

TEST(MainWindow, EveryCommandOfTheTableExists)
{
    QTemporaryDir dir;
    TfrmMain w(dir.path());
    for (const CommandRule &rule : commandRules())
        for (const QString &name : rule.commands)
            EXPECT_TRUE(w.findChild<QAction *>(name) || w.findChild<QToolButton *>(name)) << name.toStdString();
}

struct RuleCase {
    CommandEvent event;
    CommandContext ctx;
    QStringList enabled;
    QStringList disabled;
};

class CommandTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CommandTable, GivesTheStates)
{
    const RuleCase &c = GetParam();
    QHash<QString, bool> states;
    for (const auto &[name, on] : commandStates(c.event, c.ctx))
        states[name] = on;
    for (const QString &n : c.enabled)
        EXPECT_TRUE(states.value(n, false)) << n.toStdString();
    for (const QString &n : c.disabled) {
        ASSERT_TRUE(states.contains(n)) << n.toStdString() << " not changed by the event";
        EXPECT_FALSE(states[n]) << n.toStdString();
    }
}

static CommandContext ctx(bool c, bool s, bool mode = false, int col = 0, int row = 0)
{
    CommandContext x;
    x.connected = c;
    x.classSelected = s;
    x.toolMode = mode;
    x.column = col;
    x.row = row;
    return x;
}

INSTANTIATE_TEST_SUITE_P(
    Events, CommandTable,
    ::testing::Values(
        // Connected without a class: import button and case entries on, class commands off.
        RuleCase{CommandEvent::Connect, ctx(true, false),
                 {"Disconnect_ToolButton", "mmiDisconnect", "SelectClass_ToolButton", "Import_ToolButton",
                  "pmiCaseImport", "mmiCaseImport"},
                 QStringList{"Connect_ToolButton", "mmiConnect", "CreatePattern_ToolButton"} + classCommands()},
        // A reconnect with the class flag still set enables the class commands.
        RuleCase{CommandEvent::Connect, ctx(true, true), QStringList{"CreatePattern_ToolButton"} + classCommands(),
                 {"Connect_ToolButton"}},
        // A failed connect.
        RuleCase{CommandEvent::Connect, ctx(false, false), {"Connect_ToolButton", "mmiConnect"},
                 {"Disconnect_ToolButton", "SelectClass_ToolButton", "Import_ToolButton", "pmiCaseImport",
                  "mmiCaseImport"}},
        RuleCase{CommandEvent::Disconnect, ctx(false, true), {"Connect_ToolButton", "mmiConnect"},
                 QStringList{"Disconnect_ToolButton", "Import_ToolButton", "CreatePattern_ToolButton"}
                     + classCommands()},
        RuleCase{CommandEvent::ClassSelected, ctx(true, true),
                 QStringList{"CreatePattern_ToolButton", "mmiSetPinTypeonName"} + classCommands(), {}},
        RuleCase{CommandEvent::ImportRunEnd, ctx(true, false), {},
                 QStringList{"CreatePattern_ToolButton", "Import_ToolButton"} + classCommands()},
        RuleCase{CommandEvent::ToolModeChanged, ctx(false, false, true), {},
                 {"Replace_ToolButton", "AddFunc_ToolButton"}},
        RuleCase{CommandEvent::ToolModeChanged, ctx(false, false, false),
                 {"Replace_ToolButton", "AddFunc_ToolButton"}, {}},
        RuleCase{CommandEvent::GridSelectionChanged, ctx(false, false, false, 5, 0), {"pmiEditAsBaseParam"},
                 {"pmiEditAsParam", "pmiGroupSV"}},
        RuleCase{CommandEvent::GridSelectionChanged, ctx(false, false, false, 7, 3), {"pmiEditAsParam", "pmiGroupSV"},
                 {"pmiEditAsBaseParam"}},
        RuleCase{CommandEvent::GridSelectionChanged, ctx(false, false, false, 4, 0), {},
                 {"pmiEditAsBaseParam", "pmiEditAsParam", "pmiGroupSV"}}));

TEST(MainWindow, ClassSelectionKeepsTheImportButtonAndCaseEntries)
{
    for (const auto &[name, on] : commandStates(CommandEvent::ClassSelected, ctx(true, true))) {
        EXPECT_NE(name, "Import_ToolButton");
        EXPECT_NE(name, "pmiCaseImport");
    }
}

TEST(MainWindow, EachModeCommandTogglesThePage)
{
    QTemporaryDir dir;
    TfrmMain w(dir.path());
    // Table Mode while the table is shown goes to the log, and so on.
    w.Table_ToolButton->click();
    EXPECT_TRUE(w.ToolMode());
    EXPECT_EQ(w.MainPagesNotebook->currentIndex(), 1);
    EXPECT_TRUE(w.Log_ToolButton->isChecked());
    EXPECT_FALSE(w.Table_ToolButton->isChecked());
    EXPECT_FALSE(w.Replace_ToolButton->isEnabled());
    EXPECT_FALSE(w.AddFunc_ToolButton->isEnabled());
    EXPECT_TRUE(w.findChild<QAction *>("mmiOpenXLS")->isEnabled());
    w.Log_ToolButton->click();
    EXPECT_FALSE(w.ToolMode());
    EXPECT_EQ(w.MainPagesNotebook->currentIndex(), 0);
    EXPECT_TRUE(w.Table_ToolButton->isChecked());
    EXPECT_TRUE(w.Replace_ToolButton->isEnabled());
    w.findChild<QAction *>("mmiLogMode")->trigger();
    EXPECT_TRUE(w.ToolMode());
    w.findChild<QAction *>("mmiLogMode")->trigger();
    EXPECT_FALSE(w.ToolMode());
}

TEST(MainWindow, ImageListsAreCutWithTransparentKey)
{
    TImageList tools, logs;
    LoadImageListFromResource(&tools, 1000);
    LoadImageListFromResource(&logs, 1001);
    ASSERT_EQ(tools.images.size(), 16);
    ASSERT_EQ(logs.images.size(), 6);
    // Exactly the pixels of the sheet's top-left colour become transparent,
    // and tiles run row by row.
    const QImage sheet(":/res/1000");
    const QRgb key = sheet.pixel(0, 0);
    for (int i = 0; i < 16; ++i) {
        const QImage tile = tools.images[i].toImage();
        ASSERT_EQ(tile.size(), QSize(16, 16));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb src = sheet.pixel((i % 4) * 16 + x, (i / 4) * 16 + y);
                const QRgb got = tile.pixel(x, y);
                if ((src & 0xFFFFFF) == (key & 0xFFFFFF))
                    ASSERT_EQ(qAlpha(got), 0) << i << " " << x << "," << y;
                else
                    ASSERT_EQ(got, src | 0xFF000000u) << i << " " << x << "," << y;
            }
    }
    LoadImageListFromResource(nullptr, 1000); // no list: nothing happens
    TImageList wide;
    wide.width = 65;
    LoadImageListFromResource(&wide, 1000);
    EXPECT_TRUE(wide.images.isEmpty());
}

// Settings file ------------------------------------------------------------

TEST(Settings, WithoutAFileTheDefaultsAreUsedAndOnlyOptionsIsWritten)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    {
        TfrmMain w(dir.path());
        EXPECT_EQ(w.settings().DBPath, folder);
        EXPECT_EQ(w.settings().ImportPath, folder);
        EXPECT_EQ(w.settings().LogPath, folder);
        EXPECT_FALSE(w.settings().SysImportEnable);
    }
    const QString ini = readFile(dir.filePath("kestrel.ini"));
    EXPECT_TRUE(ini.contains("[Options]"));
    EXPECT_LT(ini.indexOf("DBPath=" + folder), ini.indexOf("ImportPath=" + folder));
    EXPECT_LT(ini.indexOf("ImportPath="), ini.indexOf("LogPath=" + folder));
    EXPECT_FALSE(ini.contains("SysImport"));
}

TEST(Settings, OtherSectionsKeysAndCommentsSurviveAndSysImportIsOnlyRead)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("kestrel.ini"), "; my notes\n[Other]\nkeep=1\n[Options]\nDBPath=/db\nExtra=x\n"
                                           "[SysImport]\nSysImportEnable=1\n");
    {
        TfrmMain w(dir.path());
        EXPECT_EQ(w.settings().DBPath, "/db");
        EXPECT_TRUE(w.settings().SysImportEnable);
        auto *caseImport = w.findChild<QAction *>("mmiCaseImport");
        EXPECT_TRUE(caseImport->isVisible());
        EXPECT_FALSE(caseImport->isEnabled());
        w.settings().LogPath = "/logs";
    }
    const QString ini = readFile(dir.filePath("kestrel.ini"));
    for (const char *kept : {"; my notes", "[Other]", "keep=1", "Extra=x", "SysImportEnable=1", "DBPath=/db",
                             "LogPath=/logs"})
        EXPECT_TRUE(ini.contains(kept)) << kept << " in\n" << ini.toStdString();
}

struct BadIni {
    const char *name;
    QByteArray content;
};

class SettingsBadFile : public ::testing::TestWithParam<BadIni> {};

TEST_P(SettingsBadFile, GivesDefaultsAndStillWritesThePaths)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("kestrel.ini"), GetParam().content);
    {
        TfrmMain w(dir.path());
        EXPECT_FALSE(w.settings().SysImportEnable);
        EXPECT_FALSE(w.settings().DBPath.isEmpty());
    }
    const QString ini = readFile(dir.filePath("kestrel.ini"));
    EXPECT_TRUE(ini.contains("DBPath=")) << GetParam().name;
    EXPECT_TRUE(ini.contains("LogPath=")) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsBadFile,
    ::testing::Values(BadIni{"empty", ""}, BadIni{"binary", QByteArray("\x00\xff\xfe[\x01\x02]\x00=\n\x7f", 10)},
                      BadIni{"notInteger", "[SysImport]\nSysImportEnable=yes\n"},
                      BadIni{"repeated", "[Options]\nDBPath=/a\n[Options]\nDBPath=/b\n[SysImport]\n"
                                         "SysImportEnable=0\nSysImportEnable=1\n"},
                      BadIni{"huge", QByteArray(5 * 1024 * 1024, 'x')}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Settings, RepeatedKeysTakeTheFirstValueAndAreWrittenOnce)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("kestrel.ini"), "[Options]\nDBPath=/a\n[Options]\nDBPath=/b\n");
    {
        TfrmMain w(dir.path());
        EXPECT_EQ(w.settings().DBPath, "/a");
        w.settings().DBPath = "/c";
    }
    const QString ini = readFile(dir.filePath("kestrel.ini"));
    EXPECT_EQ(ini.count("DBPath="), 1) << ini.toStdString();
    EXPECT_TRUE(ini.contains("DBPath=/c"));
}
