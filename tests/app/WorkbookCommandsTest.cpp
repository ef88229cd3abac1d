#include "app/OperationLog.h"
#include "app/ufrmMain.h"
#include "sheet/SheetGridView.h"
#include "sheet/Workbook.h"
#include "sheet/ufrmSelectPage.h"
#include "support/ScriptedRunner.h"
#include "ui/OkCancelFrame.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

bool enabled(TfrmMain &w, const char *name)
{
    auto *a = w.findChild<QAction *>(name);
    if (!a) {
        ADD_FAILURE() << "no command " << name;
        return false;
    }
    return a->isEnabled();
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString();
}

// A window whose settings live in a temporary folder, with workbooks to open
// in its import folder.
struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> w;
    Fixture()
    {
        w = std::make_unique<TfrmMain>(dir.path());
        w->settings().ImportPath = dir.path();
        w->show();
        QApplication::processEvents();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    Workbook &book() { return *w->workbook(); }
    QString editor() const { return w->MainSpreadSheetBookMemo->toPlainText(); }
    // Clicks cell (col, row) of the grid as a person does.
    void select(int col, int row)
    {
        SheetGridView *g = w->MainSpreadSheetBook;
        const QModelIndex i = g->model()->index(row, col);
        g->scrollTo(i);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(i).center());
    }
    // Writes a workbook with two pages; the second is active at C2.
    QString makeWorkbook(const QString &name)
    {
        Workbook b;
        b.page(0).setCaption("Parts");
        b.page(0).setCellText(0, 0, "Name");
        b.page(0).setCellText(5, 0, "Ucc|V");
        Page &pins = b.addPage("Pins");
        pins.setCellText(2, 1, "VCC");
        pins.setActiveCell(2, 1);
        b.setActivePageIndex(1);
        const QString p = path(name);
        b.saveToFile(p);
        return p;
    }
};

} // namespace

TEST(WorkbookCommands, OpenShowsTheFileOnTheTablePageWithItsActiveCellInTheEditor)
{
    Fixture f;
    const QString file = f.makeWorkbook("parts.xls");
    f.select(5, 0); // F1: a header cell from column F on
    ASSERT_TRUE(enabled(*f.w, "pmiEditAsBaseParam"));
    f.w->SwitchToolMode(true);

    QString title, folder;
    QStringList filters;
    ScriptedRunner script;
    script.thenDialog<QFileDialog>([&](QFileDialog &d) {
        title = d.windowTitle();
        folder = d.directory().absolutePath();
        filters = d.nameFilters();
        d.setDirectory(QFileInfo(file).absolutePath());
        d.findChild<QLineEdit *>("fileNameEdit")->setText(QFileInfo(file).fileName());
        static_cast<QDialog &>(d).accept();
    });
    f.w->OpenXLS_ToolButtonClick();

    EXPECT_EQ(title, "Open Excel");
    EXPECT_EQ(folder, QDir(f.dir.path()).absolutePath());
    EXPECT_EQ(filters, QStringList{"Excel tables (*.xls)"});
    ASSERT_EQ(f.book().pageCount(), 2);
    EXPECT_EQ(f.book().page(0).cellText(5, 0), "Ucc|V");
    EXPECT_EQ(f.book().activePageIndex(), 1);
    EXPECT_FALSE(f.w->ToolMode());
    EXPECT_EQ(f.w->MainPagesNotebook->currentIndex(), 0);
    EXPECT_EQ(f.editor(), "VCC");
    EXPECT_EQ(f.w->MainSpreadSheetBook->currentIndex(), f.w->MainSpreadSheetBook->model()->index(1, 2));
    // The context menu waits for the next selection change.
    EXPECT_TRUE(enabled(*f.w, "pmiEditAsBaseParam"));
    EXPECT_FALSE(enabled(*f.w, "pmiEditAsParam"));
}

TEST(WorkbookCommands, OpenShowsAWorkbookWrittenByAnotherProgramCellForCell)
{
    Fixture f;
    const QString base = qEnvironmentVariable("KL_TEST_DATA") + "/xls/lo_types";
    ScriptedRunner script;
    script.thenFile(base + ".xls");
    f.w->OpenXLS_ToolButtonClick();
    ASSERT_EQ(script.seen().size(), 1) << script.seen().join('\n').toStdString();

    // Every cell of the shown page, as the grid shows it, against the texts
    // the producing program showed.
    QFile expected(base + ".expected.tsv");
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    const QAbstractItemModel *grid = f.w->MainSpreadSheetBook->model();
    const QString shownPage = QString::number(f.book().activePageIndex());
    int checked = 0;
    for (const QByteArray &line : expected.readAll().split('\n')) {
        const QStringList parts = QString::fromUtf8(line).split(u'\t');
        if (parts.size() != 3 || parts[0] != shownPage)
            continue;
        int col = 0, i = 0;
        for (; i < parts[1].size() && parts[1][i].isLetter(); ++i)
            col = col * 26 + (parts[1][i].unicode() - 'A' + 1);
        const int row = parts[1].mid(i).toInt() - 1;
        EXPECT_EQ(grid->index(row, col - 1).data().toString(), parts[2]) << parts[1].toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 100);
    EXPECT_EQ(f.editor(), grid->index(f.book().activeCell().y(), f.book().activeCell().x()).data().toString());
}

TEST(WorkbookCommands, AFileThatCannotBeReadLeavesThePreviousWorkbookShown)
{
    Fixture f;
    f.book().page(0).setCellText(0, 0, "keep me");
    f.w->fillEditorFromActiveCell();
    f.w->SwitchToolMode(true);

    const struct {
        const char *what;
        QByteArray bytes;
    } files[] = {
        {"empty file", QByteArray()},
        {"random bytes", QByteArray(4096, '\x5a')},
        {"truncated compound file", QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(100, '\0')},
    };
    for (const auto &bad : files) {
        SCOPED_TRACE(bad.what);
        const QString p = f.path("bad.xls");
        QFile out(p);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bad.bytes);
        out.close();

        ScriptedRunner script;
        script.thenFile(p);
        script.thenMessage(QMessageBox::Ok);
        f.w->OpenXLS_ToolButtonClick();
        ASSERT_EQ(script.seen().size(), 2);
        EXPECT_TRUE(script.seen().at(1).startsWith("EXlsError|The file is not a readable Excel 97 workbook"))
            << script.seen().at(1).toStdString();
        EXPECT_EQ(f.book().pageCount(), 1);
        EXPECT_EQ(f.book().page(0).cellText(0, 0), "keep me");
        EXPECT_EQ(f.w->MainSpreadSheetBook->model()->index(0, 0).data().toString(), "keep me");
        EXPECT_TRUE(f.w->ToolMode()); // not switched after a failed load
        EXPECT_EQ(f.editor(), "keep me");
    }
}

TEST(WorkbookCommands, CancellingOpenChangesNothing)
{
    Fixture f;
    f.book().page(0).setCellText(1, 1, "here");
    f.w->SwitchToolMode(true);
    ScriptedRunner script;
    script.thenEscape();
    f.w->OpenXLS_ToolButtonClick();
    EXPECT_EQ(f.book().page(0).cellText(1, 1), "here");
    EXPECT_TRUE(f.w->ToolMode());
}

TEST(WorkbookCommands, SaveWritesTheWholeWorkbookAndSwitchesToTheTableEvenOnCancel)
{
    Fixture f;
    f.book().page(0).setCaption("Parts");
    f.book().page(0).setCellText(0, 0, "Name");
    f.book().addPage("Pins").setCellText(3, 4, "GND");

    f.w->SwitchToolMode(true);
    {
        ScriptedRunner script;
        script.thenEscape();
        f.w->SaveXLS_ToolButtonClick();
    }
    EXPECT_FALSE(f.w->ToolMode());
    EXPECT_TRUE(QDir(f.dir.path()).entryList({"*.xls"}).isEmpty());

    QString title, suffix;
    ScriptedRunner script;
    script.thenDialog<QFileDialog>([&](QFileDialog &d) {
        title = d.windowTitle();
        suffix = d.defaultSuffix();
        d.findChild<QLineEdit *>("fileNameEdit")->setText("saved"); // no extension typed
        static_cast<QDialog &>(d).accept();
    });
    f.w->SaveXLS_ToolButtonClick();
    EXPECT_EQ(title, "Save Excel");
    EXPECT_EQ(suffix, "xls");

    Workbook back;
    back.loadFromFile(f.path("saved.xls"));
    ASSERT_EQ(back.pageCount(), 2);
    EXPECT_EQ(back.page(0).caption(), "Parts");
    EXPECT_EQ(back.page(0).cellText(0, 0), "Name");
    EXPECT_EQ(back.page(1).cellText(3, 4), "GND");
}

TEST(WorkbookCommands, SavingOverAFileAsksAndNoLeavesItWhole)
{
    Fixture f;
    const QString file = f.makeWorkbook("old.xls");
    const QString before = readAll(file);
    f.book().page(0).setCellText(0, 0, "new content");

    ScriptedRunner script;
    script.thenFile(file);
    script.thenMessage(QMessageBox::No);
    script.thenEscape(); // No goes back to the dialog; then the user cancels
    f.w->SaveXLS_ToolButtonClick();
    EXPECT_EQ(readAll(file), before);

    script.thenFile(file);
    script.thenMessage(QMessageBox::Yes);
    f.w->SaveXLS_ToolButtonClick();
    Workbook back;
    back.loadFromFile(file);
    EXPECT_EQ(back.page(0).cellText(0, 0), "new content");
}

TEST(WorkbookCommands, SaveDialogStartsWithTheNameChosenLastForTheLogOrTheWorkbook)
{
    Fixture f;
    f.w->settings().LogPath = f.dir.path();
    f.w->AddLog(lekInfo, -1, "entry");
    auto nameField = [](QFileDialog &d) { return d.findChild<QLineEdit *>("fileNameEdit")->text(); };

    QString shown;
    ScriptedRunner script;
    script.thenFile(f.path("run.log"));
    f.w->SaveFullLog1Click();
    script.thenDialog<QFileDialog>([&](QFileDialog &d) {
        shown = nameField(d);
        d.findChild<QLineEdit *>("fileNameEdit")->setText("book.xls");
        static_cast<QDialog &>(d).accept();
    });
    f.w->SaveXLS_ToolButtonClick();
    EXPECT_EQ(shown, "run.log");
    ASSERT_TRUE(QFileInfo::exists(f.path("book.xls")));

    script.thenDialog<QFileDialog>([&](QFileDialog &d) {
        shown = nameField(d);
        d.reject();
    });
    f.w->SaveEasyLog1Click();
    EXPECT_EQ(shown, "book.xls");
}

TEST(WorkbookCommands, OpenDialogStartsWithTheFileOpenedLast)
{
    Fixture f;
    const QString file = f.makeWorkbook("first.xls");
    ScriptedRunner script;
    script.thenFile(file);
    f.w->OpenXLS_ToolButtonClick();
    QString shown;
    script.thenDialog<QFileDialog>([&](QFileDialog &d) {
        shown = d.findChild<QLineEdit *>("fileNameEdit")->text();
        d.reject();
    });
    f.w->OpenXLS_ToolButtonClick();
    EXPECT_EQ(shown, "first.xls");

    // The catalogue's open dialog is the same one.
    QString title;
    script.thenDialog<QFileDialog>([&](QFileDialog &d) {
        title = d.windowTitle();
        shown = d.findChild<QLineEdit *>("fileNameEdit")->text();
        d.reject();
    });
    f.w->Connect_ToolButtonClick();
    EXPECT_EQ(title, "Open DataBase");
    EXPECT_EQ(shown, "first.xls");
}

TEST(WorkbookCommands, SelectPagePreselectsTheActivePageAndOkSwitchesToTheChoice)
{
    Fixture f;
    ScriptedRunner script;
    script.thenFile(f.makeWorkbook("pages.xls"));
    f.w->OpenXLS_ToolButtonClick();
    f.book().addPage("Cases").setCellText(0, 0, "SOT-23");

    QStringList listed;
    int shown = -1;
    script.thenDialog<TfrmSelectPage>([&](TfrmSelectPage &d) {
        for (int i = 0; i < d.SelectPageName_ComboBox->count(); ++i)
            listed << d.SelectPageName_ComboBox->itemText(i);
        shown = d.SelectPageName_ComboBox->currentIndex();
        d.SelectPageName_ComboBox->setCurrentIndex(0);
        QTest::keyClick(d.SelectPageName_ComboBox, Qt::Key_Return);
    });
    f.w->SelectPage_ToolButtonClick();
    EXPECT_EQ(listed, QStringList({"Parts", "Pins", "Cases"}));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(f.book().activePageIndex(), 0);
    EXPECT_EQ(f.w->MainSpreadSheetBook->model()->index(0, 5).data().toString(), "Ucc|V");
    EXPECT_EQ(f.editor(), "Name"); // the grid reported the new page's active cell

    script.thenDialog<TfrmSelectPage>([&](TfrmSelectPage &d) {
        d.SelectPageName_ComboBox->setCurrentIndex(2);
        QTest::keyClick(d.SelectPageName_ComboBox, Qt::Key_Escape);
    });
    f.w->SelectPage_ToolButtonClick();
    EXPECT_EQ(f.book().activePageIndex(), 0);
}

TEST(WorkbookCommands, SelectPageWithOnePageListsItAndWithNoPageShowsNothing)
{
    Fixture f;
    QStringList listed;
    ScriptedRunner script;
    script.thenDialog<TfrmSelectPage>([&](TfrmSelectPage &d) {
        for (int i = 0; i < d.SelectPageName_ComboBox->count(); ++i)
            listed << d.SelectPageName_ComboBox->itemText(i);
        d._frmOkCancel1->okButton()->click();
    });
    f.w->SelectPage_ToolButtonClick();
    EXPECT_EQ(listed, QStringList{"Sheet1"});
    EXPECT_EQ(f.book().activePageIndex(), 0);

    f.book().clearAll();
    f.w->SelectPage_ToolButtonClick(); // an unexpected dialog would fail the script
    EXPECT_EQ(script.seen().size(), 1);
}

TEST(WorkbookCommands, SelectingACellShowsItsTextAndEnablesTheContextMenuByPosition)
{
    Fixture f;
    Page &p = f.book().page(0);
    p.setCellText(5, 0, "F1 text");
    p.setCellText(5, 1, "F2 text");
    p.setCellText(4, 0, "E1 text");
    p.setCellText(4, 1, "E2 text");
    p.setCellText(200, 300, "far");
    const struct {
        int col, row;
        bool baseParam, param;
    } cells[] = {
        {5, 0, true, false},   // F1
        {5, 1, false, true},   // F2
        {4, 0, false, false},  // E1
        {4, 1, false, false},  // E2
        {200, 300, false, true},
        {5, 0, true, false},
    };
    for (const auto &c : cells) {
        SCOPED_TRACE(testing::Message() << "column " << c.col << " row " << c.row);
        f.select(c.col, c.row);
        EXPECT_EQ(f.editor(), p.cellText(c.col, c.row));
        EXPECT_EQ(enabled(*f.w, "pmiEditAsBaseParam"), c.baseParam);
        EXPECT_EQ(enabled(*f.w, "pmiEditAsParam"), c.param);
        EXPECT_EQ(enabled(*f.w, "pmiGroupSV"), c.param);
    }
    // Selecting changed no cell.
    EXPECT_EQ(p.cellText(5, 0), "F1 text");
    EXPECT_EQ(p.cellText(4, 1), "E2 text");
    EXPECT_EQ(p.rowCount(), 301);
}

TEST(WorkbookCommands, EveryKeystrokeInTheEditorWritesTheActiveCell)
{
    Fixture f;
    Page &p = f.book().page(0);
    p.setCellText(1, 2, "left alone");
    f.select(2, 3);
    QPlainTextEdit *memo = f.w->MainSpreadSheetBookMemo;
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_A);
    EXPECT_EQ(p.cellText(2, 3), "a");
    QTest::keyClick(memo, Qt::Key_B);
    EXPECT_EQ(p.cellText(2, 3), "ab");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClick(memo, Qt::Key_C);
    EXPECT_EQ(p.cellText(2, 3), "ab\nc");
    EXPECT_EQ(f.w->MainSpreadSheetBook->model()->index(3, 2).data().toString(), "ab\nc");
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Delete);
    EXPECT_EQ(p.cellText(2, 3), QString());
    EXPECT_EQ(p.cellText(1, 2), "left alone");

    // Back in the grid, another cell shows its own text.
    f.select(1, 2);
    EXPECT_EQ(f.editor(), "left alone");
    EXPECT_EQ(p.cellText(1, 2), "left alone");
}

TEST(WorkbookCommands, ACellEditedInTheGridIsShownInTheEditor)
{
    Fixture f;
    Page &p = f.book().page(0);
    f.select(0, 0);
    SheetGridView *g = f.w->MainSpreadSheetBook;
    QTest::keyClick(g->viewport(), Qt::Key_X);
    auto *editor = g->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the grid commits the edit queued
    EXPECT_EQ(p.cellText(0, 0), "x");
    EXPECT_EQ(f.editor(), "x");
    // A tool writing the active cell shows as well, and writing it elsewhere does not.
    p.setActiveCell(0, 0);
    p.setCellText(0, 0, "by a tool");
    EXPECT_EQ(f.editor(), "by a tool");
    p.setCellText(3, 3, "other");
    EXPECT_EQ(f.editor(), "by a tool");
}

TEST(WorkbookCommands, EditingAMultiLineCellKeepsItsLineBreaks)
{
    Fixture f;
    Page &p = f.book().page(0);
    p.setCellText(0, 1, "first\r\nsecond");
    f.select(0, 1);
    QPlainTextEdit *memo = f.w->MainSpreadSheetBookMemo;
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_X);
    EXPECT_EQ(p.cellText(0, 1), "first\r\nsecondx");
}

TEST(WorkbookCommands, TypingInTheEditorKeepsTheCellsOtherCharacters)
{
    // The editor's plain text swaps some characters for ASCII look-alikes;
    // a keystroke must not rewrite them in the cell.
    const QString cases[] = {
        QString::fromUtf8("25\u00a0\u00b0C"),      // no-break space, as Excel files often hold
        QString::fromUtf8("1\u00a0000\u00a0000"),  // thousands grouped with no-break spaces
        QString::fromUtf8("top\u2028bottom"),      // line separator inside the cell
        QString::fromUtf8("a\nb\u00a0c"),
    };
    Fixture f;
    Page &p = f.book().page(0);
    QPlainTextEdit *memo = f.w->MainSpreadSheetBookMemo;
    for (const QString &text : cases) {
        SCOPED_TRACE(text.toStdString());
        p.setCellText(1, 1, text);
        f.select(0, 0);
        f.select(1, 1);
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_X);
        EXPECT_EQ(p.cellText(1, 1), text + "x");
    }
}

TEST(WorkbookCommands, AFailedSaveShowsTheErrorAndKeepsTheWorkbook)
{
    Fixture f;
    f.book().page(0).setCellText(0, 0, "still here");
    ScriptedRunner script;
    script.thenFile("/proc/kestrel-cannot-write-here.xls");
    script.thenMessage(QMessageBox::Ok);
    f.w->SaveXLS_ToolButtonClick();
    ASSERT_EQ(script.seen().size(), 2);
    EXPECT_TRUE(script.seen().at(1).startsWith("EXlsError|")) << script.seen().at(1).toStdString();
    EXPECT_EQ(f.book().page(0).cellText(0, 0), "still here");
    EXPECT_FALSE(QFileInfo::exists("/proc/kestrel-cannot-write-here.xls"));
}
