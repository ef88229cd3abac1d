#include "sheet/SheetGridModel.h"
#include "sheet/SheetGridView.h"
#include "sheet/Workbook.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A shown grid, big enough for a few dozen cells.
struct ShownGrid {
    Workbook book;
    SheetGridView view{&book};
    ShownGrid()
    {
        view.resize(800, 600);
        view.show();
        QApplication::processEvents();
    }
    void click(int row, int col)
    {
        const QRect r = view.visualRect(view.model()->index(row, col));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
    }
};

} // namespace

TEST(GridView, LaysOutWidthsHeightsAndMergesOfTheShownPage)
{
    ShownGrid g;
    Page &p = g.book.page(0);
    p.setColumnWidth(1, 150);
    p.setRowHeight(2, 40);
    p.addMergedRange(QRect(QPoint(0, 5), QPoint(2, 6))); // A6:C7
    Page &second = g.book.addPage("Second"); // a reset: the first page lays out again
    EXPECT_EQ(g.view.columnWidth(1), 150);
    EXPECT_EQ(g.view.columnWidth(0), Page::DefaultColumnWidth);
    EXPECT_EQ(g.view.rowHeight(2), 40);
    EXPECT_EQ(g.view.rowSpan(5, 0), 2);
    EXPECT_EQ(g.view.columnSpan(5, 0), 3);

    // Changes made by code show at once.
    p.setColumnWidth(3, 90);
    EXPECT_EQ(g.view.columnWidth(3), 90);

    // Another page has none of them.
    second.setColumnWidth(0, 33);
    g.book.setActivePageIndex(1);
    EXPECT_EQ(g.view.columnWidth(0), 33);
    EXPECT_EQ(g.view.columnWidth(1), Page::DefaultColumnWidth);
    EXPECT_EQ(g.view.rowHeight(2), Page::DefaultRowHeight);
    EXPECT_EQ(g.view.rowSpan(5, 0), 1);
}

TEST(GridView, ADraggedColumnWidthIsKeptWithThePage)
{
    ShownGrid g;
    g.view.horizontalHeader()->resizeSection(2, 120); // as a drag of the header edge does
    EXPECT_EQ(g.book.page(0).columnWidth(2), 120);
    g.view.verticalHeader()->resizeSection(4, 30);
    EXPECT_EQ(g.book.page(0).rowHeight(4), 30);
}

TEST(GridView, ReportsSelectionByThePersonButNotByCodeOrLoading)
{
    ShownGrid g;
    g.book.addPage("Second").setActiveCell(3, 7);
    QSignalSpy selected(&g.view, &SheetGridView::selectionSet);

    g.click(2, 1);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 0);
    EXPECT_EQ(g.book.page(0).activeCell(), QPoint(1, 2));

    QTest::keyClick(g.view.viewport(), Qt::Key_Down);
    EXPECT_EQ(selected.count(), 2);
    EXPECT_EQ(g.book.page(0).activeCell(), QPoint(1, 3));

    // Code moving the active cell moves the grid without an event.
    g.book.page(0).setActiveCell(4, 9);
    EXPECT_EQ(g.view.currentIndex(), g.view.model()->index(9, 4));
    EXPECT_EQ(selected.count(), 2);

    // A page switch reports the new page's active cell.
    g.book.setActivePageIndex(1);
    ASSERT_EQ(selected.count(), 3);
    EXPECT_EQ(selected.at(2).at(0).toInt(), 1);
    EXPECT_EQ(g.view.currentIndex(), g.view.model()->index(7, 3));

    // Replacing the workbook shows its active cell, silently.
    Workbook other;
    other.page(0).setActiveCell(6, 1);
    g.book.replaceWith(other);
    EXPECT_EQ(g.view.currentIndex(), g.view.model()->index(1, 6));
    EXPECT_EQ(selected.count(), 3);
}

TEST(GridView, TypingIntoACellWritesIt)
{
    ShownGrid g;
    g.book.page(0).setCellText(2, 1, "old");
    g.click(1, 2);
    QTest::keyClick(g.view.viewport(), Qt::Key_N); // the first key opens the editor with it
    QApplication::processEvents();
    auto *editor = g.view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "ew");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(g.book.page(0).cellText(2, 1), "new");
}

TEST(GridView, AnEmptyWorkbookShowsNothingAndDoesNotFail)
{
    ShownGrid g;
    QSignalSpy selected(&g.view, &SheetGridView::selectionSet);
    g.book.clearAll();
    QApplication::processEvents();
    EXPECT_EQ(g.view.model()->rowCount(), 0);
    g.book.addPage("Again").setActiveCell(2, 2);
    EXPECT_EQ(g.view.currentIndex(), g.view.model()->index(2, 2));
    EXPECT_EQ(selected.count(), 0);
}

TEST(GridView, OpeningAndClosingTheEditorKeepsAMultiLineCell)
{
    ShownGrid g;
    g.book.page(0).setCellText(0, 0, "first\r\nsecond");
    g.click(0, 0);
    QTest::keyClick(g.view.viewport(), Qt::Key_F2);
    QApplication::processEvents();
    auto *editor = g.view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(g.book.page(0).cellText(0, 0), "first\r\nsecond");
}

TEST(GridView, DeleteEmptiesTheSelectedCellsOnly)
{
    ShownGrid g;
    Page &p = g.book.page(0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            p.setCellText(c, r, QStringLiteral("%1%2").arg(c).arg(r));
    g.click(1, 0);
    QTest::mouseClick(g.view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      g.view.visualRect(g.view.model()->index(2, 1)).center()); // A2:B3
    QTest::keyClick(g.view.viewport(), Qt::Key_Delete);
    QStringList left;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            left << p.cellText(c, r);
    EXPECT_EQ(left, QStringList({"00", "10", "20", "", "", "21", "", "", "22", "03", "13", "23"}));

    g.view.selectAll();
    QTest::keyClick(g.view.viewport(), Qt::Key_Delete);
    EXPECT_EQ(p.rowCount(), 0);
}

TEST(GridView, TheLastCellOfTheSheetCanBeReachedAndShown)
{
    ShownGrid g;
    Page &p = g.book.page(0);
    p.setCellText(255, 65535, "IV65536");
    p.setActiveCell(255, 65535);
    QApplication::processEvents();
    const QModelIndex last = g.view.model()->index(65535, 255);
    EXPECT_EQ(g.view.currentIndex(), last);
    EXPECT_TRUE(g.view.viewport()->rect().intersects(g.view.visualRect(last)));
    EXPECT_EQ(last.data().toString(), "IV65536");
    EXPECT_EQ(g.view.model()->headerData(255, Qt::Horizontal).toString(), "IV");
}
