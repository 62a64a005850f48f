// Exchange-file reading in both dialects.
#include "common/IniFile.h"
#include "workbench/hostexchange/TInterfaceBA.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniFile ini;
    ini.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TInterfaceBA exchange(TInterfaceBA::miReceive, QStringLiteral("/nonexistent-program-folder/"));
    const bool read = exchange.Read(ini);
    if (read != (exchange.Count() >= 1))
        std::abort();
    if (!read && exchange.ErrorString().isEmpty())
        std::abort();
    for (int i = -1; i <= exchange.Count(); ++i) {
        (void)exchange.ImageRecord(i);
        (void)exchange.SubjectRecord(i);
    }
    (void)exchange.AdditionalValue(QStringLiteral("MeasureResultsFile"));
    return 0;
}
