#pragma once
// Making catalogue files. The schema script is the one definition of a
// catalogue; the demo catalogue and every test catalogue are built from it.

#include "FbClient.h"

#include <QString>

namespace catalogue {

// The schema script and the demo rows, as built into the program.
QString schemaScript();
QString demoScript();

// Creates FILE as a new catalogue (with the demo rows when `demo`). Throws
// when FILE exists or the engine fails; a half-made file is removed.
void createCatalogue(const QString &file, bool demo = false, const fb::CreateOptions &options = {});

} // namespace catalogue
