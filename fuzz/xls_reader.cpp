// Any byte string must load or fail with XlsError: no crash, no hang, no
// unbounded allocation.
#include "sheet/Workbook.h"
#include "sheet/XlsError.h"
#include "sheet/XlsReader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// libgsf leaks a few directory entries when it gives up on some damaged
// containers; those leaks are in the library, not in the reader.
extern "C" const char *__lsan_default_suppressions() { return "leak:libgsf-1.so\nleak:libglib-2.0.so\n"; }

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
