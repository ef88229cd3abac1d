#pragma once
// The entries of the indicator's symbol menu, in menu order.
#include <QtGlobal>
#include <vector>

namespace lumora {

struct SymbolEntry {
    const char *submenu;    // "Digits", "Letters" or "Symbols"
    const char *caption;    // UTF-8
    const char *objectName; // pmi...
    quint8 pattern;
};

const std::vector<SymbolEntry> &SymbolEntries();

} // namespace lumora
