#include "kestrel/gsmalphabet.h"
#include "kestrel/septets.h"
#include "kestrel/validity.h"

#include <gtest/gtest.h>

namespace {

// Septet values from the default table and the extension table (escape 1B + value); what
// the alphabet holds reads back unchanged, and its length counts an extension character twice.
TEST(GsmAlphabet, TextToSeptetsAndBack)
{
    const std::pair<const char16_t *, const char *> cases[] = {
        {u"@£$¥", "00010203"},
        {u"Hello", "48656c6c6f"},
        {u"ΔΦΓΛΩΠΨΣΘΞ", "1012131415161718191a"},
        {u"ÄÖÑÜ§¿äöñüà", "5b5c5d5e5f607b7c7d7e7f"},
        {u"€", "1b65"},
        {u"^{}\\[~]|", "1b141b281b291b2f1b3c1b3d1b3e1b40"},
        {u"\f", "1b0a"},
        {u"\r\n", "0d0a"},
        {u"¤¡", "2440"},
        // Characters the alphabet lacks become "?" (3F); a surrogate pair is one character.
        {u"ç✓😀a", "3f3f3f61"},
    };
    for (const auto &[utf16, septets] : cases) {
        const QString text = QString::fromUtf16(utf16);
        EXPECT_EQ(gsm::toSeptets(text).toHex(), QByteArray(septets)) << text.toStdString();
        EXPECT_EQ(gsm::septetLength(text), int(qstrlen(septets) / 2)) << text.toStdString();
        if (gsm::isRepresentable(text))
            EXPECT_EQ(gsm::fromSeptets(gsm::toSeptets(text)), text) << text.toStdString();
    }
}

// "hellohello" and "Hello" are the worked examples of 7-bit packing; the fill-bit cases
// shift the same septets one bit on, as after a 6-octet concatenation header.
TEST(Septets, PackUnpackAndHeaderFillBits)
{
    const struct { const char *septetsHex; int fillBits; const char *packedHex; } cases[] = {
        {"68656c6c6f68656c6c6f", 0, "e8329bfd4697d9ec37"}, {"48656c6c6f", 0, "c8329bfd06"}, {"1b65", 0, "9b32"},
        {"48", 1, "90"}, {"4869", 1, "9069"}, {"", 0, ""},
        {"3131313131313131", 0, "b1582c168bc562"}, // eight septets fill exactly seven octets
    };
    for (const auto &c : cases) {
        const QByteArray septets = QByteArray::fromHex(c.septetsHex);
        EXPECT_EQ(gsm::packSeptets(septets, c.fillBits).toHex(), QByteArray(c.packedHex)) << c.septetsHex;
        EXPECT_EQ(gsm::unpackSeptets(QByteArray::fromHex(c.packedHex), c.fillBits, int(septets.size())), septets)
            << c.septetsHex;
    }
    EXPECT_EQ(gsm::unpackSeptets(QByteArray::fromHex("c832"), 0, 10).size(), 2); // octets run out

    // UDHL 05 + 5 octets = 48 bits: one fill bit makes 7 septets.
    EXPECT_EQ(gsm::fillBitsAfterHeader(6), 1);
    EXPECT_EQ(gsm::headerSeptets(6), 7);
    // Port header (UDHL 06 + 6) = 56 bits: already on a septet boundary.
    EXPECT_EQ(gsm::fillBitsAfterHeader(7), 0);
    EXPECT_EQ(gsm::headerSeptets(7), 8);
}

// Named periods come out exact (to the minute); others round up to the next step.
TEST(Validity, CodeToRelativePeriod)
{
    const struct { const char *code; int vp; int minutes; } cases[] = { // vp -1: refused; minutes 0: not exact
        {"1H", 11, 60},   {"6H", 71, 360},  {"12H", 143, 720}, {"13H", 145, 0}, {"1D", 167, 1440}, {"24H", 167, 1440},
        {"2D", 168, 2880}, {"3D", 169, 4320}, {"4D", 170, 5760}, {"5D", 171, 7200}, {"6D", 172, 8640},
        {"1W", 173, 10080}, {"2W", 180, 20160}, {"3W", 187, 30240}, {"1M", 196, 43200}, {"5W", 197, 0},
        {"63W", 255, 0},  {"100W", 255, 0}, {"1h", 11, 60},    {" 1W ", 173, 10080}, {"", -1, 0}, {"W", -1, 0},
        {"0D", -1, 0},    {"-1D", -1, 0},   {"1Y", -1, 0},     {"xH", -1, 0},   {"1 W", -1, 0},
    };
    for (const auto &c : cases) {
        const std::optional<int> vp = gsm::relativeValidity(QString::fromLatin1(c.code));
        EXPECT_EQ(vp.value_or(-1), c.vp) << c.code;
        if (c.minutes)
            EXPECT_EQ(gsm::validityMinutes(vp.value_or(0)), c.minutes) << c.code;
    }
}

} // namespace
