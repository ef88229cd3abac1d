// Pin-out file reading on arbitrary bytes, and the promise of saving: after a
// save into any existing file, loading gives back exactly what was saved.
#include "lumora/PocFile.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// One scratch file per process, removed when the run ends.
struct Scratch {
    QString path = QStringLiteral("/tmp/fuzz_poc_%1.poc").arg(::getpid());
    ~Scratch() { QFile::remove(path); }
};

QString scratch()
{
    static const Scratch s;
    return s.path;
}

void writeBytes(const uint8_t *data, size_t size)
{
    QFile f(scratch());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char *>(data), qint64(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    writeBytes(data, size);
    try {
        if (const std::optional<lumora::PocData> poc = lumora::LoadPoc(scratch())) {
            for (int p : poc->pins)
                if (p < 0 || p > 7)
                    std::abort();
            if (poc->reverseMode != 0 && poc->reverseMode != 1)
                std::abort();
        }
    } catch (const lumora::PocFileError &) {
    }

    // A pin-out derived from the input, saved into the input file.
    lumora::PocData saved;
    for (int k = 0; k < 8; ++k)
        saved.pins[k] = size > size_t(k) ? data[k] % 8 : k;
    saved.reverseMode = size > 8 ? data[8] & 1 : 0;
    try {
        lumora::SavePoc(scratch(), saved);
    } catch (const lumora::PocFileError &) {
        return 0;
    }
    if (lumora::LoadPoc(scratch()) != saved)
        std::abort();
    return 0;
}
