#include "sheet/XlsReader.h"

#include "sheet/Workbook.h"
#include "sheet/XlsBiff.h"
#include "sheet/XlsError.h"
#include "sheet/XlsFormat.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <gsf/gsf-infile-impl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <vector>

using namespace biff;

namespace {

[[noreturn]] void fail(const QString &why) { throw XlsError::unreadable(why); }

QString hex(unsigned v) { return QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0')).toUpper().replace(u'X', u'x'); }

// ---- OLE2 container ----

template <class T>
struct GObjectPtr {
    T *p = nullptr;
    explicit GObjectPtr(T *ptr = nullptr) : p(ptr) {}
    ~GObjectPtr()
    {
        if (p)
            g_object_unref(p);
    }
    GObjectPtr(const GObjectPtr &) = delete;
    GObjectPtr &operator=(const GObjectPtr &) = delete;
};

// The Workbook stream of the container, copied out.
QByteArray workbookStream(const QByteArray &file)
{
    static const unsigned char oleMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (file.isEmpty())
        fail(QStringLiteral("the file is empty"));
    const auto *b = reinterpret_cast<const unsigned char *>(file.constData());
    if (file.size() < 8 || std::memcmp(b, oleMagic, 8) != 0) {
        if (file.size() >= 4 && (u16(b) == 0x0009 || u16(b) == 0x0209 || u16(b) == 0x0409 || u16(b) == 0x0809))
            fail(QStringLiteral("it is an Excel 2.x to 4.0 file, which is older than Excel 97"));
        if (file.startsWith("PK\x03\x04"))
            fail(QStringLiteral("it is a zip archive (an .xlsx file?), not an Excel 97 file"));
        fail(QStringLiteral("it has no OLE2 compound document header"));
    }
    static const bool inited = [] {
        gsf_init();
        // A damaged container is reported through our own error; libgsf's
        // console warnings about it would only be noise.
        for (const char *domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE),
                              [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {}, nullptr);
        return true;
    }();
    (void)inited;

    GObjectPtr<GsfInput> input(
        gsf_input_memory_new(reinterpret_cast<const guint8 *>(file.constData()), file.size(), FALSE));
    if (!input.p)
        fail(QStringLiteral("its container cannot be opened"));
    GError *err = nullptr;
    GObjectPtr<GsfInfile> ole(gsf_infile_msole_new(input.p, &err));
    if (!ole.p) {
        const QString msg = err ? QString::fromUtf8(err->message) : QStringLiteral("unknown error");
        if (err)
            g_error_free(err);
        fail(QStringLiteral("its OLE2 container is damaged (%1)").arg(msg));
    }
    int workbookIndex = -1;
    bool biff5 = false;
    const int n = gsf_infile_num_children(ole.p);
    for (int i = 0; i < n; ++i) {
        const char *name = gsf_infile_name_by_index(ole.p, i);
        if (!name)
            continue;
        const QString s = QString::fromUtf8(name);
        if (s.compare(u"Workbook", Qt::CaseInsensitive) == 0)
            workbookIndex = i;
        else if (s.compare(u"Book", Qt::CaseInsensitive) == 0)
            biff5 = true;
    }
    if (workbookIndex < 0) {
        if (biff5)
            fail(QStringLiteral("it is an Excel 5.0/95 file (BIFF5), which is older than Excel 97"));
        fail(QStringLiteral("its container holds no Workbook stream"));
    }
    // Through the class so that the reason comes back as an error, not a console warning.
    auto *cls = G_TYPE_CHECK_CLASS_CAST(G_OBJECT_GET_CLASS(ole.p), GSF_INFILE_TYPE, GsfInfileClass);
    GObjectPtr<GsfInput> stream(cls->child_by_index(ole.p, workbookIndex, &err));
    if (!stream.p) {
        const QString msg = err ? QString::fromUtf8(err->message) : QStringLiteral("unknown error");
        if (err)
            g_error_free(err);
        fail(QStringLiteral("its Workbook stream cannot be opened (%1)").arg(msg));
    }
    const gsf_off_t size = gsf_input_size(stream.p);
    // The stream lives inside the file, so it cannot be larger than the file.
    if (size < 0 || size > gsf_off_t(file.size()))
        fail(QStringLiteral("its Workbook stream claims %1 bytes in a file of %2 bytes").arg(size).arg(file.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.p, size_t(size), reinterpret_cast<guint8 *>(out.data())))
        fail(QStringLiteral("its Workbook stream is cut short"));
    return out;
}

// ---- records ----

// One record with its CONTINUE fragments joined; `frags` are the offsets in
// `data` where each CONTINUE fragment starts.
struct Record {
    quint16 type = 0;
    size_t offset = 0; // of the header in the stream
    const unsigned char *data = nullptr;
    size_t size = 0;
    std::vector<size_t> frags;

    void need(size_t n) const
    {
        if (size < n)
            fail(QStringLiteral("record %1 at offset %2 has %3 bytes, fewer than the %4 it needs")
                     .arg(hex(type))
                     .arg(offset)
                     .arg(size)
                     .arg(n));
    }
    quint16 w(size_t at) const { return u16(data + at); }
    quint32 d(size_t at) const { return u32(data + at); }
    unsigned char b(size_t at) const { return data[at]; }
};

class RecordStream {
public:
    explicit RecordStream(const QByteArray &s)
        : m_p(reinterpret_cast<const unsigned char *>(s.constData())), m_size(size_t(s.size()))
    {
    }
    size_t size() const { return m_size; }
    size_t pos() const { return m_pos; }
    void seek(size_t pos) { m_pos = pos; }
    bool atEnd() const { return m_pos + 4 > m_size; }

    // Reads the next record; false at the end of the stream.
    bool next(Record &r)
    {
        if (atEnd())
            return false;
        r.offset = m_pos;
        r.type = u16(m_p + m_pos);
        size_t len = u16(m_p + m_pos + 2);
        if (len > m_size - m_pos - 4)
            fail(QStringLiteral("record %1 at offset %2 declares %3 bytes but the stream ends after %4")
                     .arg(hex(r.type))
                     .arg(m_pos)
                     .arg(len)
                     .arg(m_size - m_pos - 4));
        r.frags.clear();
        size_t after = m_pos + 4 + len;
        if (!continues(after)) {
            r.data = m_p + m_pos + 4;
            r.size = len;
            m_pos = after;
            return true;
        }
        m_buf.assign(m_p + m_pos + 4, m_p + after);
        while (continues(after)) {
            const size_t clen = u16(m_p + after + 2);
            if (clen > m_size - after - 4)
                fail(QStringLiteral("CONTINUE record at offset %1 declares %2 bytes but the stream ends after %3")
                         .arg(after)
                         .arg(clen)
                         .arg(m_size - after - 4));
            r.frags.push_back(m_buf.size());
            m_buf.insert(m_buf.end(), m_p + after + 4, m_p + after + 4 + clen);
            after += 4 + clen;
        }
        r.data = m_buf.data();
        r.size = m_buf.size();
        m_pos = after;
        return true;
    }

private:
    bool continues(size_t at) const { return at + 4 <= m_size && u16(m_p + at) == rCONTINUE; }

    const unsigned char *m_p;
    size_t m_size;
    size_t m_pos = 0;
    std::vector<unsigned char> m_buf;
};

// Reads a Unicode string (2-byte count, or 1-byte when `shortCount`) at
// `pos`. Character data that runs into the next CONTINUE fragment restarts
// with a fresh flag byte there.
QString readString(const Record &r, size_t &pos, bool shortCount, bool richAllowed)
{
    const size_t hdr = shortCount ? 2 : 3;
    if (pos + hdr > r.size)
        fail(QStringLiteral("a string in record %1 at offset %2 runs past the end of the record").arg(hex(r.type)).arg(r.offset));
    const size_t cch = shortCount ? r.b(pos) : r.w(pos);
    unsigned char flags = r.b(pos + (shortCount ? 1 : 2));
    pos += hdr;
    size_t runs = 0, ext = 0;
    if (richAllowed && (flags & 0x08)) {
        if (pos + 2 > r.size)
            fail(QStringLiteral("a string in record %1 at offset %2 runs past the end of the record").arg(hex(r.type)).arg(r.offset));
        runs = r.w(pos);
        pos += 2;
    }
    if (richAllowed && (flags & 0x04)) {
        if (pos + 4 > r.size)
            fail(QStringLiteral("a string in record %1 at offset %2 runs past the end of the record").arg(hex(r.type)).arg(r.offset));
        ext = r.d(pos);
        pos += 4;
    }
    bool wide = flags & 0x01;
    QString s(qsizetype(cch), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(s.data());
    size_t got = 0;
    // Characters that start right at a fragment start are preceded by a flag byte too.
    auto fragIt = std::lower_bound(r.frags.begin(), r.frags.end(), pos);
    while (got < cch) {
        size_t end = fragIt == r.frags.end() ? r.size : *fragIt;
        if (pos >= r.size)
            fail(QStringLiteral("a string in record %1 at offset %2 runs past the end of the record").arg(hex(r.type)).arg(r.offset));
        if (pos == end) { // at a fragment start inside the characters: new flag byte
            wide = r.b(pos) & 0x01;
            ++pos;
            ++fragIt;
            end = fragIt == r.frags.end() ? r.size : *fragIt;
            continue;
        }
        const size_t avail = (end - pos) / (wide ? 2 : 1);
        const size_t take = std::min(avail, cch - got);
        if (take == 0)
            fail(QStringLiteral("a string in record %1 at offset %2 splits a character").arg(hex(r.type)).arg(r.offset));
        const unsigned char *p = r.data + pos;
        if (wide) {
            for (size_t k = 0; k < take; ++k)
                out[got + k] = char16_t(p[2 * k] | p[2 * k + 1] << 8);
            pos += 2 * take;
        } else {
            for (size_t k = 0; k < take; ++k)
                out[got + k] = char16_t(p[k]);
            pos += take;
        }
        got += take;
    }
    // Formatting runs and phonetic data are not shown; skip them.
    const size_t skip = runs * 4 + ext;
    if (skip > r.size - std::min(pos, r.size))
        fail(QStringLiteral("a string in record %1 at offset %2 runs past the end of the record").arg(hex(r.type)).arg(r.offset));
    pos += skip;
    return s;
}

// ---- workbook globals ----

struct Font {
    QString name = QStringLiteral("Arial");
    int height = 200;
    bool bold = false, italic = false, underline = false, strike = false;
    int color = 0x7FFF;
};

struct Xf {
    int font = 0;
    int format = 0;
    quint32 style = 0; // index into the workbook's style table
    bool date = false;
    bool general = true;
    XlsFormat::NumberFormat numberFormat;
};

struct SheetEntry {
    QString name;
    quint32 offset = 0;
    int bookIndex = -1; // index of the page among the file's sheets
};

QColor paletteColor(int icv, const std::vector<QRgb> &palette)
{
    static const QRgb ega[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
    if (icv >= 0 && icv < 8)
        return QColor::fromRgb(ega[icv]);
    if (icv >= 8 && icv < 8 + int(palette.size()))
        return QColor::fromRgb(palette[size_t(icv - 8)]);
    return QColor(); // system colours and "automatic"
}

class Reader {
public:
    Reader(const QByteArray &stream, Workbook &book) : m_stream(stream), m_rs(m_stream), m_book(book) {}

    void run()
    {
        m_book.clearAll();
        readGlobals();
        m_book.setDate1904(m_date1904);
        buildStyles();
        // Sheets may not share records: otherwise a few bytes could be read
        // again for every sheet that points into them.
        std::vector<std::pair<size_t, size_t>> read; // [start, end) of each sheet
        for (const SheetEntry &e : m_sheets) {
            for (const auto &[start, end] : read) {
                if (e.offset == start)
                    fail(QStringLiteral("two sheets start at the same offset %1").arg(e.offset));
                if (e.offset > start && e.offset < end)
                    fail(QStringLiteral("sheet \"%1\" starts inside another sheet").arg(e.name));
            }
            Page &page = m_book.addPage(e.name);
            readSheet(e, page);
            const size_t end = m_rs.pos();
            for (const auto &r : read)
                if (r.first > e.offset && r.first < end)
                    fail(QStringLiteral("sheet \"%1\" runs into another sheet").arg(e.name));
            read.emplace_back(e.offset, end);
        }
        if (m_book.pageCount() == 0)
            fail(QStringLiteral("it holds no worksheet"));
        int active = 0;
        for (int i = 0; i < int(m_sheets.size()); ++i)
            if (m_sheets[size_t(i)].bookIndex == m_activeTab)
                active = i;
        m_book.setActivePageIndex(active);
    }

private:
    void readGlobals()
    {
        Record r;
        if (!m_rs.next(r))
            fail(QStringLiteral("its Workbook stream is empty"));
        checkBof(r, BofGlobals);
        int sheetNo = 0;
        bool eof = false;
        while (!eof && m_rs.next(r)) {
            switch (r.type) {
            case rEOF:
                eof = true;
                break;
            case rFILEPASS:
                fail(QStringLiteral("it is protected by a password (encrypted)"));
            case rDATEMODE:
                r.need(2);
                m_date1904 = r.w(0) != 0;
                break;
            case rWINDOW1:
                r.need(12);
                m_activeTab = r.w(10);
                break;
            case rFONT: {
                r.need(16);
                Font f;
                f.height = r.w(0);
                f.italic = r.w(2) & 0x02;
                f.strike = r.w(2) & 0x08;
                f.color = r.w(4);
                f.bold = r.w(6) >= 700;
                f.underline = r.b(10) != 0;
                size_t pos = 14;
                f.name = readString(r, pos, true, false);
                m_fonts.push_back(f);
                break;
            }
            case rFORMAT: {
                r.need(5);
                const int idx = r.w(0);
                size_t pos = 2;
                m_formats.insert(idx, readString(r, pos, false, false));
                break;
            }
            case rXF: {
                r.need(20);
                Xf x;
                x.font = r.w(0);
                x.format = r.w(2);
                m_xfRaw.push_back(std::vector<unsigned char>(r.data, r.data + 20));
                m_xfs.push_back(x);
                break;
            }
            case rPALETTE: {
                r.need(2);
                const size_t n = std::min<size_t>(r.w(0), (r.size - 2) / 4);
                for (size_t i = 0; i < n && i < m_palette.size(); ++i) {
                    const unsigned char *p = r.data + 2 + 4 * i;
                    m_palette[i] = qRgb(p[0], p[1], p[2]);
                }
                break;
            }
            case rBOUNDSHEET: {
                r.need(8);
                SheetEntry e;
                e.offset = r.d(0);
                const unsigned char kind = r.b(5);
                size_t pos = 6;
                e.name = readString(r, pos, true, false);
                e.bookIndex = sheetNo++;
                if (kind == 0) // worksheets; charts and macro sheets are not shown
                    m_sheets.push_back(e);
                break;
            }
            case rSST:
                readSst(r);
                break;
            case rBOF:
                skipSubstream();
                break;
            default:
                break;
            }
        }
        if (!eof)
            fail(QStringLiteral("its workbook globals end without an EOF record"));
    }

    void checkBof(const Record &r, quint16 expectedKind)
    {
        if (r.type == 0x0009 || r.type == 0x0209 || r.type == 0x0409)
            fail(QStringLiteral("it is an Excel 2.x to 4.0 file, which is older than Excel 97"));
        if (r.type != rBOF)
            fail(QStringLiteral("the record at offset %1 is %2, not the BOF that must start a substream").arg(r.offset).arg(hex(r.type)));
        r.need(4);
        const quint16 version = r.w(0);
        if (version != Biff8Version) {
            if (version == 0x0500 || version == 0x0400 || version == 0x0300 || version == 0x0200)
                fail(QStringLiteral("it is an Excel 5.0/95 or older file (BIFF version %1)").arg(hex(version)));
            fail(QStringLiteral("its BOF record at offset %1 has the unknown version %2").arg(r.offset).arg(hex(version)));
        }
        if (r.w(2) != expectedKind && expectedKind == BofGlobals)
            fail(QStringLiteral("its first substream is not the workbook globals (kind %1)").arg(hex(r.w(2))));
    }

    // Skips an embedded substream (a chart inside a sheet) up to its EOF.
    void skipSubstream()
    {
        Record r;
        int depth = 1;
        while (depth > 0 && m_rs.next(r)) {
            if (r.type == rBOF)
                ++depth;
            else if (r.type == rEOF)
                --depth;
        }
    }

    void readSst(const Record &r)
    {
        r.need(8);
        const size_t declared = r.d(4);
        // Counts may lie: reserve no more than the bytes can hold.
        m_sst.reserve(std::min(declared, r.size / 3));
        size_t pos = 8;
        while (m_sst.size() < declared && pos < r.size)
            m_sst.push_back(readString(r, pos, false, true));
    }

    void buildStyles()
    {
        if (m_fonts.empty())
            m_fonts.push_back(Font());
        if (m_xfs.empty()) {
            m_xfs.push_back(Xf());
            m_xfRaw.push_back(std::vector<unsigned char>(20, 0));
        }
        for (size_t i = 0; i < m_xfs.size(); ++i) {
            Xf &x = m_xfs[i];
            const auto &raw = m_xfRaw[i];
            const int fi = x.font < 4 ? x.font : x.font - 1; // font index 4 does not exist
            const Font &f = m_fonts[fi >= 0 && fi < int(m_fonts.size()) ? size_t(fi) : 0];
            CellStyle s;
            s.fontName = f.name;
            s.fontHeight = f.height;
            s.bold = f.bold;
            s.italic = f.italic;
            s.underline = f.underline;
            s.strikeOut = f.strike;
            s.fontColor = paletteColor(f.color, m_palette);
            const unsigned char align = raw[6];
            const int h = align & 0x07;
            s.hAlign = h <= 6 ? HAlign(h) : HAlign::General;
            s.wrap = align & 0x08;
            const int v = (align >> 4) & 0x07;
            s.vAlign = v <= 3 ? VAlign(v) : VAlign::Bottom;
            const quint32 fill = u32(raw.data() + 14);
            const int pattern = int(fill >> 26);
            const int fore = u16(raw.data() + 18) & 0x7F;
            if (pattern != 0)
                s.fillColor = paletteColor(fore, m_palette);
            QString code = XlsFormat::builtinFormat(x.format);
            if (m_formats.contains(x.format))
                code = m_formats.value(x.format);
            // Spreadsheets keep codes to 255 characters; a longer one would
            // copy its literals into every cell that uses it.
            if (code.isEmpty() || code.size() > 255)
                code = QStringLiteral("General");
            s.numberFormat = code;
            x.numberFormat = XlsFormat::NumberFormat(code);
            x.general = code.compare(u"General", Qt::CaseInsensitive) == 0;
            x.date = !x.general && XlsFormat::isDateFormat(code);
            x.style = m_book.styleIndex(s); // a default-looking style gets index 0
        }
    }

    const Xf &xf(int i) const { return m_xfs[i >= 0 && i < int(m_xfs.size()) ? size_t(i) : 0]; }

    QString showNumber(double v, const Xf &x)
    {
        if (x.general)
            return XlsFormat::formatGeneral(v, m_locale);
        return x.numberFormat.format(v, m_locale, m_date1904);
    }

    static double rkValue(quint32 rk)
    {
        double v;
        if (rk & 0x02) {
            v = double(qint32(rk) >> 2);
        } else {
            const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
            std::memcpy(&v, &bits, 8);
        }
        return (rk & 0x01) ? v / 100.0 : v;
    }

    void putNumber(Page &p, int row, int col, int xfi, double v)
    {
        if (col >= Page::MaxCols)
            return;
        const Xf &x = xf(xfi);
        Cell c;
        c.col = quint16(col);
        c.kind = CellKind::Number;
        c.number = v;
        c.style = x.style;
        c.text = showNumber(v, x);
        p.putCell(row, std::move(c));
    }

    void putText(Page &p, int row, int col, int xfi, const QString &text, CellKind kind = CellKind::Text)
    {
        if (col >= Page::MaxCols)
            return;
        Cell c;
        c.col = quint16(col);
        c.kind = text.isEmpty() ? CellKind::Empty : kind;
        c.style = xf(xfi).style;
        c.text = text;
        if (c.kind == CellKind::Empty && c.style == 0)
            return;
        p.putCell(row, std::move(c));
    }

    void putBlank(Page &p, int row, int col, int xfi)
    {
        if (col >= Page::MaxCols || xf(xfi).style == 0)
            return;
        if (const Cell *existing = p.findCell(col, row); existing && !existing->text.isEmpty())
            return;
        Cell c;
        c.col = quint16(col);
        c.style = xf(xfi).style;
        p.putCell(row, std::move(c));
    }

    void readSheet(const SheetEntry &e, Page &page)
    {
        if (e.offset >= m_rs.size())
            fail(QStringLiteral("sheet \"%1\" starts at offset %2, past the end of the stream (%3 bytes)")
                     .arg(e.name)
                     .arg(e.offset)
                     .arg(m_rs.size()));
        m_rs.seek(e.offset);
        Record r;
        if (!m_rs.next(r))
            fail(QStringLiteral("sheet \"%1\" has no records").arg(e.name));
        checkBof(r, BofWorksheet);
        bool selectionSet = false;
        int pendingRow = -1, pendingCol = -1, pendingXf = 0; // a formula waiting for its STRING
        bool eof = false;
        while (!eof && m_rs.next(r)) {
            switch (r.type) {
            case rEOF:
                eof = true;
                break;
            case rBOF:
                skipSubstream();
                break;
            case rLABELSST: {
                r.need(10);
                const quint32 idx = r.d(6);
                if (idx >= m_sst.size())
                    fail(QStringLiteral("a cell at offset %1 uses shared string %2 but the table holds %3")
                             .arg(r.offset)
                             .arg(idx)
                             .arg(m_sst.size()));
                putText(page, r.w(0), r.w(2), r.w(4), m_sst[idx]);
                break;
            }
            case rLABEL:
            case rRSTRING: {
                r.need(9);
                size_t pos = 6;
                putText(page, r.w(0), r.w(2), r.w(4), readString(r, pos, false, false));
                break;
            }
            case rNUMBER:
                r.need(14);
                putNumber(page, r.w(0), r.w(2), r.w(4), f64(r.data + 6));
                break;
            case rRK:
                r.need(10);
                putNumber(page, r.w(0), r.w(2), r.w(4), rkValue(r.d(6)));
                break;
            case rMULRK: {
                r.need(6);
                const int row = r.w(0), first = r.w(2);
                const size_t n = (r.size - 6) / 6;
                for (size_t k = 0; k < n; ++k)
                    putNumber(page, row, first + int(k), r.w(4 + 6 * k), rkValue(r.d(6 + 6 * k)));
                break;
            }
            case rBLANK:
                r.need(6);
                putBlank(page, r.w(0), r.w(2), r.w(4));
                break;
            case rMULBLANK: {
                r.need(6);
                const int row = r.w(0), first = r.w(2);
                const size_t n = (r.size - 6) / 2;
                for (size_t k = 0; k < n; ++k)
                    putBlank(page, row, first + int(k), r.w(4 + 2 * k));
                break;
            }
            case rBOOLERR: {
                r.need(8);
                const unsigned v = r.b(6);
                if (r.b(7))
                    putText(page, r.w(0), r.w(2), r.w(4), QString::fromLatin1(errorText(v)), CellKind::Error);
                else
                    putText(page, r.w(0), r.w(2), r.w(4), v ? QStringLiteral("TRUE") : QStringLiteral("FALSE"),
                            CellKind::Boolean);
                break;
            }
            case rFORMULA: {
                r.need(20);
                const int row = r.w(0), col = r.w(2), xfi = r.w(4);
                if (r.w(12) != 0xFFFF) {
                    putNumber(page, row, col, xfi, f64(r.data + 6));
                    break;
                }
                switch (r.b(6)) {
                case 0: // text follows in a STRING record
                    pendingRow = row;
                    pendingCol = col;
                    pendingXf = xfi;
                    break;
                case 1:
                    putText(page, row, col, xfi, r.b(8) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"),
                            CellKind::Boolean);
                    break;
                case 2:
                    putText(page, row, col, xfi, QString::fromLatin1(errorText(r.b(8))), CellKind::Error);
                    break;
                default:
                    break; // empty text
                }
                break;
            }
            case rSTRING:
                if (pendingRow >= 0) {
                    size_t pos = 0;
                    putText(page, pendingRow, pendingCol, pendingXf, readString(r, pos, false, false));
                    pendingRow = -1;
                }
                break;
            case rDEFCOLWIDTH:
                r.need(2);
                if (!m_standardWidthSeen)
                    page.setDefaultColumnWidth(defColWidthToPixels(r.w(0)));
                break;
            case rSTANDARDWIDTH:
                r.need(2);
                m_standardWidthSeen = true;
                page.setDefaultColumnWidth(widthToPixels(r.w(0)));
                break;
            case rCOLINFO: {
                r.need(10);
                const int first = r.w(0), last = std::min<int>(r.w(2), Page::MaxCols - 1);
                const int px = (r.w(8) & 0x01) ? 0 : widthToPixels(r.w(4));
                for (int c = first; c <= last; ++c)
                    page.setColumnWidth(c, px);
                break;
            }
            case rDEFAULTROWHEIGHT:
                r.need(4);
                if (!(r.w(0) & 0x02))
                    page.setDefaultRowHeight(twipsToPixels(r.w(2)));
                break;
            case rROW: {
                r.need(16);
                const int flags = r.w(12);
                if (flags & 0x20)
                    page.setRowHeight(r.w(0), 0);
                else if (flags & 0x40)
                    page.setRowHeight(r.w(0), twipsToPixels(r.w(6) & 0x7FFF));
                break;
            }
            case rMERGEDCELLS: {
                r.need(2);
                const size_t n = std::min<size_t>(r.w(0), (r.size - 2) / 8);
                for (size_t k = 0; k < n; ++k) {
                    const unsigned char *p = r.data + 2 + 8 * k;
                    const int r1 = u16(p), r2 = u16(p + 2), c1 = u16(p + 4), c2 = u16(p + 6);
                    if (r1 <= r2 && c1 <= c2 && c2 < Page::MaxCols)
                        page.addMergedRange(QRect(QPoint(c1, r1), QPoint(c2, r2)));
                }
                break;
            }
            case rSELECTION: {
                r.need(5);
                const int pane = r.b(0);
                if (!selectionSet || pane == 3) {
                    page.setActiveCell(u16(r.data + 3), u16(r.data + 1));
                    selectionSet = true;
                }
                break;
            }
            default:
                break;
            }
            // Only a STRING right after its FORMULA (records between are shared-formula data) belongs to it.
            if (r.type != rFORMULA && r.type != rSTRING && r.type != 0x04BC && r.type != 0x0221 && r.type != 0x0236)
                pendingRow = -1;
        }
        m_standardWidthSeen = false;
    }

    QByteArray m_stream;
    RecordStream m_rs;
    Workbook &m_book;
    QLocale m_locale;
    bool m_date1904 = false;
    bool m_standardWidthSeen = false;
    int m_activeTab = 0;
    std::vector<Font> m_fonts;
    std::vector<Xf> m_xfs;
    std::vector<std::vector<unsigned char>> m_xfRaw;
    QHash<int, QString> m_formats;
    std::vector<QString> m_sst;
    std::vector<SheetEntry> m_sheets;
    std::vector<QRgb> m_palette = [] {
        std::vector<QRgb> p;
        for (int i = 0; i < 56; ++i)
            p.push_back(standardPaletteColor(i).rgb());
        return p;
    }();
};

} // namespace

void XlsReader::readBytes(const QByteArray &data, Workbook &book)
{
    const QByteArray stream = workbookStream(data);
    Reader(stream, book).run();
}

void XlsReader::readFile(const QString &path, Workbook &book)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw XlsError(QStringLiteral("Cannot open \"%1\": %2").arg(path, f.errorString()));
    readBytes(f.readAll(), book);
}
