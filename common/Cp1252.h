#pragma once

#include <QByteArray>
#include <QString>

// The single-byte code page of every text file the system reads or writes.
// It differs from Latin-1 in 0x80-0x9F ("€" is 0x80, not U+0080).
namespace Cp1252 {

// Decodes Windows-1252 bytes. The five bytes the code page leaves undefined
// map to the control characters of the same number, as Windows does.
QString Decode(const QByteArray& bytes);
QString Decode(const char* data, qsizetype size);

// Encodes to Windows-1252; characters the code page lacks become "?".
QByteArray Encode(const QString& text);

// True when every character of the text survives Encode unchanged.
bool CanEncode(const QString& text);

} // namespace Cp1252
