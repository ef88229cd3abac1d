#include "app/DirDlg.h"
#include "app/ufrmMain.h"
#include "app/ufrmSetup.h"
#include "support/ScriptedRunner.h"

#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

TfrmSetup &setup(QDialog &d)
{
    auto *s = dynamic_cast<TfrmSetup *>(&d);
    EXPECT_NE(s, nullptr);
    return *s;
}

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> w;
    QString folder;
    Fixture()
    {
        w = std::make_unique<TfrmMain>(dir.path());
        folder = dir.path() + "/";
    }
};

} // namespace

TEST(Options, OkTakesTypedAndChosenFoldersAtOnceButWritesOnlyAtExit)
{
    Fixture f;
    QTemporaryDir chosen;
    ScriptedRunner script;
    script.then([&](QDialog &d) {
        TfrmSetup &s = setup(d);
        EXPECT_EQ(s.windowTitle(), "Options");
        EXPECT_EQ(s.DBPath_ButtonEdit->text(), f.folder);
        s.DBPath_ButtonEdit->setText("typed by hand/");
        s.ImportPath_ButtonEdit->button()->click(); // opens the folder picker below
        QTest::mouseClick(s.findChild<QPushButton *>("OK_Button"), Qt::LeftButton);
    });
    script.thenFile(chosen.path());
    // The folder picker opens inside the first step and takes the next one.
    f.w->Options_ToolButtonClick();
    EXPECT_EQ(f.w->settings().DBPath, "typed by hand/");
    EXPECT_EQ(f.w->settings().ImportPath, chosen.path()); // no trailing separator
    EXPECT_EQ(f.w->settings().LogPath, f.folder);         // the default keeps its separator
    EXPECT_FALSE(QFile::exists(f.dir.filePath("kestrel.ini")));
    f.w.reset();
    QFile ini(f.dir.filePath("kestrel.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("DBPath=typed by hand/"));
}

TEST(Options, CancelAndEscapeInAnEditBoxChangeNothing)
{
    Fixture f;
    ScriptedRunner script;
    script.then([](QDialog &d) {
        TfrmSetup &s = setup(d);
        s.LogPath_ButtonEdit->setText("/elsewhere");
        s.findChild<QPushButton *>("Cancel_Button")->click();
    });
    script.then([](QDialog &d) {
        TfrmSetup &s = setup(d);
        s.LogPath_ButtonEdit->setText("/elsewhere");
        s.ImportPath_ButtonEdit->setFocus();
        QTest::keyClick(s.ImportPath_ButtonEdit, Qt::Key_Escape);
    });
    f.w->Options_ToolButtonClick();
    f.w->Options_ToolButtonClick();
    EXPECT_EQ(f.w->settings().LogPath, f.folder);
    EXPECT_EQ(script.seen(), QStringList({"Options", "Options"}));
}

TEST(Options, EscapeOnAButtonDoesNotClose)
{
    Fixture f;
    ScriptedRunner script;
    script.then([](QDialog &d) {
        auto *ok = d.findChild<QPushButton *>("OK_Button");
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Escape);
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    f.w->Options_ToolButtonClick();
}

TEST(Options, CancelledFolderPickerLeavesTheEditAlone)
{
    QString folder = "unchanged";
    ScriptedRunner script;
    script.thenEscape();
    EXPECT_FALSE(SelectFolderDialog("", folder));
    EXPECT_EQ(folder, "unchanged");
}

TEST(Options, OpensCentredOnTheScreenNotOverTheWindow)
{
    Fixture f;
    f.w->move(0, 0);
    f.w->show();
    ScriptedRunner script;
    script.then([](QDialog &d) {
        EXPECT_EQ(d.size(), QSize(393, 153));
        // A few pixels of window frame are allowed for.
        const QPoint off = d.frameGeometry().center() - d.screen()->availableGeometry().center();
        EXPECT_LE(off.manhattanLength(), 8) << off.x() << "," << off.y();
        d.reject();
    });
    f.w->Options_ToolButtonClick();
}
