#include "diagnostics/Format.h"

#include <gtest/gtest.h>

#include <string>

TEST(Format, LongTextsBeyondTheFirstCapacityComeOutWhole) {
    const std::string path(300, 'p');
    const ByteString message = formatString("File not found: %s", path.c_str());
    EXPECT_EQ(std::string(message.c_str()), "File not found: " + path);
    EXPECT_EQ(message.length(), 16u + 300u);
}

TEST(Format, AppendKeepsWhatWasThereAndFitsInPlaceWhenThereIsRoom) {
    ByteString s;
    s.reserveExact(64);
    s.append("x=");
    const char* storage = s.c_str();
    assignFormat(s, "%d x %d", 1280, 720);
    EXPECT_STREQ(s.c_str(), "1280 x 720");
    EXPECT_EQ(s.c_str(), storage) << "assignFormat keeps the storage";

    ByteString grow("ab");
    auto append = [&grow](const char* format, ...) {
        va_list arguments;
        va_start(arguments, format);
        appendFormat(grow, format, arguments);
        va_end(arguments);
    };
    append("%s-%05d", "cd", 42);
    EXPECT_STREQ(grow.c_str(), "abcd-00042");
    append("%s", "");
    EXPECT_STREQ(grow.c_str(), "abcd-00042");
}

TEST(Format, NeverWritesIntoTheSharedEmptyStorage) {
    ByteString empty;
    assignFormat(empty, "%s", "");
    EXPECT_TRUE(empty.usesSharedStorage());
    EXPECT_STREQ(empty.c_str(), "");
    const char* emptyFormat = "";
    const ByteString fromEmptyFormat = formatString(emptyFormat);
    EXPECT_TRUE(fromEmptyFormat.usesSharedStorage());

    ByteString text;
    assignFormat(text, "MSAA %dx", 4);
    EXPECT_STREQ(text.c_str(), "MSAA 4x");
    EXPECT_FALSE(text.usesSharedStorage());
    const ByteString other;
    EXPECT_STREQ(other.c_str(), "") << "the shared block is still empty";
}

TEST(Format, FormatStringStartsFromTheFormatLength) {
    const ByteString s = formatString("Anisotropic %dx", 16);
    EXPECT_STREQ(s.c_str(), "Anisotropic 16x");
    EXPECT_GE(s.capacity(), s.length());
}
