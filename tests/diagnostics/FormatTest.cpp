#include "diagnostics/Format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
    // Shorter than its format: the first allocation, the format's length, is kept.
    const ByteString shorter = formatString("File not found: %s", "a");
    EXPECT_STREQ(shorter.c_str(), "File not found: a");
    EXPECT_EQ(shorter.capacity(), std::strlen("File not found: %s"));
    // As long as its format: the text fills that first allocation exactly.
    const ByteString same = formatString("Anisotropic %dx", 16);
    EXPECT_STREQ(same.c_str(), "Anisotropic 16x");
    EXPECT_EQ(same.capacity(), same.length());
}

namespace {

// The room offered on each call to the formatters below.
std::vector<std::size_t> rooms;

// Formats like the older Windows runtimes' _vsnprintf: -1 when the text does not fit, and the
// text without its terminator when it fills the room exactly.
int oldRuntimeFormatter(char* destination, std::size_t room, const char* format,
                        va_list arguments) {
    rooms.push_back(room);
    char text[256];
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
    const auto n = static_cast<std::size_t>(length);
    if (n > room) {
        std::memcpy(destination, text, room);
        return -1;
    }
    std::memcpy(destination, text, n);
    if (n < room)
        destination[n] = '\0';
    return length;
}

// Never succeeds, and leaves its room full of junk.
int failingFormatter(char* destination, std::size_t room, const char*, va_list) {
    rooms.push_back(room);
    std::memset(destination, '#', room);
    return -1;
}

void appendWith(BoundedFormatter formatter, ByteString& target, const char* format, ...) {
    rooms.clear();
    va_list arguments;
    va_start(arguments, format);
    appendFormatWith(formatter, target, format, arguments);
    va_end(arguments);
}

} // namespace

TEST(Format, WithoutALengthFromTheFormatterTheRoomDoublesUntilTheTextFits) {
    const std::string text(40, 't');
    ByteString s("ab");
    appendWith(oldRuntimeFormatter, s, "%s", text.c_str());
    EXPECT_EQ(std::string(s.c_str()), "ab" + text);
    EXPECT_EQ(s.length(), 42u);
    // The spare terminator slot, then trial lengths 7, 14, 28 and 56 from the old end.
    EXPECT_EQ(rooms, (std::vector<std::size_t>{1, 6, 13, 27, 55}));
}

TEST(Format, ATextThatFillsTheRoomExactlyIsFormattedAgainWithRoomForItsTerminator) {
    // Ten units in ten: the first trial length, 20, leaves exactly 11 units from the end.
    ByteString s("0123456789");
    ASSERT_EQ(s.capacity(), 10u);
    appendWith(oldRuntimeFormatter, s, "%s", "abcdefghijk");
    EXPECT_STREQ(s.c_str(), "0123456789abcdefghijk");
    EXPECT_EQ(s.length(), 21u);
    EXPECT_EQ(rooms, (std::vector<std::size_t>{1, 11, 12}));
}

TEST(Format, GivingUpAtAMillionBytesKeepsThePreviousTextAndFreesTheRoom) {
    ByteString s("ab");
    appendWith(failingFormatter, s, "%s", "never");
    // Trial lengths 7 · 2^k below 1,000,000: the last is 917,504.
    ASSERT_EQ(rooms.size(), 19u);
    EXPECT_EQ(rooms.back(), 917504u - 2 + 1);
    EXPECT_STREQ(s.c_str(), "ab");
    EXPECT_EQ(s.capacity(), 2u) << "the room the trials grew is given back";

    ByteString empty;
    appendWith(failingFormatter, empty, "%s", "never");
    EXPECT_EQ(rooms.front(), 0u) << "the shared empty storage is offered no room";
    EXPECT_TRUE(empty.usesSharedStorage());
    const ByteString other;
    EXPECT_STREQ(other.c_str(), "");
}
