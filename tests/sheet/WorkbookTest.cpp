#include "sheet/Workbook.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(Workbook, StartsWithOneEmptyPage)
{
    Workbook b;
    ASSERT_EQ(b.pageCount(), 1);
    EXPECT_EQ(b.activePageIndex(), 0);
    EXPECT_EQ(b.activePage()->rowCount(), 0);
    EXPECT_EQ(b.activePage()->columnCount(), 0);
    EXPECT_EQ(b.activeCell(), QPoint(0, 0));
}

TEST(Workbook, ActivePageIndexIgnoresOutOfRangeAndSameIndex)
{
    Workbook b;
    b.addPage("two");
    QSignalSpy spy(&b, &Workbook::activePageChanged);
    for (int bad : {-1, 2, 100, 0})
        b.setActivePageIndex(bad);
    EXPECT_EQ(b.activePageIndex(), 0);
    EXPECT_EQ(spy.count(), 0);
    b.setActivePageIndex(1);
    EXPECT_EQ(b.activePageIndex(), 1);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(b.activePage()->caption(), "two");
}

TEST(Workbook, ClearAllThenAddPage)
{
    Workbook b;
    b.page(0).setCellText(3, 4, "x");
    b.clearAll();
    EXPECT_EQ(b.pageCount(), 0);
    EXPECT_EQ(b.activePage(), nullptr);
    EXPECT_EQ(b.activeCell(), QPoint(0, 0));
    Page &p = b.addPage("Resistors");
    EXPECT_EQ(b.pageCount(), 1);
    EXPECT_EQ(b.activePage(), &p);
    EXPECT_EQ(p.cellText(3, 4), "");
}

TEST(Page, CountsFollowContentBothWays)
{
    Workbook b;
    Page &p = b.page(0);
    p.setCellText(4, 9, "far");
    p.setCellText(1, 2, "near");
    EXPECT_EQ(p.columnCount(), 5);
    EXPECT_EQ(p.rowCount(), 10);
    p.setCellText(4, 9, "");
    EXPECT_EQ(p.columnCount(), 2);
    EXPECT_EQ(p.rowCount(), 3);
    // A styled cell without text is not content.
    CellStyle bold;
    bold.bold = true;
    p.setCellStyle(200, 60000, bold);
    EXPECT_EQ(p.rowCount(), 3);
    EXPECT_TRUE(p.cellStyle(200, 60000).bold);
    EXPECT_EQ(p.cellText(255, 65535), "");
}

TEST(Page, OutOfRangeReadsEmptyAndWritesThrow)
{
    Workbook b;
    Page &p = b.page(0);
    EXPECT_EQ(p.cellText(-1, 0), "");
    EXPECT_EQ(p.cellText(256, 0), "");
    EXPECT_EQ(p.cellText(0, 65536), "");
    EXPECT_ANY_THROW(p.setCellText(256, 0, "x"));
    EXPECT_ANY_THROW(p.setCellText(0, 65536, "x"));
    EXPECT_ANY_THROW(p.setCellText(-1, 0, "x"));
    EXPECT_NO_THROW(p.setCellText(255, 65535, "corner"));
    EXPECT_EQ(p.rowCount(), 65536);
    EXPECT_EQ(p.columnCount(), 256);
}

TEST(Page, NumberStaysNumberOnlyWhileItsTextIsUnchanged)
{
    Workbook b;
    Page &p = b.page(0);
    p.setCellNumber(0, 0, 1.5, "1.50");
    p.setCellText(0, 0, "1.50");
    EXPECT_EQ(p.cellKind(0, 0), CellKind::Number);
    EXPECT_EQ(p.cellNumber(0, 0), 1.5);
    p.setCellText(0, 0, "1.5");
    EXPECT_EQ(p.cellKind(0, 0), CellKind::Text);
    EXPECT_FALSE(p.cellNumber(0, 0).has_value());
}

TEST(Page, HandleReadsAndWritesItsCell)
{
    Workbook b;
    Page &p = b.page(0);
    CellHandle h = p.cell(5, 0);
    h.setText("line1\r\nline2");
    EXPECT_EQ(p.cellText(5, 0), "line1\r\nline2");
    CellStyle s;
    s.fillColor = standardPaletteColor(3);
    s.hAlign = HAlign::Center;
    h.setStyle(s);
    EXPECT_EQ(p.cellStyle(5, 0), s);
    EXPECT_EQ(h.style().fillColor, QColor(0, 255, 0));
}

TEST(Page, SignalsNameTheChangedThing)
{
    Workbook b;
    b.addPage("p1");
    Page &p = b.page(1);
    QSignalSpy cells(&b, &Workbook::cellChanged);
    QSignalSpy cols(&b, &Workbook::columnWidthChanged);
    QSignalSpy rows(&b, &Workbook::rowHeightChanged);
    p.setCellText(2, 3, "a");
    p.setCellText(2, 3, "a"); // unchanged: no signal
    p.setColumnWidth(7, 100);
    p.setRowHeight(9, 30);
    ASSERT_EQ(cells.count(), 1);
    EXPECT_EQ(cells[0], (QList<QVariant>{1, 2, 3}));
    ASSERT_EQ(cols.count(), 1);
    EXPECT_EQ(cols[0], (QList<QVariant>{1, 7}));
    EXPECT_EQ(p.columnWidth(7), 100);
    EXPECT_EQ(p.columnWidth(6), p.defaultColumnWidth());
    ASSERT_EQ(rows.count(), 1);
    EXPECT_EQ(p.rowHeight(9), 30);
}

TEST(Page, CellsInsertedOutOfOrderStaySorted)
{
    Workbook b;
    Page &p = b.page(0);
    for (int c : {9, 3, 200, 0, 5})
        p.setCellText(c, 1, QString::number(c));
    QList<int> order;
    p.forEachCell([&](int, const Cell &c) { order << c.col; });
    EXPECT_EQ(order, (QList<int>{0, 3, 5, 9, 200}));
    for (int c : {9, 3, 200, 0, 5})
        EXPECT_EQ(p.cellText(c, 1), QString::number(c));
}

TEST(Workbook, StylesAreShared)
{
    Workbook b;
    CellStyle s;
    s.italic = true;
    const int before = b.styleCount();
    for (int r = 0; r < 1000; ++r)
        b.page(0).setCellStyle(0, r, s);
    EXPECT_EQ(b.styleCount(), before + 1);
}
