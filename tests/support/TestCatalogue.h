#pragma once
// Throw-away catalogues for database tests, made from the catalogue schema
// (the same script the program ships). The first request of a test program
// builds a template once; each catalogue after that is a copy of it.
// Link the test folder with kl_testcatalogue to use this.

#include <QString>
#include <QStringList>

namespace testdb {

// Makes DIR/NAME as a fresh catalogue (with the demo rows when `demo`),
// then runs `sql`, one statement each, and returns the path.
QString makeCatalogue(const QString &dir, const QString &name = QStringLiteral("catalogue.fdb"), bool demo = false,
                      const QStringList &sql = {});

// Runs statements against a catalogue file, each in a transaction of its own.
void runSql(const QString &file, const QStringList &sql);

// The single value of the first row of a query (NULL as an empty text).
QString queryValue(const QString &file, const QString &select);

} // namespace testdb
