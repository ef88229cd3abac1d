#include "sheet/XlsJson.h"

#include "sheet/Workbook.h"
#include "sheet/XlsError.h"

#include <QJsonArray>

namespace {

const char *kindName(CellKind k)
{
    switch (k) {
    case CellKind::Text: return "text";
    case CellKind::Number: return "number";
    case CellKind::Boolean: return "boolean";
    case CellKind::Error: return "error";
    case CellKind::Empty: break;
    }
    return "empty";
}

const char *const kHAlign[] = {"general", "left", "center", "right", "fill", "justify", "centerAcross"};
const char *const kVAlign[] = {"top", "center", "bottom", "justify"};

QJsonObject styleJson(const CellStyle &s)
{
    const CellStyle d;
    QJsonObject o;
    if (s.fontName != d.fontName)
        o["font"] = s.fontName;
    if (s.fontHeight != d.fontHeight)
        o["fontHeight"] = s.fontHeight;
    if (s.bold)
        o["bold"] = true;
    if (s.italic)
        o["italic"] = true;
    if (s.underline)
        o["underline"] = true;
    if (s.strikeOut)
        o["strikeOut"] = true;
    if (s.fontColor.isValid())
        o["fontColor"] = s.fontColor.name();
    if (s.fillColor.isValid())
        o["fillColor"] = s.fillColor.name();
    if (s.hAlign != d.hAlign)
        o["hAlign"] = kHAlign[int(s.hAlign)];
    if (s.vAlign != d.vAlign)
        o["vAlign"] = kVAlign[int(s.vAlign)];
    if (s.wrap)
        o["wrap"] = true;
    if (s.numberFormat != d.numberFormat)
        o["format"] = s.numberFormat;
    return o;
}

[[noreturn]] void bad(const QString &why) { throw XlsError(QStringLiteral("Malformed workbook JSON: %1").arg(why)); }

QColor colorOf(const QJsonValue &v)
{
    if (v.isUndefined() || v.isNull())
        return QColor();
    const QColor c = QColor::fromString(v.toString());
    if (!c.isValid())
        bad(QStringLiteral("\"%1\" is not a colour").arg(v.toString()));
    return c;
}

template <size_t N>
int indexOf(const char *const (&names)[N], const QJsonValue &v, int fallback)
{
    if (v.isUndefined())
        return fallback;
    for (size_t i = 0; i < N; ++i)
        if (v.toString() == QLatin1String(names[i]))
            return int(i);
    bad(QStringLiteral("unknown alignment \"%1\"").arg(v.toString()));
}

CellStyle styleOf(const QJsonObject &o)
{
    CellStyle s;
    s.fontName = o.value("font").toString(s.fontName);
    s.fontHeight = o.value("fontHeight").toInt(s.fontHeight);
    s.bold = o.value("bold").toBool();
    s.italic = o.value("italic").toBool();
    s.underline = o.value("underline").toBool();
    s.strikeOut = o.value("strikeOut").toBool();
    s.fontColor = colorOf(o.value("fontColor"));
    s.fillColor = colorOf(o.value("fillColor"));
    s.hAlign = HAlign(indexOf(kHAlign, o.value("hAlign"), int(s.hAlign)));
    s.vAlign = VAlign(indexOf(kVAlign, o.value("vAlign"), int(s.vAlign)));
    s.wrap = o.value("wrap").toBool();
    s.numberFormat = o.value("format").toString(s.numberFormat);
    return s;
}

int intIn(const QJsonValue &v, int lo, int hi, const char *what)
{
    if (!v.isDouble())
        bad(QStringLiteral("%1 is missing or not a number").arg(QLatin1String(what)));
    const double d = v.toDouble();
    if (d < lo || d > hi || d != int(d))
        bad(QStringLiteral("%1 %2 is outside %3..%4").arg(QLatin1String(what)).arg(d).arg(lo).arg(hi));
    return int(d);
}

} // namespace

namespace XlsJson {

QString cellRef(int col, int row)
{
    QString letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

QJsonObject toJson(const Workbook &book)
{
    QJsonArray pages;
    for (int i = 0; i < book.pageCount(); ++i) {
        const Page &p = book.page(i);
        QJsonObject po;
        po["caption"] = p.caption();
        po["activeCell"] = QJsonArray{p.activeCell().x(), p.activeCell().y()};
        po["defaultColumnWidth"] = p.defaultColumnWidth();
        po["defaultRowHeight"] = p.defaultRowHeight();
        QJsonObject widths, heights;
        for (auto it = p.columnWidths().cbegin(); it != p.columnWidths().cend(); ++it)
            widths[QString::number(it.key())] = it.value();
        for (auto it = p.rowHeights().cbegin(); it != p.rowHeights().cend(); ++it)
            heights[QString::number(it.key())] = it.value();
        po["columnWidths"] = widths;
        po["rowHeights"] = heights;
        QJsonArray merged;
        for (const QRect &r : p.mergedRanges())
            merged.append(QJsonArray{r.left(), r.top(), r.right(), r.bottom()});
        po["merged"] = merged;
        QJsonArray cells;
        p.forEachCell([&](int row, const Cell &c) {
            QJsonObject co;
            co["col"] = c.col;
            co["row"] = row;
            co["ref"] = cellRef(c.col, row);
            co["text"] = c.text;
            co["type"] = kindName(c.kind);
            if (c.kind == CellKind::Number)
                co["number"] = c.number;
            const QJsonObject st = styleJson(book.style(c.style));
            if (!st.isEmpty())
                co["style"] = st;
            cells.append(co);
        });
        po["cells"] = cells;
        pages.append(po);
    }
    QJsonObject root;
    root["activePage"] = book.activePageIndex();
    if (book.date1904())
        root["date1904"] = true;
    root["pages"] = pages;
    return root;
}

void fromJson(const QJsonObject &json, Workbook &book)
{
    const QJsonArray pages = json.value("pages").toArray();
    if (pages.isEmpty())
        bad(QStringLiteral("no pages"));
    Workbook built;
    built.clearAll();
    for (const QJsonValue &pv : pages) {
        const QJsonObject po = pv.toObject();
        Page &p = built.addPage(po.value("caption").toString());
        if (po.contains("defaultColumnWidth"))
            p.setDefaultColumnWidth(intIn(po.value("defaultColumnWidth"), 0, 2000, "defaultColumnWidth"));
        if (po.contains("defaultRowHeight"))
            p.setDefaultRowHeight(intIn(po.value("defaultRowHeight"), 0, 600, "defaultRowHeight"));
        const QJsonObject widths = po.value("columnWidths").toObject();
        for (auto it = widths.begin(); it != widths.end(); ++it)
            p.setColumnWidth(intIn(QJsonValue(it.key().toDouble()), 0, Page::MaxCols - 1, "column"),
                             intIn(it.value(), 0, 2000, "column width"));
        const QJsonObject heights = po.value("rowHeights").toObject();
        for (auto it = heights.begin(); it != heights.end(); ++it)
            p.setRowHeight(intIn(QJsonValue(it.key().toDouble()), 0, Page::MaxRows - 1, "row"),
                           intIn(it.value(), 0, 600, "row height"));
        for (const QJsonValue &mv : po.value("merged").toArray()) {
            const QJsonArray m = mv.toArray();
            const int c1 = intIn(m.at(0), 0, Page::MaxCols - 1, "merge column"), r1 = intIn(m.at(1), 0, Page::MaxRows - 1, "merge row");
            const int c2 = intIn(m.at(2), 0, Page::MaxCols - 1, "merge column"), r2 = intIn(m.at(3), 0, Page::MaxRows - 1, "merge row");
            p.addMergedRange(QRect(QPoint(c1, r1), QPoint(c2, r2)));
        }
        for (const QJsonValue &cv : po.value("cells").toArray()) {
            const QJsonObject co = cv.toObject();
            const int col = intIn(co.value("col"), 0, Page::MaxCols - 1, "col");
            const int row = intIn(co.value("row"), 0, Page::MaxRows - 1, "row");
            const QString text = co.value("text").toString();
            if (co.value("type").toString() == u"number" && co.value("number").isDouble())
                p.setCellNumber(col, row, co.value("number").toDouble(), text);
            else
                p.setCellText(col, row, text);
            if (co.contains("style"))
                p.setCellStyle(col, row, styleOf(co.value("style").toObject()));
        }
        const QJsonArray ac = po.value("activeCell").toArray();
        if (ac.size() == 2)
            p.setActiveCell(intIn(ac.at(0), 0, Page::MaxCols - 1, "active column"),
                            intIn(ac.at(1), 0, Page::MaxRows - 1, "active row"));
    }
    built.setActivePageIndex(json.value("activePage").toInt(0));
    built.setDate1904(json.value("date1904").toBool());
    book.replaceWith(built);
}

QByteArray toCsv(const Page &page)
{
    QByteArray out;
    const int rows = page.rowCount(), cols = page.columnCount();
    int row = 0, col = 0; // where the next field goes
    auto endRow = [&] {
        for (; col < cols - 1; ++col)
            out += ',';
        out += '\n';
        ++row;
        col = 0;
    };
    page.forEachCell([&](int r, const Cell &cell) {
        if (r >= rows || cell.col >= cols || cell.text.isEmpty())
            return;
        while (row < r)
            endRow();
        for (; col < cell.col; ++col)
            out += ',';
        const QByteArray t = cell.text.toUtf8();
        bool quote = false;
        for (char ch : t)
            if (ch == ',' || ch == '"' || ch == '\n' || ch == '\r') {
                quote = true;
                break;
            }
        if (quote) {
            out += '"';
            for (char ch : t) {
                if (ch == '"')
                    out += '"';
                out += ch;
            }
            out += '"';
        } else {
            out += t;
        }
    });
    while (row < rows)
        endRow();
    return out;
}

} // namespace XlsJson
