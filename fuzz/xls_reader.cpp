// Any byte string must load or fail with XlsError: no crash, no hang, no
// unbounded allocation.
#include "sheet/Workbook.h"
#include "sheet/XlsError.h"
#include "sheet/XlsReader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Workbook book;
    try {
        XlsReader::readBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), book);
        // Touch what was read, as the grid would.
        for (int i = 0; i < book.pageCount(); ++i) {
            const Page &p = book.page(i);
            (void)p.rowCount();
            (void)p.columnCount();
        }
    } catch (const XlsError &) {
    }
    return 0;
}
