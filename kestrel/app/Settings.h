#pragma once
#include <QString>

// Program-wide settings, read from kestrel.ini in the program folder at start
// and (the three paths only) written back at exit.
struct TSettings {
    QString ProgramFolder; // ends with a separator
    QString DBPath;
    QString ImportPath;
    QString LogPath;
    bool SysImportEnable = false;

    QString iniFile() const { return ProgramFolder + QStringLiteral("kestrel.ini"); }

    // Missing, unreadable or broken files and keys give the defaults.
    void LoadSettings();
    // Writes the three paths; other sections, keys and comments of a file
    // that could be read are kept. Returns false with `error` set on failure.
    bool SaveSettings(QString *error = nullptr) const;
};

// The folder of the running executable, with a trailing separator.
QString programFolder();
