#include "sheet/XlsWriter.h"

#include "sheet/XlsError.h"
#include "sheet/Workbook.h"

// Placeholder until the BIFF8 encoder lands: every save fails cleanly.
QByteArray XlsWriter::toBytes(const Workbook &)
{
    throw XlsError(QStringLiteral("Saving is not available yet"));
}

void XlsWriter::writeFile(const Workbook &book, const QString &)
{
    toBytes(book);
}
