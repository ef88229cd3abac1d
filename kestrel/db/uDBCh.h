#pragma once
// Which catalogue files Kestrel accepts: the supported catalogue version and
// the exact set of user tables.

#include <QStringList>
#include <array>

inline constexpr int SupportedMajorVersion = 1;
inline constexpr int SupportedMinorVersion = 2;
inline constexpr int SupportedBuildVersion = 3;

// The user tables of a catalogue, each at most 64 characters.
inline constexpr std::array<const char *, 21> RequiredTableNames = {
    "CFG_LOCAL",       "SYS_VAR",    "T_BASE_PARAM",       "T_CASE",      "T_CLASS",         "T_ELEMENT_ANALOG",
    "T_ELEMENT_AVAIL", "T_ELEMENT_SUPPLIER", "T_ELEMENT_TYPE", "T_MAKER", "T_NOTE",          "T_PARAM",
    "T_PIN",           "T_PROJECT",  "T_PROJECT_ITEM",     "T_PSP",       "T_PSP_ITEM",      "T_STORAGE",
    "T_SUPPLIER",      "T_UNIT",     "T_FAVORITES",
};

// "1.2.3", for the status bar.
QString SupportedVersionText();

// True exactly for version 1.2.3.
bool CheckDBVersion(int major, int minor, int build);

// True exactly when `list` names the 21 required tables, each once, in any
// order and letter case. False for no list.
bool CheckDBTables(const QStringList *list);
