#include "core/String.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string units(const WideString& s) {
    return std::u16string(s.begin(), s.end());
}

} // namespace

TEST(ByteString, EmptyStringsShareStaticStorageAndReadAsEmptyText) {
    ByteString a;
    ByteString b("");
    ByteString c(a);
    for (const ByteString* s : {&a, &b, &c}) {
        EXPECT_TRUE(s->usesSharedStorage());
        EXPECT_EQ(s->length(), 0u);
        EXPECT_EQ(s->capacity(), 0u);
        EXPECT_STREQ(s->c_str(), "");
    }
    EXPECT_EQ(a.c_str(), b.c_str());
    WideString w;
    EXPECT_EQ(w.capacity(), 0u);
    EXPECT_EQ(w.c_str()[0], u'\0');
}

TEST(ByteString, KnownTextIsAllocatedToExactFit) {
    ByteString s("hello");
    EXPECT_EQ(s.length(), 5u);
    EXPECT_EQ(s.capacity(), 5u);
    ByteString copy(s);
    EXPECT_EQ(copy.capacity(), 5u);
    EXPECT_NE(copy.c_str(), s.c_str());
    const char range[] = "abcdef";
    ByteString part(range + 1, range + 4);
    EXPECT_STREQ(part.c_str(), "bcd");
    EXPECT_EQ(part.capacity(), 3u);
}

TEST(ByteString, GrowthIsAtLeastEightThenDoubling) {
    ByteString small;
    small.append("abc");
    EXPECT_EQ(small.capacity(), 8u);
    EXPECT_STREQ(small.c_str(), "abc");

    ByteString large;
    large.append("0123456789");
    EXPECT_EQ(large.capacity(), 10u) << "an append larger than 8 gets exactly what it needs";

    ByteString doubling;
    doubling.reserveExact(20);
    doubling.append("01234567890123456789");
    EXPECT_EQ(doubling.capacity(), 20u);
    doubling.append("x");
    EXPECT_EQ(doubling.capacity(), 40u);
    const std::string big(100, 'y');
    doubling.append(big.c_str());
    EXPECT_EQ(doubling.capacity(), 121u) << "doubling is not enough, so the need wins";
    EXPECT_EQ(std::string(doubling.c_str()), "01234567890123456789x" + big);

    ByteString unchanged("ab");
    const char* before = unchanged.c_str();
    const char* none = "";
    unchanged.append(none, none);
    EXPECT_EQ(unchanged.c_str(), before);
}

TEST(ByteString, AppendWithinCapacityStaysInPlace) {
    ByteString s;
    s.append("ab");
    const char* storage = s.c_str();
    s.append("cdef");
    EXPECT_EQ(s.c_str(), storage);
    EXPECT_STREQ(s.c_str(), "abcdef");
    EXPECT_EQ(s.c_str()[6], '\0');
}

TEST(ByteString, AssignShorterTruncatesAndKeepsCapacity) {
    ByteString s("12345");
    const char two[] = "ab";
    s.assign(two, two + 2);
    EXPECT_EQ(s.length(), 2u);
    EXPECT_EQ(s.c_str()[2], '\0');
    EXPECT_EQ(s.capacity(), 5u);
    EXPECT_STREQ(s.c_str(), "ab");

    s.assign("abcdefgh");
    EXPECT_STREQ(s.c_str(), "abcdefgh");
    EXPECT_EQ(s.capacity(), 8u);

    // An empty range into an empty string leaves the shared block untouched (it is read-only).
    ByteString empty;
    empty.assign(two, two);
    EXPECT_TRUE(empty.usesSharedStorage());
    WideString wideEmpty;
    utf8ToWide("", wideEmpty);
    EXPECT_TRUE(wideEmpty.usesSharedStorage());

    // Assigning part of itself must not read what it has already overwritten.
    ByteString self("0123456789");
    self.assign(self.c_str() + 3, self.c_str() + 7);
    EXPECT_STREQ(self.c_str(), "3456");
}

TEST(ByteString, ResizeZeroFillsAndTruncates) {
    ByteString s("ab");
    s.resize(5);
    ASSERT_EQ(s.length(), 5u);
    EXPECT_EQ(std::string(s.c_str(), 5), std::string("ab\0\0\0", 5));
    s.resize(1);
    EXPECT_STREQ(s.c_str(), "a");
    ByteString shared;
    shared.resize(0);
    EXPECT_TRUE(shared.usesSharedStorage());
    shared.clear();
    EXPECT_TRUE(shared.usesSharedStorage());
}

TEST(ByteString, OrderIsUnsignedBytewiseWithPrefixesFirst) {
    EXPECT_TRUE(ByteString("abc") < ByteString("abd"));
    EXPECT_TRUE(ByteString("ab") < ByteString("abc"));
    EXPECT_FALSE(ByteString("abc") < ByteString("ab"));
    EXPECT_TRUE(ByteString("a") < ByteString("\xC3")) << "0xC3 compares above ASCII";
    EXPECT_TRUE(ByteString("x") == ByteString("x"));
    EXPECT_TRUE(ByteString() == ByteString(""));
}

TEST(ByteString, MovesLeaveTheSourceEmptyAndShared) {
    ByteString a("moving");
    ByteString b(std::move(a));
    EXPECT_STREQ(b.c_str(), "moving");
    EXPECT_TRUE(a.usesSharedStorage());
    ByteString c;
    c = std::move(b);
    EXPECT_STREQ(c.c_str(), "moving");
    EXPECT_TRUE(b.usesSharedStorage());
}

TEST(WideString, SameRulesInSixteenBitUnits) {
    WideString w;
    const char16_t text[] = u"abc";
    w.append(text, text + 3);
    EXPECT_EQ(w.capacity(), 8u);
    EXPECT_EQ(units(w), u"abc");
    w.assign(text, text + 1);
    EXPECT_EQ(units(w), u"a");
    EXPECT_EQ(w.c_str()[1], u'\0');
}

struct Utf8Case {
    const char* name;
    const char* input;
    std::u16string expected;
};

class Utf8ToWide : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToWide, ConvertsThePrefixUpToTheFirstBadSequence) {
    WideString out;
    out.append(u"stale", u"stale" + 5);
    utf8ToWide(GetParam().input, out);
    EXPECT_EQ(units(out), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToWide,
    ::testing::Values(Utf8Case{"ascii_and_two_byte", "\x61\xC3\xA9", u"\u0061\u00E9"},
                      Utf8Case{"four_byte_surrogate_pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
                      Utf8Case{"incomplete_tail", "\x61\x62\xC3", u"ab"},
                      Utf8Case{"overlong", "\x61\xC0\xAF\x62", u"a"},
                      Utf8Case{"encoded_surrogate", "\x61\xED\xA0\x80\x62", u"a"},
                      Utf8Case{"empty", "", u""},
                      Utf8Case{"three_byte", "\xE2\x82\xAC!", u"\u20AC!"},
                      Utf8Case{"overlong_three_byte", "x\xE0\x80\xAF", u"x"},
                      Utf8Case{"max_scalar", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
                      Utf8Case{"above_max_scalar", "a\xF4\x90\x80\x80", u"a"},
                      Utf8Case{"five_byte_form", "a\xF8\x88\x80\x80\x80", u"a"},
                      Utf8Case{"lone_continuation", "a\x80z", u"a"},
                      Utf8Case{"bad_trailing_byte", "a\xE2\x82\x41", u"a"}),
    [](const auto& info) { return std::string(info.param.name); });
