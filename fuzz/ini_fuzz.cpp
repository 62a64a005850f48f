// INI reading: any bytes must parse, and what the writer makes of them must be
// a fixed point after one round (reading it back changes nothing).
#include "common/IniFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniFile ini;
    ini.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const QString& section : ini.Sections()) {
        for (const QString& key : ini.Keys(section)) {
            if (!ini.ValueExists(section, key))
                std::abort();
            (void)ini.ReadString(section, key, QString());
            (void)ini.ReadInteger(section, key, 0);
        }
    }
    const QByteArray once = ini.ToBytes();
    IniFile again;
    again.LoadFromBytes(once);
    IniFile third;
    third.LoadFromBytes(again.ToBytes());
    if (third.ToBytes() != again.ToBytes())
        std::abort();

    again.WriteString(QStringLiteral("General"), QStringLiteral("Count"), QStringLiteral("1\r\n[x]"));
    again.WriteBool(QStringLiteral("new section"), QStringLiteral("k"), true);
    IniFile written;
    written.LoadFromBytes(again.ToBytes());
    if (written.ReadString(QStringLiteral("General"), QStringLiteral("Count"), QString()) != QStringLiteral("1  [x]"))
        std::abort();
    return 0;
}
