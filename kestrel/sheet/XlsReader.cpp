#include "sheet/XlsReader.h"

#include "sheet/XlsError.h"
#include "sheet/Workbook.h"

#include <QFile>

// Placeholder until the BIFF8 decoder lands: every read fails cleanly.
void XlsReader::readBytes(const QByteArray &, Workbook &)
{
    throw XlsError::unreadable(QStringLiteral("reading is not available yet"));
}

void XlsReader::readFile(const QString &path, Workbook &book)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw XlsError::unreadable(f.errorString());
    readBytes(f.readAll(), book);
}
