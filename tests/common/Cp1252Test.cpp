#include "common/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, Encode_UnitAndGermanCharacters_UseCodePageBytes)
{
    EXPECT_EQ(Cp1252::Encode(QStringLiteral("µm²ß€")), QByteArray("\xB5m\xB2\xDF\x80"));
    EXPECT_EQ(Cp1252::Encode(QStringLiteral("Länge Öl Über")),
        QByteArray("L\xE4nge \xD6l \xDC"
                   "ber"));
}

TEST(Cp1252, Decode_HighRange_DiffersFromLatin1)
{
    // 0x80-0x9F are typographic characters, not control codes.
    EXPECT_EQ(Cp1252::Decode(QByteArray("\x80\x84\x93\x94\x96\x99")), QStringLiteral("€„“”–™"));
    EXPECT_EQ(Cp1252::Decode(QByteArray("Gr\xF6\xDF"
                                        "e \xB5m\xB2")),
        QStringLiteral("Größe µm²"));
}

TEST(Cp1252, RoundTrip_EveryByte_IsIdentity)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(Cp1252::Encode(Cp1252::Decode(all)), all);
}

TEST(Cp1252, Encode_CharactersOutsideCodePage_BecomeOneQuestionMarkEach)
{
    EXPECT_EQ(Cp1252::Encode(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
    // A character outside the basic plane is one "?", not two.
    EXPECT_EQ(Cp1252::Encode(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
    EXPECT_FALSE(Cp1252::CanEncode(QStringLiteral("\u4E2D")));
    EXPECT_TRUE(Cp1252::CanEncode(QStringLiteral("€µ²ß")));
}
