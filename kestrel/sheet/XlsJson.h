#pragma once
// The workbook as JSON and one page as CSV, for xlstool and for tests.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

class Workbook;
class Page;

namespace XlsJson {
// {"activePage":n,"pages":[{"caption","activeCell":[c,r],"defaultColumnWidth",
//  "defaultRowHeight","columnWidths":{"c":px},"rowHeights":{"r":px},
//  "merged":[[c1,r1,c2,r2]],"cells":[{"col","row","ref","text","type",
//  "number"?,"style"?:{...}}]}]}
QJsonObject toJson(const Workbook &book);
// Builds the workbook from that JSON; throws XlsError on a malformed document.
void fromJson(const QJsonObject &json, Workbook &book);
// "A1"-style address of a cell.
QString cellRef(int col, int row);
// The page as CSV: rows 0..rowCount-1, columns 0..columnCount-1, fields
// quoted when they hold a comma, quote or line break.
QByteArray toCsv(const Page &page);
} // namespace XlsJson
