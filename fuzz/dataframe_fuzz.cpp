// Data-table reading: damaged tables give false and a message, never a crash,
// a hang or a huge allocation; whatever was read can be written again.
#include "common/IniFile.h"
#include "common/MessageSink.h"
#include "common/TDataFrame.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const auto quiet = MessageSink::SetHandler([](const QString&) {});
    IniFile ini;
    ini.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TDataFrame table;
    table.ReadDataFram(ini);
    for (int c = 0; c < table.ColumnCount(); ++c)
        for (int r = 0; r < table.RowCount(); ++r)
            (void)table.TextForm(*table.Cell(c, r));
    IniFile out;
    table.WriteIni(out);
    (void)out.ToBytes();
    return 0;
}
