#pragma once
// BIFF8 (Excel 97-2003) reader over the OLE2 container.

#include <QByteArray>
#include <QString>

class Workbook;

namespace XlsReader {
// Reads the file into `book` (which should be fresh). Throws XlsError.
void readFile(const QString &path, Workbook &book);
// Reads an .xls file held in memory. Throws XlsError.
void readBytes(const QByteArray &data, Workbook &book);
} // namespace XlsReader
