#include "lumora/PocFile.h"

#include <QFile>
#include <QSaveFile>
// The packaged header holds its template bodies behind this switch.
#ifndef SI_IMPLEMENTATION
#define SI_IMPLEMENTATION
#endif
#include <SimpleIni.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora {
namespace {

const char *const kSection = "LMPOC";
const char *const kPinKeys[8] = {"PIN0", "PIN1", "PIN2", "PIN3", "PIN4", "PIN5", "PIN6", "PIN7"};
const char *const kReverseKey = "RM";

int lastError(int fallback = EIO) { return errno != 0 ? errno : fallback; }

// The whole file, or nullopt when it does not exist. Plain POSIX calls so
// that the error code is the system's own.
std::optional<std::string> readWhole(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    errno = 0;
    // Non-blocking so that a FIFO chosen by mistake cannot hang the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw PocFileError(lastError());
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw PocFileError(lastError());
    if (S_ISDIR(st.st_mode))
        throw PocFileError(EISDIR);
    // Devices and pipes are no configuration files (and may never end).
    if (!S_ISREG(st.st_mode))
        throw PocFileError(EINVAL);
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw PocFileError(lastError());
        }
        if (n == 0)
            break;
        if (qint64(data.size()) + n > kPocMaxFileSize)
            throw PocFileError(EFBIG);
        data.append(buf, size_t(n));
    }
    return data;
}

void setUp(CSimpleIniA &ini)
{
    ini.SetUnicode(true);
    // "KEY=value", as INI files are commonly written.
    ini.SetSpaces(false);
}

void parse(CSimpleIniA &ini, const std::string &data)
{
    setUp(ini);
    // Repeated keys: the first one counts, as INI readers commonly do.
    ini.SetMultiKey(true);
    if (ini.LoadData(data) < 0)
        throw PocFileError(ENOMEM); // the only way the loader fails on bytes
}

// A decimal integer as INI readers take it; `def` when it is not one.
long readInt(const CSimpleIniA &ini, const char *key, long def)
{
    const char *v = ini.GetValue(kSection, key, nullptr);
    if (!v)
        return def;
    bool ok = false;
    const int n = QByteArray(v).trimmed().toInt(&ok, 10);
    return ok ? n : def;
}

} // namespace

std::optional<PocData> LoadPoc(const QString &path)
{
    const std::optional<std::string> data = readWhole(path);
    if (!data)
        return std::nullopt;
    CSimpleIniA ini;
    parse(ini, *data);
    if (ini.GetSection(kSection) == nullptr)
        return std::nullopt;
    PocData poc;
    for (int k = 0; k < 8; ++k) {
        const quint8 v = quint8(readInt(ini, kPinKeys[k], 255));
        if (v > 7)
            return std::nullopt;
        poc.pins[k] = v;
    }
    poc.reverseMode = quint8(readInt(ini, kReverseKey, 0)) != 0 ? 1 : 0;
    return poc;
}

void SavePoc(const QString &path, const PocData &data)
{
    CSimpleIniA ini;
    if (const std::optional<std::string> old = readWhole(path))
        parse(ini, *old);
    else
        setUp(ini);
    // Removing ours first writes them in their order even where an old file
    // had them scattered or repeated; the section keeps its place.
    for (const char *key : kPinKeys)
        ini.Delete(kSection, key);
    ini.Delete(kSection, kReverseKey);
    for (int k = 0; k < 8; ++k)
        ini.SetLongValue(kSection, kPinKeys[k], data.pins[k]);
    ini.SetLongValue(kSection, kReverseKey, data.reverseMode);

    std::string out;
    if (ini.Save(out, false) < 0)
        throw PocFileError(ENOMEM);

    // The saver would replace a read-only file without a word; ask the system
    // first so its own code is reported.
    const QByteArray name = QFile::encodeName(path);
    errno = 0;
    if (::access(name.constData(), F_OK) == 0 && ::access(name.constData(), W_OK) != 0)
        throw PocFileError(lastError(EACCES));
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw PocFileError(lastError());
    errno = 0;
    if (file.write(out.data(), qint64(out.size())) != qint64(out.size())) {
        const int code = lastError();
        file.cancelWriting();
        throw PocFileError(code);
    }
    errno = 0;
    if (!file.commit())
        throw PocFileError(lastError());
}

} // namespace lumora
