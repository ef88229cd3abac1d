#include "sheet/XlsWriter.h"

#include "sheet/Workbook.h"
#include "sheet/XlsBiff.h"
#include "sheet/XlsError.h"
#include "sheet/XlsFormat.h"

#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>
#include <vector>

using namespace biff;

namespace {

constexpr int MaxCellText = 32767; // what Excel keeps in one cell
constexpr int FirstCustomFormat = 164;
constexpr int FirstCellXf = 16;    // 15 style XFs and the default cell XF come first

class Buffer {
public:
    std::vector<unsigned char> bytes;

    size_t size() const { return bytes.size(); }
    void u8(unsigned v) { bytes.push_back((unsigned char)(v)); }
    void u16(unsigned v)
    {
        bytes.push_back((unsigned char)(v & 0xFF));
        bytes.push_back((unsigned char)((v >> 8) & 0xFF));
    }
    void u32(quint32 v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void f64(double d)
    {
        quint64 v;
        std::memcpy(&v, &d, 8);
        u32(quint32(v));
        u32(quint32(v >> 32));
    }
    void put32At(size_t at, quint32 v)
    {
        for (int k = 0; k < 4; ++k)
            bytes[at + size_t(k)] = (unsigned char)((v >> (8 * k)) & 0xFF);
    }
    void append(const Buffer &o) { bytes.insert(bytes.end(), o.bytes.begin(), o.bytes.end()); }

    // A record; data longer than one record goes on in CONTINUE records.
    void record(quint16 type, const Buffer &data)
    {
        size_t at = 0;
        quint16 t = type;
        do {
            const size_t n = std::min<size_t>(MaxRecordData, data.size() - at);
            u16(t);
            u16(unsigned(n));
            bytes.insert(bytes.end(), data.bytes.begin() + qsizetype(at), data.bytes.begin() + qsizetype(at + n));
            at += n;
            t = rCONTINUE;
        } while (at < data.size());
    }
};

bool fitsLatin1(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// Characters of `s` from `from`, `n` of them, compressed or UTF-16.
void putChars(Buffer &b, const QString &s, qsizetype from, qsizetype n, bool wide)
{
    const char16_t *p = reinterpret_cast<const char16_t *>(s.constData()) + from;
    for (qsizetype k = 0; k < n; ++k) {
        if (wide)
            b.u16(p[k]);
        else
            b.u8(p[k]);
    }
}

// The shared string table, split into CONTINUE records so that no string
// header is split and every split inside the characters repeats the flag.
class SstWriter {
public:
    // `streamOffset` is where the SST record will start in the stream.
    void write(Buffer &out, const std::vector<QString> &strings, quint32 total)
    {
        const size_t base = out.size();
        const size_t n = strings.size();
        const size_t bucket = std::max<size_t>(8, (n + 127) / 128);
        Buffer extsst;
        extsst.u16(unsigned(bucket));

        Buffer rec; // data of the record being filled
        quint16 type = rSST;
        size_t recStart = out.size(); // where the current record's header goes
        auto flush = [&] {
            out.u16(type);
            out.u16(unsigned(rec.size()));
            out.append(rec);
            rec.bytes.clear();
            type = rCONTINUE;
            recStart = out.size();
        };
        rec.u32(total);
        rec.u32(quint32(n));
        for (size_t i = 0; i < n; ++i) {
            const QString &s = strings[i];
            const bool wide = !fitsLatin1(s);
            const size_t cw = wide ? 2 : 1;
            // Header plus at least one character must fit.
            if (rec.size() + 3 + (s.isEmpty() ? 0 : cw) > size_t(MaxRecordData))
                flush();
            if (i % bucket == 0) {
                extsst.u32(quint32(recStart + 4 + rec.size() - base + base));
                extsst.u16(unsigned(4 + rec.size()));
                extsst.u16(0);
            }
            rec.u16(unsigned(s.size()));
            rec.u8(wide ? 1 : 0);
            qsizetype done = 0;
            while (done < s.size()) {
                const qsizetype room = qsizetype((size_t(MaxRecordData) - rec.size()) / cw);
                const qsizetype take = std::min(room, s.size() - done);
                putChars(rec, s, done, take, wide);
                done += take;
                if (done < s.size()) {
                    flush();
                    rec.u8(wide ? 1 : 0);
                }
            }
        }
        flush();
        m_extsst = extsst;
    }
    const Buffer &extsst() const { return m_extsst; }

private:
    Buffer m_extsst;
};

struct FontKey {
    QString name;
    int height;
    bool bold, italic, underline, strike;
    int color;
    bool operator==(const FontKey &o) const
    {
        return name == o.name && height == o.height && bold == o.bold && italic == o.italic
            && underline == o.underline && strike == o.strike && color == o.color;
    }
};
size_t qHash(const FontKey &k, size_t seed = 0)
{
    return qHashMulti(seed, k.name, k.height, int(k.bold) | int(k.italic) << 1 | int(k.underline) << 2 | int(k.strike) << 3,
                      k.color);
}

std::vector<int> keysOf(const QHash<int, int> &h)
{
    std::vector<int> keys;
    keys.reserve(size_t(h.size()));
    for (auto it = h.cbegin(); it != h.cend(); ++it)
        keys.push_back(it.key());
    std::sort(keys.begin(), keys.end());
    return keys;
}

class Writer {
public:
    explicit Writer(const Workbook &book) : m_book(book)
    {
        for (int i = 0; i < 56; ++i)
            m_palette.push_back(standardPaletteColor(i).rgb());
    }

    QByteArray run()
    {
        if (m_book.pageCount() == 0)
            throw XlsError(QStringLiteral("A workbook without pages cannot be saved"));
        checkLimits();
        collectStyles();

        // Sheets first, into their own buffers, so that the shared strings
        // are known when the globals are written.
        std::vector<Buffer> sheets;
        for (int i = 0; i < m_book.pageCount(); ++i)
            sheets.push_back(writeSheet(m_book.page(i), i == m_book.activePageIndex()));

        Buffer g;
        std::vector<size_t> sheetOffsetAt;
        writeGlobals(g, sheetOffsetAt);
        size_t offset = g.size();
        for (size_t i = 0; i < sheets.size(); ++i) {
            g.put32At(sheetOffsetAt[i], quint32(offset));
            offset += sheets[i].size();
        }
        for (const Buffer &s : sheets)
            g.append(s);
        // Some readers expect a Workbook stream of at least one big block.
        if (g.size() < 4096)
            g.bytes.resize(4096, 0);
        return container(g);
    }

private:
    void checkLimits() const
    {
        for (int i = 0; i < m_book.pageCount(); ++i) {
            const Page &p = m_book.page(i);
            p.forEachCell([&](int row, const Cell &c) {
                if (c.text.size() > MaxCellText)
                    throw XlsError(QStringLiteral("Cell (%1, %2) on page \"%3\" holds %4 characters; "
                                                  "an Excel 97 cell holds at most %5")
                                       .arg(c.col)
                                       .arg(row)
                                       .arg(p.caption())
                                       .arg(c.text.size())
                                       .arg(MaxCellText));
            });
        }
    }

    int colorIndex(const QColor &c)
    {
        const QRgb rgb = c.rgb() & 0xFFFFFF;
        for (size_t i = 0; i < m_palette.size(); ++i)
            if ((m_palette[i] & 0xFFFFFF) == rgb)
                return int(i) + 8;
        // Not in the palette: take over a slot no used colour needs, from the end.
        for (int i = int(m_palette.size()) - 1; i >= 0; --i) {
            if (!m_paletteUsed[size_t(i)]) {
                m_palette[size_t(i)] = rgb;
                m_paletteUsed[size_t(i)] = true;
                m_paletteChanged = true;
                return i + 8;
            }
        }
        // Palette full: the nearest colour.
        int best = 0;
        long bestD = -1;
        for (size_t i = 0; i < m_palette.size(); ++i) {
            const long dr = qRed(m_palette[i]) - c.red(), dg = qGreen(m_palette[i]) - c.green(),
                       db = qBlue(m_palette[i]) - c.blue();
            const long d = dr * dr + dg * dg + db * db;
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = int(i);
            }
        }
        return best + 8;
    }

    void collectStyles()
    {
        // Which styles are used, and which palette entries they need as they are.
        std::vector<bool> used(size_t(m_book.styleCount()), false);
        used[0] = true;
        for (int i = 0; i < m_book.pageCount(); ++i)
            m_book.page(i).forEachCell([&](int, const Cell &c) {
                if (c.style < used.size())
                    used[c.style] = true;
            });
        m_paletteUsed.assign(m_palette.size(), false);
        auto markExact = [&](const QColor &c) {
            if (!c.isValid())
                return;
            for (size_t i = 0; i < m_palette.size(); ++i)
                if ((m_palette[i] & 0xFFFFFF) == (c.rgb() & 0xFFFFFF)) {
                    m_paletteUsed[i] = true;
                    return;
                }
        };
        for (size_t s = 0; s < used.size(); ++s)
            if (used[s]) {
                markExact(m_book.style(quint32(s)).fontColor);
                markExact(m_book.style(quint32(s)).fillColor);
            }
        // The default font fills indices 0-3 (index 4 is never used).
        fontIndex(m_book.style(0));
        while (m_fonts.size() < 4)
            m_fonts.push_back(m_fonts[0]);
        m_xfOfStyle.assign(used.size(), FirstCellXf - 1);
        for (size_t s = 1; s < used.size(); ++s) {
            if (!used[s])
                continue;
            const CellStyle &st = m_book.style(quint32(s));
            m_xfOfStyle[s] = FirstCellXf + int(m_cellXfs.size());
            m_cellXfs.push_back(st);
        }
        // Number formats of all XFs.
        formatIndex(m_book.style(0).numberFormat);
        for (const CellStyle &st : m_cellXfs) {
            fontIndex(st);
            formatIndex(st.numberFormat);
        }
    }

    int fontIndex(const CellStyle &s)
    {
        FontKey k{s.fontName, s.fontHeight, s.bold, s.italic, s.underline, s.strikeOut,
                  s.fontColor.isValid() ? colorIndex(s.fontColor) : 0x7FFF};
        auto it = m_fontIndex.constFind(k);
        if (it != m_fontIndex.constEnd())
            return *it;
        m_fonts.push_back(k);
        const int n = int(m_fonts.size()) - 1;
        const int idx = n < 4 ? n : n + 1; // index 4 is never used
        m_fontIndex.insert(k, idx);
        return idx;
    }

    int formatIndex(const QString &code)
    {
        const int b = XlsFormat::builtinIndex(code);
        if (b >= 0)
            return b;
        auto it = m_formatIndex.constFind(code);
        if (it != m_formatIndex.constEnd())
            return *it;
        const int idx = FirstCustomFormat + int(m_formatIndex.size());
        m_formatIndex.insert(code, idx);
        m_formatOrder.push_back(code);
        return idx;
    }

    quint32 sst(const QString &s)
    {
        ++m_sstTotal;
        auto it = m_sstIndex.constFind(s);
        if (it != m_sstIndex.constEnd())
            return *it;
        const quint32 idx = quint32(m_sstStrings.size());
        m_sstIndex.insert(s, idx);
        m_sstStrings.push_back(s);
        return idx;
    }

    static void bof(Buffer &out, quint16 kind)
    {
        Buffer d;
        d.u16(Biff8Version);
        d.u16(kind);
        d.u16(0x0DBB); // build
        d.u16(0x07CC); // year
        d.u32(0x00000041);
        d.u32(0x00000006);
        out.record(rBOF, d);
    }

    static void eof(Buffer &out) { out.record(rEOF, Buffer()); }

    void xf(Buffer &out, int font, int format, bool style, const CellStyle &s)
    {
        Buffer d;
        d.u16(unsigned(font));
        d.u16(unsigned(format));
        d.u16(style ? 0xFFF5 : 0x0001); // style XFs: locked, style, no parent; cells: locked, parent 0
        d.u8(unsigned(s.hAlign) | (s.wrap ? 0x08 : 0) | unsigned(s.vAlign) << 4);
        d.u8(0);                    // rotation
        d.u8(0);                    // indent
        d.u8(style ? 0x00 : 0xFC);  // number, font, alignment, border, fill and protection set here
        d.u16(0);                   // border lines
        d.u16(0);                   // left and right border colours
        quint32 fill = 0;
        unsigned fore = 64, back = 65;
        if (s.fillColor.isValid()) {
            fill = quint32(1) << 26; // solid
            fore = unsigned(colorIndex(s.fillColor));
        }
        d.u32(fill);                // top/bottom/diagonal borders and the fill pattern
        d.u16(fore | back << 7);
        out.record(rXF, d);
    }

    void writeGlobals(Buffer &g, std::vector<size_t> &sheetOffsetAt)
    {
        bof(g, BofGlobals);
        {
            Buffer d;
            d.u16(1200); // UTF-16
            g.record(rCODEPAGE, d);
        }
        {
            Buffer d;
            d.u16(0x0168);
            d.u16(0x001E);
            d.u16(0x4000);
            d.u16(0x2000);
            d.u16(0x0038);
            d.u16(unsigned(m_book.activePageIndex()));
            d.u16(0);
            d.u16(1);
            d.u16(600);
            g.record(rWINDOW1, d);
        }
        {
            Buffer d;
            d.u16(m_book.date1904() ? 1 : 0);
            g.record(rDATEMODE, d);
        }
        for (const FontKey &f : m_fonts) {
            Buffer d;
            d.u16(unsigned(f.height));
            d.u16((f.bold ? 0x01 : 0) | (f.italic ? 0x02 : 0) | (f.strike ? 0x08 : 0)); // bit 0 mirrors the weight for older readers
            d.u16(unsigned(f.color));
            d.u16(f.bold ? 700 : 400);
            d.u16(0); // super/subscript
            d.u8(f.underline ? 1 : 0);
            d.u8(0); // family
            d.u8(0); // charset
            d.u8(0);
            const QString name = f.name.left(255);
            const bool wide = !fitsLatin1(name);
            d.u8(unsigned(name.size()));
            d.u8(wide ? 1 : 0);
            putChars(d, name, 0, name.size(), wide);
            g.record(rFONT, d);
        }
        for (const QString &code : m_formatOrder) {
            Buffer d;
            d.u16(unsigned(m_formatIndex.value(code)));
            const QString c = code.left(255);
            const bool wide = !fitsLatin1(c);
            d.u16(unsigned(c.size()));
            d.u8(wide ? 1 : 0);
            putChars(d, c, 0, c.size(), wide);
            g.record(rFORMAT, d);
        }
        const CellStyle &def = m_book.style(0);
        const int defFont = fontIndex(def);
        const int defFormat = formatIndex(def.numberFormat);
        for (int i = 0; i < FirstCellXf - 1; ++i)
            xf(g, defFont, defFormat, true, def);
        xf(g, defFont, defFormat, false, def);
        for (const CellStyle &s : m_cellXfs)
            xf(g, fontIndex(s), formatIndex(s.numberFormat), false, s);
        {
            Buffer d;
            d.u16(0x8000); // built-in style on XF 0
            d.u8(0);       // Normal
            d.u8(0xFF);
            g.record(rSTYLE, d);
        }
        if (m_paletteChanged) {
            Buffer d;
            d.u16(unsigned(m_palette.size()));
            for (QRgb c : m_palette) {
                d.u8(unsigned(qRed(c)));
                d.u8(unsigned(qGreen(c)));
                d.u8(unsigned(qBlue(c)));
                d.u8(0);
            }
            g.record(rPALETTE, d);
        }
        for (int i = 0; i < m_book.pageCount(); ++i) {
            Buffer d;
            sheetOffsetAt.push_back(g.size() + 4);
            d.u32(0); // patched once the sheet offsets are known
            d.u8(0);  // visible
            d.u8(0);  // worksheet
            QString name = m_book.page(i).caption().left(255);
            if (name.isEmpty())
                name = QStringLiteral("Sheet%1").arg(i + 1);
            const bool wide = !fitsLatin1(name);
            d.u8(unsigned(name.size()));
            d.u8(wide ? 1 : 0);
            putChars(d, name, 0, name.size(), wide);
            g.record(rBOUNDSHEET, d);
        }
        SstWriter sw;
        sw.write(g, m_sstStrings, m_sstTotal);
        g.record(rEXTSST, sw.extsst());
        eof(g);
    }

    Buffer writeSheet(const Page &p, bool active)
    {
        Buffer s;
        bof(s, BofWorksheet);
        {
            Buffer d;
            d.u16(0x0001); // rows whose height is not stored differ from the default font's
            d.u16(unsigned(std::min(0x7FFF, pixelsToTwips(p.defaultRowHeight()))));
            s.record(rDEFAULTROWHEIGHT, d);
        }
        {
            Buffer d;
            d.u16(unsigned(std::max(0, (p.defaultColumnWidth() - 8 + 3) / 7)));
            s.record(rDEFCOLWIDTH, d);
        }
        {
            // Explicit widths as runs of equal columns.
            std::vector<int> cols = keysOf(p.columnWidths());
            std::sort(cols.begin(), cols.end());
            for (size_t i = 0; i < cols.size();) {
                size_t j = i;
                const int w = p.columnWidth(cols[i]);
                while (j + 1 < cols.size() && cols[j + 1] == cols[j] + 1 && p.columnWidth(cols[j + 1]) == w)
                    ++j;
                Buffer d;
                d.u16(unsigned(cols[i]));
                d.u16(unsigned(cols[j]));
                d.u16(unsigned(std::min(0xFFFF, pixelsToWidth(w))));
                d.u16(FirstCellXf - 1);
                d.u16(w == 0 ? 0x0001 : 0x0000);
                d.u16(0);
                s.record(rCOLINFO, d);
                i = j + 1;
            }
        }
        {
            Buffer d;
            d.u32(0);
            d.u32(quint32(p.rowCount()));
            d.u16(0);
            d.u16(unsigned(p.columnCount()));
            d.u16(0);
            s.record(rDIMENSIONS, d);
        }
        {
            std::vector<int> rows = keysOf(p.rowHeights());
            std::sort(rows.begin(), rows.end());
            for (int r : rows) {
                const int h = p.rowHeight(r);
                Buffer d;
                d.u16(unsigned(r));
                d.u16(0);
                d.u16(0);
                d.u16(unsigned(std::min(0x7FFF, pixelsToTwips(h))));
                d.u16(0);
                d.u16(0);
                d.u16(0x0100 | 0x40 | (h == 0 ? 0x20 : 0));
                d.u16(FirstCellXf - 1);
                s.record(rROW, d);
            }
        }
        Buffer cell;
        p.forEachCell([&](int row, const Cell &c) {
            const int xfi = m_xfOfStyle[c.style < m_xfOfStyle.size() ? c.style : 0];
            cell.bytes.clear();
            cell.u16(unsigned(row));
            cell.u16(c.col);
            cell.u16(unsigned(xfi));
            if (c.kind == CellKind::Number && std::isfinite(c.number)) {
                cell.f64(c.number);
                s.record(rNUMBER, cell);
            } else if (!c.text.isEmpty()) {
                cell.u32(sst(c.text));
                s.record(rLABELSST, cell);
            } else if (c.style != 0) {
                s.record(rBLANK, cell);
            }
        });
        {
            Buffer d;
            d.u16(active ? 0x06B6 : 0x00B6);
            d.u16(0);
            d.u16(0);
            d.u32(64);
            d.u16(0);
            d.u16(0);
            d.u32(0);
            s.record(rWINDOW2, d);
        }
        {
            const QPoint a = p.activeCell();
            Buffer d;
            d.u8(3);
            d.u16(unsigned(a.y()));
            d.u16(unsigned(a.x()));
            d.u16(0);
            d.u16(1);
            d.u16(unsigned(a.y()));
            d.u16(unsigned(a.y()));
            d.u8(unsigned(a.x()));
            d.u8(unsigned(a.x()));
            s.record(rSELECTION, d);
        }
        const QList<QRect> &m = p.mergedRanges();
        for (qsizetype at = 0; at < m.size(); at += 1026) {
            const qsizetype n = std::min<qsizetype>(1026, m.size() - at);
            Buffer d;
            d.u16(unsigned(n));
            for (qsizetype k = at; k < at + n; ++k) {
                d.u16(unsigned(m[k].top()));
                d.u16(unsigned(m[k].bottom()));
                d.u16(unsigned(m[k].left()));
                d.u16(unsigned(m[k].right()));
            }
            s.record(rMERGEDCELLS, d);
        }
        eof(s);
        return s;
    }

    static QByteArray container(const Buffer &stream)
    {
        static const bool inited = [] {
            gsf_init();
            return true;
        }();
        (void)inited;
        GsfOutput *mem = gsf_output_memory_new();
        GsfOutfile *ole = gsf_outfile_msole_new(mem);
        bool ok = ole != nullptr;
        if (ok) {
            GsfOutput *child = gsf_outfile_new_child(ole, "Workbook", FALSE);
            ok = child && gsf_output_write(child, stream.size(), stream.bytes.data());
            if (child) {
                ok = gsf_output_close(child) && ok;
                g_object_unref(child);
            }
            ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
            g_object_unref(ole);
        }
        QByteArray out;
        if (ok) {
            const guint8 *bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem));
            out = QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(gsf_output_size(mem)));
        }
        if (!gsf_output_is_closed(mem))
            gsf_output_close(mem);
        g_object_unref(mem);
        if (!ok || out.isEmpty())
            throw XlsError(QStringLiteral("The OLE2 container could not be built"));
        return out;
    }

    const Workbook &m_book;
    std::vector<QRgb> m_palette;
    std::vector<bool> m_paletteUsed;
    bool m_paletteChanged = false;
    std::vector<FontKey> m_fonts;
    QHash<FontKey, int> m_fontIndex;
    QHash<QString, int> m_formatIndex;
    std::vector<QString> m_formatOrder;
    std::vector<CellStyle> m_cellXfs;
    std::vector<int> m_xfOfStyle;
    QHash<QString, quint32> m_sstIndex;
    std::vector<QString> m_sstStrings;
    quint32 m_sstTotal = 0;
};

} // namespace

QByteArray XlsWriter::toBytes(const Workbook &book) { return Writer(book).run(); }

void XlsWriter::writeFile(const Workbook &book, const QString &path)
{
    const QByteArray bytes = toBytes(book);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw XlsError(QStringLiteral("Cannot write \"%1\": %2").arg(path, f.errorString()));
    if (f.write(bytes) != bytes.size() || !f.commit())
        throw XlsError(QStringLiteral("Cannot write \"%1\": %2").arg(path, f.errorString()));
}
