// Statement costs on an embedded catalogue, the way the imports use them:
// one transaction per row, the same few statement texts again and again.
//   bench_catalogue_statements --benchmark_counters_tabular=true

#include "db/CatalogueSchema.h"
#include "db/FbClient.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kInsertType = QStringLiteral(
    "EXECUTE PROCEDURE INSERT_ELEMENT_TYPE (:I_CLASSDBID, :I_CLASSID, :I_CASEDBID, :I_CASEID, :I_MAKERDBID, "
    ":I_MAKERID, :I_S_TYPENAME, :I_S_MARKING, :I_S_DESCRIPTION, :I_B_IMAGE, :I_S_DATASHEET, :I_V_FLAG, :I_C_TIMESTAMP)");
const QString kLookupType = QStringLiteral(
    "SELECT FIRST 1 SKIP 0 DBID, ID, S_TYPENAME FROM T_ELEMENT_TYPE WHERE UPCASE(S_TYPENAME) = :VAR_S_TYPENAME AND "
    "CLASSDBID = :VAR_CLASSDBID AND CLASSID = :VAR_CLASSID;");

struct Catalogue {
    QTemporaryDir dir;
    QString file = dir.filePath("bench.fdb");
    fb::Database db;
    fb::Transaction tr{db};
    fb::Query q{db, tr};
    Catalogue()
    {
        catalogue::createCatalogue(file, true, fb::CreateOptions{8192, false});
        db.open(file, "SYSDBA");
    }
    void insertType(const QString &name, const QString &sql = kInsertType)
    {
        q.setSql(sql);
        q.paramByName("I_CLASSDBID").setInteger(1);
        q.paramByName("I_CLASSID").setInteger(1);
        q.paramByName("I_S_TYPENAME").setString(name);
        q.paramByName("I_V_FLAG").setInteger(0);
        q.paramByName("I_C_TIMESTAMP").setTimestamp(QDateTime::currentDateTime());
        q.execute();
    }
    void fill(int count)
    {
        tr.start();
        for (int i = 0; i < count; ++i)
            insertType(QStringLiteral("TYPE-%1").arg(i));
        tr.commit();
    }
};

// A row of an import: look the type up, insert it when absent, commit.
void BM_ImportRow(benchmark::State &state)
{
    Catalogue c;
    c.fill(int(state.range(0)));
    const bool reprepare = state.range(1) != 0;
    int n = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("NEW-%1").arg(n++);
        c.tr.start();
        // A changed comment makes a new text, which has to be prepared again.
        const QString tag = reprepare ? QStringLiteral(" /* %1 */").arg(n) : QString();
        c.q.setSql(kLookupType + tag);
        c.q.paramByName("VAR_S_TYPENAME").setString(name.toUpper());
        c.q.paramByName("VAR_CLASSDBID").setInteger(1);
        c.q.paramByName("VAR_CLASSID").setInteger(1);
        c.q.open();
        const bool found = !c.q.eof();
        c.q.close();
        if (!found)
            c.insertType(name, kInsertType + tag);
        c.tr.commit();
    }
    state.counters["rows/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["prepares"] = c.db.prepareCount();
}
// Types already in the class; 0 = statements kept, 1 = prepared every time.
BENCHMARK(BM_ImportRow)->Args({1000, 0})->Args({1000, 1})->Args({20000, 0})->Unit(benchmark::kMicrosecond);

// The type lookup alone, in a class of many types, with and without the
// UPCASE expression index.
void BM_LookupType(benchmark::State &state)
{
    Catalogue c;
    c.fill(int(state.range(0)));
    if (state.range(1) == 0) {
        c.tr.start();
        c.db.executeImmediate(c.tr, "DROP INDEX IX_T_ELEMENT_TYPE_UPNAME");
        c.tr.commit();
    }
    c.tr.start();
    c.q.setSql(kLookupType);
    int n = 0;
    for (auto _ : state) {
        c.q.paramByName("VAR_S_TYPENAME").setString(QStringLiteral("TYPE-%1").arg(n++ % state.range(0)));
        c.q.paramByName("VAR_CLASSDBID").setInteger(1);
        c.q.paramByName("VAR_CLASSID").setInteger(1);
        c.q.open();
        if (c.q.eof())
            state.SkipWithError("type not found");
        c.q.close();
    }
    c.tr.commit();
}
// Types in the class; 1 = with the index, 0 = without.
BENCHMARK(BM_LookupType)->Args({20000, 1})->Args({20000, 0})->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
