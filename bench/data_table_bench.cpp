// Reading a wide data table (the INI form handed to the report library): TDataFrame::ReadDataFram
// of a parsed file with 10,000 to 80,000 columns of two rows each. The time per column stays
// the same as the table widens (it grew with the column count when each new column's name
// was compared with every earlier one: 80,000 columns took 131 s).
#include "common/IniFile.h"
#include "common/TDataFrame.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray WideTable(int columns)
{
    QByteArray text = "[General]\r\nColCount=" + QByteArray::number(columns) + "\r\nRowCount=2\r\n";
    for (int c = 0; c < columns; ++c) {
        const QByteArray n = QByteArray::number(c);
        text += "[Col" + n + "]\r\nName=V" + n + "\r\nType=3\r\nRow0Value=" + n + "\r\nRow1Value=" + n + "\r\n";
    }
    return text;
}

void ReadWideTable(benchmark::State& state)
{
    const int columns = int(state.range(0));
    IniFile ini;
    ini.LoadFromBytes(WideTable(columns));
    for (auto _ : state) {
        TDataFrame table;
        if (!table.ReadDataFram(ini) || table.ColumnCount() != columns)
            state.SkipWithError("the table was not read");
        benchmark::DoNotOptimize(table.ColumnCount());
    }
    state.counters["per_column"] = benchmark::Counter(
        double(columns), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(ReadWideTable)->Name("DataTable/ReadWide")->Arg(10000)->Arg(80000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
