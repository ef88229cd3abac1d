#include "app/Settings.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <SimpleIni.h>
#include <string>

namespace {

// Larger files are not settings files; they are treated as absent rather
// than read into memory.
constexpr qint64 kMaxIniSize = 4 * 1024 * 1024;

bool readIni(const QString &path, CSimpleIniA &ini)
{
    QFile f(path);
    if (!f.exists() || f.size() > kMaxIniSize || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    if (data.contains('\0'))
        return false;
    return ini.LoadData(data.constData(), size_t(data.size())) >= 0;
}

QString value(const CSimpleIniA &ini, const char *section, const char *key, const QString &def)
{
    const char *v = ini.GetValue(section, key, nullptr);
    return v ? QString::fromUtf8(v) : def;
}

} // namespace

QString programFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void TSettings::LoadSettings()
{
    DBPath = ImportPath = LogPath = ProgramFolder;
    SysImportEnable = false;
    // Repeated keys are all kept; the first one counts, as INI readers
    // usually have it.
    CSimpleIniA ini(false, true);
    ini.SetSpaces(false);
    if (!readIni(iniFile(), ini))
        return;
    DBPath = value(ini, "Options", "DBPath", ProgramFolder);
    ImportPath = value(ini, "Options", "ImportPath", ProgramFolder);
    LogPath = value(ini, "Options", "LogPath", ProgramFolder);
    bool ok = false;
    const int v = value(ini, "SysImport", "SysImportEnable", QString()).trimmed().toInt(&ok);
    SysImportEnable = ok && v != 0;
}

bool TSettings::SaveSettings(QString *error) const
{
    CSimpleIniA ini(false, true);
    ini.SetSpaces(false);
    // A file that could not be read as settings is replaced, not merged into.
    if (!readIni(iniFile(), ini))
        ini.Reset();
    ini.SetValue("Options", "DBPath", DBPath.toUtf8().constData(), nullptr, true);
    ini.SetValue("Options", "ImportPath", ImportPath.toUtf8().constData(), nullptr, true);
    ini.SetValue("Options", "LogPath", LogPath.toUtf8().constData(), nullptr, true);
    std::string out;
    if (ini.Save(out) < 0) {
        if (error)
            *error = QStringLiteral("cannot format the settings");
        return false;
    }
    QSaveFile f(iniFile());
    if (!f.open(QIODevice::WriteOnly) || f.write(out.data(), qint64(out.size())) != qint64(out.size())
        || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}
