// Round trips through our writer and reader, through xlrd as an independent
// reader, and malformed files that must fail with a clear message.
#include "sheet/Workbook.h"
#include "sheet/XlsError.h"
#include "sheet/XlsJson.h"
#include "sheet/XlsReader.h"
#include "sheet/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

class Codec : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.filePath(name); }
};

// A workbook that uses everything the writer knows.
void fillRich(Workbook &b)
{
    b.clearAll();
    Page &p = b.addPage(QString::fromUtf8("Ρarts ü"));
    p.setCellText(0, 0, "Name");
    CellStyle head;
    head.bold = true;
    head.hAlign = HAlign::Center;
    head.vAlign = VAlign::Center;
    head.fillColor = standardPaletteColor(3);
    p.setCellStyle(0, 0, head);
    p.setCellText(1, 0, QString::fromUtf8("Wert Ω"));
    CellStyle odd;
    odd.italic = true;
    odd.fontColor = QColor(0x12, 0x34, 0x56); // not in the standard palette
    odd.fillColor = QColor(0xFE, 0xDC, 0xBA);
    odd.hAlign = HAlign::Right;
    odd.vAlign = VAlign::Top;
    p.setCellStyle(1, 0, odd);
    p.setCellText(0, 1, "line one\r\nline two");
    p.setCellNumber(1, 1, 1234.5, "1,234.50");
    CellStyle money;
    money.numberFormat = "#,##0.00";
    p.setCellStyle(1, 1, money);
    p.setCellNumber(2, 1, 0.25, "25%");
    CellStyle pct;
    pct.numberFormat = "0%";
    p.setCellStyle(2, 1, pct);
    p.setCellNumber(3, 1, 45306, "2024-01-15");
    CellStyle date;
    date.numberFormat = "yyyy-mm-dd";
    p.setCellStyle(3, 1, date);
    p.setCellText(4, 1, "TRUE");
    p.setCellText(5, 1, "0042"); // text that looks like a number stays text
    // Long texts split the shared strings inside their characters.
    p.setCellText(0, 2, QString(9000, u'x'));
    p.setCellText(1, 2, QString(7000, QChar(0x0416)));
    for (int r = 3; r < 400; ++r)
        p.setCellText(r % 9, r, QStringLiteral("row %1 %2").arg(r).arg(r % 2 ? "abc" : "абв"));
    p.setCellStyle(7, 7, head); // styled but empty
    p.setColumnWidth(0, 240);
    p.setColumnWidth(1, 100);
    p.setColumnWidth(2, 100);
    p.setColumnWidth(9, 0);
    p.setRowHeight(0, 30);
    p.setRowHeight(5, 0);
    p.addMergedRange(QRect(QPoint(2, 3), QPoint(4, 5)));
    p.setActiveCell(1, 2);
    Page &q = b.addPage("Second");
    q.setDefaultRowHeight(24);
    q.setCellText(255, 65535, "corner");
    q.setActiveCell(255, 65535);
    b.addPage("Empty");
    b.setActivePageIndex(1);
}

QJsonObject roundTrip(const Workbook &b)
{
    Workbook back;
    XlsReader::readBytes(XlsWriter::toBytes(b), back);
    return XlsJson::toJson(back);
}

TEST_F(Codec, OursThroughOursKeepsEverything)
{
    Workbook b;
    fillRich(b);
    const QJsonObject before = XlsJson::toJson(b);
    const QJsonObject after = roundTrip(b);
    EXPECT_EQ(QJsonDocument(after).toJson().toStdString(), QJsonDocument(before).toJson().toStdString());
}

TEST_F(Codec, ChangedNumberIsWrittenAsText)
{
    Workbook b;
    Page &p = b.page(0);
    p.setCellNumber(0, 0, 2.5, "2.50");
    CellStyle twoPlaces;
    twoPlaces.numberFormat = "0.00";
    p.setCellStyle(0, 0, twoPlaces);
    p.setCellNumber(1, 0, 7, "7");
    p.setCellText(1, 0, "7 pcs");
    Workbook back;
    XlsReader::readBytes(XlsWriter::toBytes(b), back);
    EXPECT_EQ(back.page(0).cellKind(0, 0), CellKind::Number);
    EXPECT_EQ(back.page(0).cellText(0, 0), "2.50");
    EXPECT_EQ(back.page(0).cellKind(1, 0), CellKind::Text);
    EXPECT_EQ(back.page(0).cellText(1, 0), "7 pcs");
}

TEST_F(Codec, DatesOf1904FilesKeepTheirDay)
{
    // A date read from a 1904 file must not move by four years when saved.
    Workbook b;
    b.setDate1904(true);
    CellStyle date;
    date.numberFormat = "yyyy-mm-dd";
    b.page(0).setCellNumber(0, 0, 0, "1904-01-01");
    b.page(0).setCellStyle(0, 0, date);
    Workbook back;
    XlsReader::readBytes(XlsWriter::toBytes(b), back);
    EXPECT_TRUE(back.date1904());
    EXPECT_EQ(back.page(0).cellText(0, 0), "1904-01-01");
}

TEST_F(Codec, ManyColoursStayWithinThePalette)
{
    // More colours than palette slots: the first ones are exact, none is lost.
    Workbook b;
    Page &p = b.page(0);
    for (int i = 0; i < 80; ++i) {
        CellStyle s;
        s.fillColor = QColor(i * 3, 255 - i * 3, (i * 37) % 256);
        p.setCellText(0, i, QString::number(i));
        p.setCellStyle(0, i, s);
    }
    Workbook back;
    XlsReader::readBytes(XlsWriter::toBytes(b), back);
    for (int i = 0; i < 80; ++i)
        EXPECT_TRUE(back.page(0).cellStyle(0, i).fillColor.isValid()) << i;
    EXPECT_EQ(back.page(0).cellStyle(0, 0).fillColor, QColor(0, 255, 0));
}

TEST_F(Codec, FailedSaveLeavesTheOldFileWhole)
{
    Workbook good;
    good.page(0).setCellText(0, 0, "keep me");
    good.saveToFile(path("book.xls"));
    QFile f(path("book.xls"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    Workbook tooLong;
    tooLong.page(0).setCellText(3, 4, QString(40000, u'y'));
    try {
        tooLong.saveToFile(path("book.xls"));
        FAIL() << "saved a cell Excel cannot hold";
    } catch (const XlsError &e) {
        EXPECT_TRUE(e.message().contains("40000 characters")) << e.message().toStdString();
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"book.xls"}); // no temporary left

    EXPECT_THROW(good.saveToFile(path("no/such/dir/book.xls")), XlsError);
}

TEST_F(Codec, FailedLoadLeavesTheWorkbookAsItWas)
{
    Workbook b;
    fillRich(b);
    const QJsonObject before = XlsJson::toJson(b);
    QFile f(path("bad.xls"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(XlsWriter::toBytes(b).left(3000));
    f.close();
    EXPECT_THROW(b.loadFromFile(path("bad.xls")), XlsError);
    EXPECT_THROW(b.loadFromFile(path("missing.xls")), XlsError);
    EXPECT_EQ(XlsJson::toJson(b), before);
}

// ---- xlrd, an independent reader ----

// Every non-empty cell as "page|ref|type|value", as xlrd sees it, plus
// merged ranges, column widths and the selected page.
QStringList xlrdView(const QString &file, QString *error)
{
    static const char *script = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True, ragged_rows=True)
out = []
for i, s in enumerate(b.sheets()):
    out.append("%d|name|%s" % (i, s.name))
    if s.sheet_selected and s.sheet_visible:
        out.append("active|%d" % i)
    for r in range(s.nrows):
        for c in range(s.row_len(r)):
            cell = s.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            v = cell.value
            if cell.ctype == xlrd.XL_CELL_NUMBER or cell.ctype == xlrd.XL_CELL_DATE:
                v = repr(float(v))
            v = str(v).replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
            out.append("%d|%s|%d|%s" % (i, xlrd.cellname(r, c), cell.ctype, v))
    for m in s.merged_cells:
        out.append("%d|merge|%d,%d,%d,%d" % (i, m[0], m[1], m[2], m[3]))
    for k in sorted(s.colinfo_map):
        out.append("%d|width|%d|%d" % (i, k, s.colinfo_map[k].width))
sys.stdout.write("\n".join(out))
)";
    QProcess py;
    py.start("/usr/bin/python3", {"-c", QString::fromUtf8(script), file});
    if (!py.waitForFinished(60000) || py.exitCode() != 0) {
        *error = QString::fromUtf8(py.readAllStandardError());
        return {};
    }
    return QString::fromUtf8(py.readAllStandardOutput()).split(u'\n');
}

QString escaped(QString t)
{
    return t.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n");
}

// Lines only in `a` (-) or only in `b` (+), cut short: readable when long texts differ.
std::string diff(QStringList a, QStringList b)
{
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::string out;
    for (const QString &l : a)
        if (!std::binary_search(b.begin(), b.end(), l))
            out += "- " + l.left(120).toStdString() + "\n";
    for (const QString &l : b)
        if (!std::binary_search(a.begin(), a.end(), l))
            out += "+ " + l.left(120).toStdString() + "\n";
    return out;
}

bool haveXlrd()
{
    QProcess py;
    py.start("/usr/bin/python3", {"-c", "import xlrd"});
    return py.waitForFinished(30000) && py.exitStatus() == QProcess::NormalExit && py.exitCode() == 0;
}

TEST_F(Codec, XlrdReadsOurFileWithTheSameTexts)
{
    if (!haveXlrd())
        GTEST_SKIP() << "python3-xlrd not installed";
    Workbook b;
    fillRich(b);
    b.saveToFile(path("ours.xls"));
    QString err;
    const QStringList view = xlrdView(path("ours.xls"), &err);
    ASSERT_FALSE(view.isEmpty()) << err.toStdString();

    QStringList expected;
    for (int i = 0; i < b.pageCount(); ++i) {
        const Page &p = b.page(i);
        expected << QStringLiteral("%1|name|%2").arg(i).arg(p.caption());
        if (i == b.activePageIndex())
            expected << QStringLiteral("active|%1").arg(i);
        p.forEachCell([&](int row, const Cell &c) {
            if (c.kind == CellKind::Number)
                expected << QStringLiteral("%1|%2|2|%3").arg(i).arg(XlsJson::cellRef(c.col, row)).arg(
                    c.number == 45306 ? "45306.0" : QString::number(c.number, 'g', 17));
            else if (!c.text.isEmpty())
                expected << QStringLiteral("%1|%2|1|%3").arg(i).arg(XlsJson::cellRef(c.col, row), escaped(c.text));
        });
        for (const QRect &m : p.mergedRanges())
            expected << QStringLiteral("%1|merge|%2,%3,%4,%5").arg(i).arg(m.top()).arg(m.bottom() + 1).arg(m.left()).arg(m.right() + 1);
    }
    QStringList got;
    for (const QString &line : view)
        if (!line.contains("|width|"))
            got << line;
    // The date cell reads as a date type in xlrd; compare its value only.
    got.replaceInStrings(QRegularExpression("\\|3\\|45306.0$"), "|2|45306.0");
    EXPECT_EQ(diff(expected, got), "");
    EXPECT_TRUE(view.contains("0|width|0|" + QString::number(240 * 256 / 7 + 1))
                || view.contains("0|width|0|" + QString::number(240 * 256 / 7)))
        << view.filter("width").join(' ').toStdString();
}

// Booleans and errors are saved as the text they show.
QJsonObject booleansAsText(QJsonObject book)
{
    QJsonArray pages = book["pages"].toArray();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        QJsonObject page = pages[i].toObject();
        QJsonArray cells = page["cells"].toArray();
        for (qsizetype k = 0; k < cells.size(); ++k) {
            QJsonObject c = cells[k].toObject();
            if (c["type"] == "boolean" || c["type"] == "error")
                c["type"] = "text";
            cells[k] = c;
        }
        page["cells"] = cells;
        pages[i] = page;
    }
    book["pages"] = pages;
    return book;
}

TEST_F(Codec, TheirFilesThroughOursReadTheSameInXlrd)
{
    if (!haveXlrd())
        GTEST_SKIP() << "python3-xlrd not installed";
    const QString data = qEnvironmentVariable("KL_TEST_DATA") + "/xls/";
    for (const char *name : {"lo_types", "gnumeric_types", "xlwt_types", "gnumeric_formulas"}) {
        SCOPED_TRACE(name);
        Workbook b;
        b.loadFromFile(data + name + ".xls");
        const QJsonObject first = booleansAsText(XlsJson::toJson(b));
        b.saveToFile(path("again.xls"));
        Workbook again;
        again.loadFromFile(path("again.xls"));
        // Every text the user saw is still there, with its style and layout.
        EXPECT_TRUE(XlsJson::toJson(again) == first);
        EXPECT_EQ(XlsJson::toJson(again)["pages"].toArray().size(), first["pages"].toArray().size());

        QString err1, err2;
        QStringList theirs = xlrdView(data + name + ".xls", &err1), ours = xlrdView(path("again.xls"), &err2);
        ASSERT_FALSE(theirs.isEmpty()) << err1.toStdString();
        ASSERT_FALSE(ours.isEmpty()) << err2.toStdString();
        // Booleans, errors and formula texts are written as the text they show.
        QStringList theirsComparable;
        for (const QString &l : theirs) {
            if (l.contains("|width|") || l.startsWith("active|"))
                continue;
            const QStringList f = l.split('|');
            if (f.size() >= 4 && (f[2] == "4" || f[2] == "5"))
                continue;
            theirsComparable << QString(l).replace(QRegularExpression("^(\\d+\\|[A-Z]+\\d+)\\|3\\|"), "\\1|2|");
        }
        QStringList oursComparable;
        for (const QString &l : ours) {
            if (l.contains("|width|") || l.startsWith("active|"))
                continue;
            const QStringList f = l.split('|');
            if (f.size() >= 4 && f[2] == "1") {
                // Was it a boolean or error there?
                const QString key = f[0] + '|' + f[1] + '|';
                bool special = false;
                for (const QString &t : theirs)
                    if (t.startsWith(key) && (t.startsWith(key + "4|") || t.startsWith(key + "5|")))
                        special = true;
                if (special)
                    continue;
            }
            oursComparable << QString(l).replace(QRegularExpression("^(\\d+\\|[A-Z]+\\d+)\\|3\\|"), "\\1|2|");
        }
        EXPECT_EQ(diff(theirsComparable, oursComparable), "");
    }
}

// ---- malformed files ----

struct Rec {
    int offset; // of the header, in the file
    quint16 type;
    quint16 len;
};

quint16 rd16(const QByteArray &b, int at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }
void wr16(QByteArray &b, int at, quint16 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}
void wr32(QByteArray &b, int at, quint32 v)
{
    wr16(b, at, quint16(v & 0xFFFF));
    wr16(b, at + 2, quint16(v >> 16));
}

// A valid file of two pages, and its records as they lie in the container
// (the writer's one stream is stored in consecutive sectors).
struct Valid {
    QByteArray file;
    QList<Rec> recs;
    int streamStart = -1;

    Valid()
    {
        Workbook b;
        b.page(0).setCaption("One");
        for (int r = 0; r < 40; ++r) {
            b.page(0).setCellText(0, r, QStringLiteral("text %1").arg(r));
            b.page(0).setCellNumber(1, r, r * 1.5, QString::number(r * 1.5));
        }
        b.addPage("Two").setCellText(2, 2, "two");
        file = XlsWriter::toBytes(b);
        streamStart = int(file.indexOf(QByteArray::fromHex("0908100000060500")));
        for (int at = streamStart; at + 4 <= file.size();) {
            const quint16 type = rd16(file, at), len = rd16(file, at + 2);
            if (type == 0 && len == 0)
                break;
            recs.append({at, type, len});
            at += 4 + len;
        }
    }
    Rec first(quint16 type, int nth = 0) const
    {
        for (const Rec &r : recs)
            if (r.type == type && nth-- == 0)
                return r;
        ADD_FAILURE() << "no record " << type;
        return {0, 0, 0};
    }
    int dirEntry(const char *name) const
    {
        QByteArray utf16;
        for (const char *p = name; *p; ++p)
            utf16 += *p, utf16 += '\0';
        return int(file.indexOf(utf16));
    }
};

struct Malformed {
    const char *name;
    std::function<QByteArray(const Valid &)> corrupt;
    const char *why; // expected part of the message; nullptr when the file must load
};

class MalformedFile : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedFile, FailsWithAClearMessage)
{
    static const Valid valid;
    ASSERT_GT(valid.streamStart, 0);
    ASSERT_EQ(valid.recs.last().type, 0x000A); // the walk saw every record
    const Malformed &m = GetParam();
    const QByteArray bytes = m.corrupt(valid);
    Workbook b;
    if (!m.why) {
        EXPECT_NO_THROW(XlsReader::readBytes(bytes, b));
        return;
    }
    try {
        XlsReader::readBytes(bytes, b);
        FAIL() << "loaded a corrupt file";
    } catch (const XlsError &e) {
        EXPECT_TRUE(e.message().startsWith("The file is not a readable Excel 97 workbook: ")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(m.why))) << e.message().toStdString();
        EXPECT_EQ(e.className(), "EXlsError");
    }
}

QByteArray patched16(const Valid &v, int at, quint16 value)
{
    QByteArray b = v.file;
    wr16(b, at, value);
    return b;
}

const Malformed kMalformed[] = {
    {"empty", [](const Valid &) { return QByteArray(); }, "the file is empty"},
    {"randomBytes",
     [](const Valid &) {
         QByteArray b(5000, '\0');
         QRandomGenerator gen(7);
         for (char &c : b)
             c = char(gen.bounded(256));
         return b;
     },
     "no OLE2 compound document header"},
    {"xlsx", [](const Valid &) { return QByteArray("PK\x03\x04 rest of a zip"); }, "zip archive"},
    {"biff4Plain", [](const Valid &) { return QByteArray::fromHex("0904060000000001"); }, "older than Excel 97"},
    {"truncatedContainer", [](const Valid &v) { return v.file.left(1536); }, "OLE2 container is damaged"},
    {"oleHeaderSectorShift", [](const Valid &v) { return patched16(v, 30, 0x00FF); }, "OLE2 container is damaged"},
    {"noWorkbookStream",
     [](const Valid &v) { return patched16(v, v.dirEntry("Workbook"), 'X'); }, "holds no Workbook stream"},
    {"biff5BookStream",
     [](const Valid &v) {
         QByteArray b = v.file;
         const int at = v.dirEntry("Workbook");
         const QByteArray book = QByteArray("B\0o\0o\0k\0\0\0", 10);
         b.replace(at, 10, book);
         wr16(b, at + 64, 10); // name length in bytes with its terminator
         return b;
     },
     "Excel 5.0/95"},
    // The container drops a directory entry whose size its sectors cannot hold.
    {"hugeStreamSize",
     [](const Valid &v) {
         QByteArray b = v.file;
         wr32(b, v.dirEntry("Workbook") + 120, 0x7FFFFFF0);
         return b;
     },
     "holds no Workbook stream"},
    {"bofVersion5", [](const Valid &v) { return patched16(v, v.streamStart + 4, 0x0500); }, "Excel 5.0/95 or older"},
    {"firstRecordNotBof", [](const Valid &v) { return patched16(v, v.streamStart, 0x0042); }, "not the BOF"},
    {"recordPastStreamEnd",
     [](const Valid &v) { return patched16(v, v.recs.last().offset + 2, 0xFFFF); }, "declares 65535 bytes but the stream ends"},
    {"recordTooShort",
     [](const Valid &v) { return patched16(v, v.first(0x0042).offset, 0x00E0); }, "fewer than the 20"},
    {"encrypted", [](const Valid &v) { return patched16(v, v.first(0x0042).offset, 0x002F); }, "password"},
    {"sheetOffsetPastEnd",
     [](const Valid &v) {
         QByteArray b = v.file;
         wr32(b, v.first(0x0085).offset + 4, 0x7FFFFFF0);
         return b;
     },
     "past the end of the stream"},
    {"sheetsShareOffset",
     [](const Valid &v) {
         QByteArray b = v.file;
         wr32(b, v.first(0x0085, 1).offset + 4, quint32(rd16(b, v.first(0x0085).offset + 4))
                                                 | quint32(rd16(b, v.first(0x0085).offset + 6)) << 16);
         return b;
     },
     "same offset"},
    {"sheetStartsInsideAnother",
     [](const Valid &v) {
         QByteArray b = v.file;
         // The second sheet points at the first sheet's second record.
         const Rec sheet1 = v.first(0x0809, 1);
         wr32(b, v.first(0x0085, 1).offset + 4, quint32(sheet1.offset + 4 + sheet1.len - v.streamStart));
         return b;
     },
     "starts inside another sheet"},
    {"sstIndexBeyondTable",
     [](const Valid &v) {
         QByteArray b = v.file;
         wr32(b, v.first(0x00FD).offset + 4 + 6, 100000);
         return b;
     },
     "uses shared string 100000"},
    {"sstStringCountHuge",
     [](const Valid &v) { return patched16(v, v.first(0x00FC).offset + 4 + 8, 0xFFFF); }, "runs past the end of the record"},
    {"sstUniqueCountLies", // more strings claimed than there are: the cells still load
     [](const Valid &v) {
         QByteArray b = v.file;
         wr32(b, v.first(0x00FC).offset + 4 + 4, 0xFFFFFFFF);
         return b;
     },
     nullptr},
    {"globalsWithoutEof",
     [](const Valid &v) { return patched16(v, v.first(0x000A).offset, 0x0099); }, "without an EOF record"},
    {"sheetBofVersionUnknown",
     [](const Valid &v) { return patched16(v, v.first(0x0809, 1).offset + 4, 0x1234); }, "unknown version"},
};

INSTANTIATE_TEST_SUITE_P(Xls, MalformedFile, ::testing::ValuesIn(kMalformed),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
