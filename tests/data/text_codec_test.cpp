#include <gtest/gtest.h>

#include "data/roster.h"
#include "data/text_codec.h"
#include "data/text_fns.h"

namespace quillmark {
namespace {

TEST(TextCodec, Cp936RoundTripsChineseAndTheEuroSign) {
    GbkEncoding encoded = EncodeGbk("张三€");
    ASSERT_TRUE(encoded.ok());
    EXPECT_EQ(encoded.bytes, "\xD5\xC5\xC8\xFD\x80");
    EXPECT_EQ(DecodeGbk(encoded.bytes), "张三€");
}

TEST(TextCodec, UnencodableCharacterIsNamed) {
    GbkEncoding encoded = EncodeGbk("ab😀cd");
    EXPECT_FALSE(encoded.ok());
    EXPECT_EQ(encoded.unencodable, "😀");
}

TEST(TextCodec, TagCharactersAreUnencodableNotDropped) {
    GbkEncoding encoded = EncodeGbk("A\xF3\xA0\x80\x81" "B");
    EXPECT_FALSE(encoded.ok());
    EXPECT_EQ(encoded.unencodable, "\xF3\xA0\x80\x81");
}

std::string PrivateUse(char32_t c) {
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

TEST(TextCodec, UserDefinedAreasMapOntoPrivateUseAsOnWindows) {
    const std::pair<const char*, char32_t> boundaries[] = {
        {"\xAA\xA1", 0xE000}, {"\xAA\xFE", 0xE05D}, {"\xAB\xA1", 0xE05E}, {"\xAF\xFE", 0xE233},
        {"\xF8\xA1", 0xE234}, {"\xFE\xFE", 0xE4C5}, {"\xA1\x40", 0xE4C6}, {"\xA1\x7E", 0xE504},
        {"\xA1\x80", 0xE505}, {"\xA1\xA0", 0xE525}, {"\xA2\x40", 0xE526}, {"\xA7\xA0", 0xE765},
    };
    for (const auto& [bytes, c] : boundaries) {
        EXPECT_EQ(DecodeGbk(bytes), PrivateUse(c)) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(EncodeGbk(PrivateUse(c)).bytes, bytes) << std::hex << static_cast<unsigned>(c);
    }
    // Every code of the three areas, in order, one character each way.
    char32_t next = 0xE000;
    auto roundTrip = [&next](int firstLead, int lastLead, int firstTrail, int lastTrail) {
        for (int lead = firstLead; lead <= lastLead; ++lead) {
            for (int trail = firstTrail; trail <= lastTrail; ++trail) {
                if (trail == 0x7F) continue;
                std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
                ASSERT_EQ(DecodeGbk(bytes), PrivateUse(next)) << lead << " " << trail;
                ASSERT_EQ(EncodeGbk(PrivateUse(next++)).bytes, bytes) << lead << " " << trail;
            }
        }
    };
    roundTrip(0xAA, 0xAF, 0xA1, 0xFE);
    roundTrip(0xF8, 0xFE, 0xA1, 0xFE);
    roundTrip(0xA1, 0xA7, 0x40, 0xA0);
    EXPECT_EQ(static_cast<unsigned>(next), 0xE766u);
    // Neighbours keep their meaning: 0x7F is no trail byte, A7A1 and A840 are standard characters.
    EXPECT_EQ(DecodeGbk("\xA1\x7F"), "\xEF\xBF\xBD\x7F");
    EXPECT_EQ(DecodeGbk("\xA7\xA1\xA8\x40"), "\xD0\x90\xCB\x8A");

    // A Windows-made roster with such a name reads, and saves byte for byte, among other text.
    std::string file = "0101,\xAA\xA1\xD5\xC5\xFE\xFE,95,1,\\ 1|2,,\r\n0102,\xA1\x40" "ab\xA7\xA0,,,,,\r\n";
    Roster roster = ParseResultRoster(file);
    EXPECT_EQ(roster.Row(1)[Examinee::姓名], PrivateUse(0xE000) + "张" + PrivateUse(0xE4C5));
    std::string text;
    ASSERT_TRUE(SerializeRoster(roster, text).ok());
    GbkEncoding saved = EncodeGbk(text);
    ASSERT_TRUE(saved.ok()) << saved.unencodable;
    EXPECT_EQ(saved.bytes, file);
}

TEST(TextCodec, GbkThatHappensToBeValidUtf8IsStillGbk) {
    // 谢叶 in GBK is D0 BB D2 B6: two valid two-byte UTF-8 characters (Cyrillic).
    EXPECT_EQ(DecodeFileText("0101,\xD0\xBB\xD2\xB6,,,,,\r\n"), "0101,谢叶,,,,,\r\n");
    // UTF-8 with Chinese is UTF-8.
    EXPECT_EQ(DecodeFileText("0101,谢叶"), "0101,谢叶");
    // Two-byte UTF-8 alone cannot be told from GBK; a byte-order mark settles it.
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF" "Jos\xC3\xA9"), "José");
}

TEST(TextCodec, InvalidGbkBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeGbk("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(DecodeGbk("\xD5"), "\xEF\xBF\xBD");  // lead byte cut off at the end
}

TEST(TextCodec, FileTextDetection) {
    // UTF-8 with non-ASCII text is read as UTF-8, with or without a byte-order mark.
    EXPECT_EQ(DecodeFileText("0101,张三"), "0101,张三");
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF" "0101,张三"), "0101,张三");
    // GBK bytes are practically never valid UTF-8.
    EXPECT_EQ(DecodeFileText("0101,\xD5\xC5\xC8\xFD"), "0101,张三");
    EXPECT_EQ(DecodeFileText("plain ascii"), "plain ascii");
    // Overlong and surrogate encodings are not UTF-8.
    EXPECT_FALSE(LooksLikeUtf8Text("\xC0\xAF"));
    EXPECT_FALSE(LooksLikeUtf8Text("\xED\xA0\x80"));
}

TEST(TextCodec, GbkWidthsAndPrefixes) {
    EXPECT_EQ(GbkByteLength("ab张三"), 6u);
    EXPECT_EQ(GbkByteLength("€"), 1u);
    EXPECT_EQ(GbkPrefix("张三李四王五", 5), "张三");
    EXPECT_EQ(PadToGbkWidth("张三李四王五六", 10), "张三李四王");
    EXPECT_EQ(PadToGbkWidth("ab张", 10), "ab张      ");
    EXPECT_EQ(PadToGbkWidth("abcdefghi张", 10), "abcdefghi ");  // never half a character
}

TEST(TextFns, TrimRemovesOnlySpaces) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimSpaces("   "), "");
}

TEST(TextFns, SplitLinesAcceptsEveryLineEnd) {
    auto lines = SplitLines("a\r\nb\nc\rd\r\n\r\ne");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[3], "d");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "e");
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("x\r\n").size(), 1u);
}

TEST(TextFns, Utf16OrderPutsSupplementaryCharactersBeforePrivateUse) {
    EXPECT_LT(CompareUtf16Order("a", "b"), 0);
    EXPECT_LT(CompareUtf16Order("B", "a"), 0);  // no case folding
    EXPECT_LT(CompareUtf16Order("ab", "abc"), 0);
    EXPECT_EQ(CompareUtf16Order("张", "张"), 0);
    // U+1F600 is a surrogate pair (0xD83D...) and sorts before U+FF01.
    EXPECT_LT(CompareUtf16Order("😀", "！"), 0);
    EXPECT_GT(CompareUtf16Order("😀", "张"), 0);
}

}  // namespace
}  // namespace quillmark
