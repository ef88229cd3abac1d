#include "app/CommandRules.h"
#include "app/ufrmMain.h"
#include "db/ufrmSelectClass.h"
#include "support/ScriptedRunner.h"
#include "support/TestCatalogue.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QStringList kWatched = QStringList{"Connect_ToolButton", "mmiConnect", "Disconnect_ToolButton", "mmiDisconnect",
                                         "SelectClass_ToolButton", "Import_ToolButton", "CreatePattern_ToolButton"} +
                             classCommands();

// The enabled state of every command these commands touch, and the panels.
QMap<QString, QString> snapshot(TfrmMain &w)
{
    QMap<QString, QString> s;
    for (const QString &name : kWatched) {
        if (auto *a = w.findChild<QAction *>(name))
            s[name] = a->isEnabled() ? "on" : "off";
        else if (auto *b = w.findChild<QToolButton *>(name))
            s[name] = b->isEnabled() ? "on" : "off";
        else
            ADD_FAILURE() << "no command " << name.toStdString();
    }
    s["panel0"] = w.StatusPanels[0]->text();
    s["panel1"] = w.StatusPanels[1]->text();
    return s;
}

class CatalogueCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<TfrmMain>(dir.path());
        window->settings().DBPath = dir.path();
    }
    // Chooses `file` in the Open DataBase dialog, which starts in DBPath.
    void connectTo(const QString &file)
    {
        script.then([this](QDialog &d) {
            auto &fd = dynamic_cast<QFileDialog &>(d);
            EXPECT_EQ(fd.windowTitle(), "Open DataBase");
            EXPECT_EQ(fd.directory().absolutePath(), QDir(dir.path()).absolutePath());
            EXPECT_EQ(fd.nameFilters(), QStringList{"Corvane DB (*.fdb)"});
            d.reject();
        });
        window->Connect_ToolButtonClick(); // a look at the dialog only
        script.thenFile(file);
        window->Connect_ToolButtonClick();
    }
    void selectClass(const QString &name)
    {
        script.thenDialog<TfrmSelectClass>([name](TfrmSelectClass &d) {
            const auto items = d.ClassList_ListView->findItems(name, Qt::MatchExactly, 0);
            ASSERT_EQ(items.size(), 1);
            d.ClassList_ListView->setCurrentItem(items.first());
            d.OkBtn->click();
        });
        window->SelectClass_ToolButtonClick();
    }
    bool on(const QString &name) { return snapshot(*window)[name] == "on"; }

    QTemporaryDir dir;
    ScriptedRunner script;
    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST_F(CatalogueCommandsTest, CancelledFileDialogChangesNothing)
{
    const auto before = snapshot(*window);
    script.thenEscape();
    window->Connect_ToolButtonClick();
    EXPECT_EQ(snapshot(*window), before);
    EXPECT_FALSE(window->dbConnected());
}

TEST_F(CatalogueCommandsTest, AcceptedConnectEnablesTheConnectionCommands)
{
    connectTo(testdb::makeCatalogue(dir.path(), "demo.fdb", true));
    EXPECT_TRUE(window->dbConnected());
    EXPECT_EQ(window->StatusPanels[0]->text(), "Connected to demo.fdb");
    for (const char *name : {"Disconnect_ToolButton", "mmiDisconnect", "SelectClass_ToolButton", "Import_ToolButton"})
        EXPECT_TRUE(on(name)) << name;
    for (const QString &name : QStringList{"Connect_ToolButton", "mmiConnect", "CreatePattern_ToolButton"} + classCommands())
        EXPECT_FALSE(on(name)) << name.toStdString();
    EXPECT_EQ(script.seen().size(), 2); // the two file dialogs, no box
}

TEST_F(CatalogueCommandsTest, RejectedConnectLeavesNothingOpen)
{
    const QString file = testdb::makeCatalogue(dir.path(), "old.fdb", false,
                                               {"UPDATE SYS_VAR SET V_INTEGER = 4 WHERE S_PARAM = 'BUILDVERSION'"});
    const auto before = snapshot(*window);
    script.thenFile(file);
    script.thenMessage(QMessageBox::Ok);
    window->Connect_ToolButtonClick();
    EXPECT_EQ(script.seen(), QStringList({"Open DataBase", "Error|Unsupported DataBase version"}));
    EXPECT_FALSE(window->dbConnected());
    EXPECT_TRUE(on("Connect_ToolButton"));
    EXPECT_FALSE(on("Disconnect_ToolButton"));
    EXPECT_EQ(snapshot(*window), before);
    // The file is free: another attachment opens it and it can be deleted.
    EXPECT_EQ(testdb::queryValue(file, "SELECT COUNT(*) FROM SYS_VAR"), "4");
    EXPECT_TRUE(QFile::remove(file));
}

TEST_F(CatalogueCommandsTest, RefusedFilesShowTheirBoxesInOrderAndChangeNothing)
{
    const QString junk = dir.filePath("junk.fdb");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'j'));
    }
    struct Case {
        QString file;
        QStringList boxes; // after the file dialog; a leading "*" matches any text
    };
    const Case cases[] = {
        // The dialog takes a name that does not exist; the check is ConnectDB's.
        {dir.filePath("missing.fdb"), {"Error|DB File not found"}},
        {junk, {"FirebirdError|*", "Error|Unable to connect to DataBase"}},
        {testdb::makeCatalogue(dir.path(), "extra.fdb", false, {"CREATE TABLE T_EXTRA (ID INTEGER)"}),
         {"Error|Unsupported DataBase"}},
    };
    const auto before = snapshot(*window);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const int seenBefore = int(script.seen().size());
        script.thenFile(c.file);
        for (int i = 0; i < c.boxes.size(); ++i)
            script.thenMessage(QMessageBox::Ok);
        window->Connect_ToolButtonClick();
        EXPECT_EQ(script.pending(), 0);
        const QStringList boxes = script.seen().mid(seenBefore + 1);
        ASSERT_EQ(boxes.size(), c.boxes.size()) << boxes.join('\n').toStdString();
        for (int i = 0; i < boxes.size(); ++i) {
            if (c.boxes[i].endsWith('*'))
                EXPECT_TRUE(boxes[i].startsWith(c.boxes[i].chopped(1))) << boxes[i].toStdString();
            else
                EXPECT_EQ(boxes[i], c.boxes[i]);
        }
        EXPECT_FALSE(window->dbConnected());
        EXPECT_EQ(snapshot(*window), before);
    }
}

TEST_F(CatalogueCommandsTest, SelectingAClassShowsItAndEnablesTheClassCommands)
{
    connectTo(testdb::makeCatalogue(dir.path(), "c.fdb", false,
                                    {"INSERT INTO T_CLASS (DBID, ID, S_NAME) VALUES (1, 7, 'Resistors')",
                                     "INSERT INTO T_CLASS (DBID, ID, S_NAME) VALUES (1, 8, 'Capacitors')"}));
    selectClass("Resistors");
    EXPECT_EQ(window->StatusPanels[1]->text(), "Class: Resistors [DBID 1; ID 7]");
    EXPECT_TRUE(window->SelectClass());
    EXPECT_EQ(window->SelectClassDBId(), 1u);
    EXPECT_EQ(window->SelectClassId(), 7u);
    EXPECT_EQ(window->SelectClassName(), "Resistors");
    for (const QString &name : QStringList{"CreatePattern_ToolButton", "Import_ToolButton"} + classCommands())
        EXPECT_TRUE(on(name)) << name.toStdString();

    // OK without touching the list, then Cancel after touching another class:
    // nothing changes either time, the work list included.
    window->ElementTypeList().Add(new TDataListRecord);
    const auto chosen = snapshot(*window);
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) { d.OkBtn->click(); });
    window->SelectClass_ToolButtonClick();
    script.thenDialog<TfrmSelectClass>([](TfrmSelectClass &d) {
        d.ClassList_ListView->setCurrentItem(d.ClassList_ListView->topLevelItem(1));
        QTest::keyClick(d.ClassList_ListView, Qt::Key_Escape);
    });
    window->SelectClass_ToolButtonClick();
    EXPECT_EQ(snapshot(*window), chosen);
    EXPECT_EQ(window->SelectClassId(), 7u);
    EXPECT_EQ(window->ElementTypeList().Count(), 1);

    // Choosing a class again, even the same one, empties the work list.
    selectClass("Resistors");
    EXPECT_TRUE(window->ElementTypeList().Empty());
}

TEST_F(CatalogueCommandsTest, ClassNameIsShownAsItStands)
{
    connectTo(testdb::makeCatalogue(dir.path(), "c.fdb", false,
                                    {"INSERT INTO T_CLASS (DBID, ID, S_NAME) VALUES (2, 9, 'Filters %1 %2')"}));
    selectClass("Filters %1 %2");
    EXPECT_EQ(window->StatusPanels[1]->text(), "Class: Filters %1 %2 [DBID 2; ID 9]");
}

TEST_F(CatalogueCommandsTest, DisconnectEndsTheSelectionAndANewConnectDoesNotRestoreIt)
{
    const QString file = testdb::makeCatalogue(dir.path(), "demo.fdb", true);
    connectTo(file);
    selectClass("Diodes");
    window->ElementTypeList().Add(new TDataListRecord);
    window->Disconnect_ToolButtonClick();
    EXPECT_TRUE(window->ElementTypeList().Empty());
    EXPECT_FALSE(window->dbConnected());
    EXPECT_FALSE(window->SelectClass());
    EXPECT_EQ(window->SelectClassId(), 3u); // keys and name stay
    EXPECT_EQ(window->SelectClassName(), "Diodes");
    EXPECT_EQ(window->StatusPanels[0]->text(), "");
    EXPECT_EQ(window->StatusPanels[1]->text(), "");
    for (const QString &name : QStringList{"CreatePattern_ToolButton", "SelectClass_ToolButton", "Disconnect_ToolButton"} +
                                   classCommands())
        EXPECT_FALSE(on(name)) << name.toStdString();
    EXPECT_TRUE(on("Connect_ToolButton"));
    EXPECT_TRUE(QFile::remove(file)); // released

    connectTo(testdb::makeCatalogue(dir.path(), "demo2.fdb", true));
    EXPECT_FALSE(window->SelectClass());
    EXPECT_FALSE(on("CreatePattern_ToolButton"));
    EXPECT_EQ(window->StatusPanels[1]->text(), "");
}

TEST_F(CatalogueCommandsTest, ClosingTheWindowDisconnectsWithoutTouchingTheCommands)
{
    const QString file = testdb::makeCatalogue(dir.path(), "demo.fdb", true);
    connectTo(file);
    const auto before = snapshot(*window);
    window->close();
    EXPECT_FALSE(window->dbConnected());
    auto after = snapshot(*window);
    EXPECT_EQ(after["panel0"], "");
    after["panel0"] = before["panel0"];
    EXPECT_EQ(after, before);
    EXPECT_TRUE(QFile::remove(file));
}
