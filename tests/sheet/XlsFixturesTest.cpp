// Workbooks written by other programs: every cell shows the text that the
// producing script recorded, and the styles and layout survive.
#include "sheet/Workbook.h"
#include "sheet/XlsJson.h"

#include <QFile>
#include <QLocale>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QString dataDir() { return qEnvironmentVariable("KL_TEST_DATA") + "/xls/"; }

QString unescape(const QString &t)
{
    QString out;
    for (int i = 0; i < t.size(); ++i) {
        if (t[i] == u'\\' && i + 1 < t.size()) {
            const QChar n = t[++i];
            out += n == u'n' ? QChar(u'\n') : n == u't' ? QChar(u'\t') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += t[i];
        }
    }
    return out;
}

class Fixture : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_P(Fixture, EveryCellShowsItsText)
{
    const QString name = QString::fromLatin1(GetParam());
    Workbook book;
    ASSERT_NO_THROW(book.loadFromFile(dataDir() + name + ".xls"));
    QFile f(dataDir() + name + ".expected.tsv");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QSet<QString> expectedRefs;
    int checked = 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QStringList parts = QString::fromUtf8(line).split(u'\t');
        ASSERT_EQ(parts.size(), 3) << line.constData();
        const int page = parts[0].toInt();
        ASSERT_LT(page, book.pageCount());
        const Page &p = book.page(page);
        QString found;
        p.forEachCell([&](int row, const Cell &c) {
            if (XlsJson::cellRef(c.col, row) == parts[1])
                found = c.text;
        });
        EXPECT_EQ(found, unescape(parts[2])) << name.toStdString() << " page " << page << " " << parts[1].toStdString();
        expectedRefs.insert(parts[0] + u':' + parts[1]);
        ++checked;
    }
    EXPECT_GT(checked, 0);
    // Nothing shows up that the producer did not write.
    for (int i = 0; i < book.pageCount(); ++i)
        book.page(i).forEachCell([&](int row, const Cell &c) {
            if (!c.text.isEmpty()) {
                EXPECT_TRUE(expectedRefs.contains(QString::number(i) + u':' + XlsJson::cellRef(c.col, row)))
                    << "unexpected " << XlsJson::cellRef(c.col, row).toStdString() << " = " << c.text.toStdString();
            }
        });
}

INSTANTIATE_TEST_SUITE_P(OtherPrograms, Fixture,
                         ::testing::Values("xlwt_types", "lo_types", "gnumeric_types", "lo_formulas",
                                           "gnumeric_formulas", "lo_from_ours", "gnumeric_from_ours"));

class TypesFixture : public Fixture {};

TEST_P(TypesFixture, StylesLayoutAndActivePageSurvive)
{
    Workbook book;
    book.loadFromFile(dataDir() + GetParam() + ".xls");
    ASSERT_EQ(book.pageCount(), 2);
    EXPECT_EQ(book.page(0).caption(), "Types");
    EXPECT_EQ(book.page(1).caption(), QString::fromUtf8("Ünïcode Σheet"));
    // Gnumeric converting headless makes the first page active; xlrd reads the same.
    EXPECT_EQ(book.activePageIndex(), QString::fromLatin1(GetParam()).startsWith("gnumeric") ? 0 : 1);

    const Page &p = book.page(0);
    const CellStyle a1 = p.cellStyle(0, 0), b1 = p.cellStyle(1, 0), c1 = p.cellStyle(2, 0), d1 = p.cellStyle(3, 0);
    EXPECT_TRUE(a1.bold);
    EXPECT_EQ(a1.hAlign, HAlign::Center);
    EXPECT_TRUE(b1.italic);
    EXPECT_EQ(b1.fontColor, QColor(255, 0, 0));
    EXPECT_EQ(c1.fillColor, QColor(0, 255, 0));
    EXPECT_EQ(d1.hAlign, HAlign::Right);
    EXPECT_EQ(d1.vAlign, VAlign::Center);
    EXPECT_FALSE(p.cellStyle(0, 1).bold);
    EXPECT_FALSE(p.cellStyle(0, 1).fillColor.isValid());

    // 20 and 5 characters wide; 30 points high.
    EXPECT_NEAR(p.columnWidth(0), 140, 4);
    EXPECT_NEAR(p.columnWidth(2), 35, 4);
    EXPECT_EQ(p.rowHeight(3), 40);
    EXPECT_TRUE(p.mergedRanges().contains(QRect(QPoint(0, 30), QPoint(2, 31))));

    // A number keeps its value and format.
    EXPECT_EQ(p.cellKind(1, 14), CellKind::Number);
    EXPECT_DOUBLE_EQ(p.cellNumber(1, 14).value_or(0), 1234.5);
    EXPECT_EQ(p.cellStyle(1, 14).numberFormat, "#,##0.00");
    EXPECT_EQ(p.cellKind(3, 1), CellKind::Boolean);
    EXPECT_EQ(book.page(1).cellText(255, 65535), "last cell");
}

INSTANTIATE_TEST_SUITE_P(OtherPrograms, TypesFixture, ::testing::Values("xlwt_types", "lo_types", "gnumeric_types"));

// Our file, opened and saved again by LibreOffice and by Gnumeric: they
// kept what we wrote.
class FromOurs : public Fixture {};

TEST_P(FromOurs, TheyKeptOurStylesAndLayout)
{
    Workbook book;
    book.loadFromFile(dataDir() + GetParam() + ".xls");
    ASSERT_EQ(book.pageCount(), 2);
    EXPECT_EQ(book.page(1).caption(), "Zweite Seite");
    EXPECT_EQ(book.activePageIndex(), 0);
    const Page &p = book.page(0);
    EXPECT_EQ(p.activeCell(), QPoint(1, 2));
    EXPECT_EQ(p.columnWidth(0), 140);
    EXPECT_EQ(p.columnWidth(1), 90);
    EXPECT_EQ(p.rowHeight(0), 30);
    EXPECT_EQ(p.mergedRanges(), QList<QRect>{QRect(QPoint(0, 6), QPoint(1, 7))});
    const CellStyle a1 = p.cellStyle(0, 0), b1 = p.cellStyle(1, 0), b5 = p.cellStyle(1, 4);
    EXPECT_TRUE(a1.bold);
    EXPECT_EQ(a1.hAlign, HAlign::Center);
    EXPECT_EQ(a1.vAlign, VAlign::Center);
    EXPECT_EQ(a1.fillColor, QColor(0, 255, 0));
    EXPECT_TRUE(b1.italic);
    EXPECT_EQ(b1.fontColor, QColor(255, 0, 0));
    EXPECT_EQ(b5.fillColor, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(b5.fontColor, QColor(0xfe, 0xdc, 0xba));
    EXPECT_EQ(p.cellKind(1, 1), CellKind::Number);
    EXPECT_EQ(p.cellKind(0, 2), CellKind::Text); // "0042" stayed text
}

INSTANTIATE_TEST_SUITE_P(OtherPrograms, FromOurs, ::testing::Values("lo_from_ours", "gnumeric_from_ours"));

} // namespace
