#pragma once
// BIFF8 (Excel 97-2003) writer into an OLE2 container.

#include <QByteArray>
#include <QString>

class Workbook;

namespace XlsWriter {
// The whole file as bytes. Throws XlsError.
QByteArray toBytes(const Workbook &book);
// Writes through a temporary file and a rename, so a failed save leaves an
// existing file whole. Throws XlsError.
void writeFile(const Workbook &book, const QString &path);
} // namespace XlsWriter
