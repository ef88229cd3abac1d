// Load and save speed of the .xls codec on a 20,000 x 20 workbook of mixed
// text and numbers. `bench_xls_codec --make FILE.xls` writes that workbook
// for the whole-process comparisons of bench/compare_xls.sh.
#include "sheet/Workbook.h"
#include "sheet/XlsReader.h"
#include "sheet/XlsWriter.h"

#include <QCoreApplication>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr int Rows = 20000;
constexpr int Cols = 20;

void fill(Workbook &book)
{
    Page &p = book.page(0);
    p.setCaption("Data");
    CellStyle money;
    money.numberFormat = "#,##0.00";
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Cols; ++c) {
            switch (c % 4) {
            case 0: // text repeated down the column, like part families
                p.setCellText(c, r, QStringLiteral("Family %1-%2").arg(c).arg(r % 50));
                break;
            case 1: // unique text
                p.setCellText(c, r, QStringLiteral("RC%1/%2 %3 kOhm").arg(r).arg(c).arg(r * 7 % 1000));
                break;
            case 2: // integers
                p.setCellNumber(c, r, r * 10 + c, QString::number(r * 10 + c));
                break;
            default: { // decimals with a format
                const double v = r * 1.25 + c / 8.0;
                p.setCellNumber(c, r, v, QString::number(v, 'f', 2));
                p.setCellStyle(c, r, money);
            }
            }
        }
    }
}

const QByteArray &fileBytes()
{
    static const QByteArray bytes = [] {
        Workbook b;
        fill(b);
        return XlsWriter::toBytes(b);
    }();
    return bytes;
}

void BM_Load(benchmark::State &state)
{
    const QByteArray &bytes = fileBytes();
    for (auto _ : state) {
        Workbook b;
        XlsReader::readBytes(bytes, b);
        benchmark::DoNotOptimize(b.page(0).rowCount());
    }
    state.counters["cells/s"] = benchmark::Counter(double(Rows) * Cols, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_Save(benchmark::State &state)
{
    Workbook b;
    XlsReader::readBytes(fileBytes(), b);
    for (auto _ : state) {
        const QByteArray out = XlsWriter::toBytes(b);
        benchmark::DoNotOptimize(out.size());
    }
    state.counters["cells/s"] = benchmark::Counter(double(Rows) * Cols, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
        Workbook b;
        fill(b);
        b.saveToFile(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
