// The report text formatter: any template text with two values.
#include "report/ReportTextFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString format = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = ReportTextFormat::Format(format, { QStringLiteral("value"), QString() });
    // Each placeholder adds at most a bounded field, so the text cannot explode.
    if (result && result->size() > format.size() + 2 * ReportTextFormat::kMaxField + 12)
        std::abort();
    return 0;
}
