#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace detail {
// Every empty string that owns no storage points here. Two zero bytes serve both unit sizes.
alignas(2) extern const unsigned char sharedEmptyStorage[2];
} // namespace detail

// A growable, always-terminated string of 8-bit or 16-bit code units.
// Empty strings share one static block and cost no allocation; strings built from known text
// are allocated to exact fit; appends grow geometrically (minimum capacity 8, then doubling).
template <class Unit> class BasicString {
  public:
    BasicString() { setShared(); }
    BasicString(const Unit* text) { initExact(text, text + measure(text)); }
    BasicString(const Unit* first, const Unit* last) { initExact(first, last); }
    BasicString(const BasicString& other) { initExact(other.begin_, other.end_); }
    BasicString(BasicString&& other) noexcept
        : begin_(other.begin_), end_(other.end_), limit_(other.limit_) {
        other.setShared();
    }
    ~BasicString() { release(); }

    BasicString& operator=(const BasicString& other) {
        if (this != &other)
            assign(other.begin_, other.end_);
        return *this;
    }
    BasicString& operator=(BasicString&& other) noexcept {
        if (this != &other) {
            release();
            begin_ = other.begin_;
            end_ = other.end_;
            limit_ = other.limit_;
            other.setShared();
        }
        return *this;
    }

    const Unit* c_str() const { return begin_; }
    const Unit* data() const { return begin_; }
    Unit* data() { return begin_; }
    const Unit* begin() const { return begin_; }
    const Unit* end() const { return end_; }
    std::size_t length() const { return static_cast<std::size_t>(end_ - begin_); }
    std::size_t capacity() const { return static_cast<std::size_t>(limit_ - begin_ - 1); }
    bool empty() const { return end_ == begin_; }
    bool usesSharedStorage() const {
        return reinterpret_cast<const unsigned char*>(begin_) == detail::sharedEmptyStorage;
    }

    void append(const Unit* first, const Unit* last) {
        const std::size_t n = static_cast<std::size_t>(last - first);
        if (n == 0)
            return;
        const std::size_t old = length();
        if (old + n > capacity())
            reallocate(grownCapacity(old + n));
        std::memcpy(begin_ + old, first, n * sizeof(Unit));
        end_ = begin_ + old + n;
        *end_ = 0;
    }
    void append(const Unit* text) { append(text, text + measure(text)); }

    void assign(const Unit* first, const Unit* last) {
        const std::size_t n = static_cast<std::size_t>(last - first);
        const std::size_t old = length();
        if (n <= old) {
            // memmove: the range may lie inside this string. An empty string assigned an empty
            // range may be the shared block, which is never written.
            std::memmove(begin_, first, n * sizeof(Unit));
            setLength(n);
            return;
        }
        std::memmove(begin_, first, old * sizeof(Unit));
        append(first + old, last);
    }
    void assign(const Unit* text) { assign(text, text + measure(text)); }

    // Sets the length, writing zero units into any new room; truncates when shorter.
    void resize(std::size_t newLength) {
        const std::size_t old = length();
        if (newLength > capacity())
            reallocate(grownCapacity(newLength));
        if (newLength > old)
            std::memset(begin_ + old, 0, (newLength - old) * sizeof(Unit));
        if (!usesSharedStorage()) {
            end_ = begin_ + newLength;
            *end_ = 0;
        }
    }

    // Moves the terminator to `newLength`, which must be within the capacity; a writer that
    // has filled the room past the end uses this to take the text in.
    void setLength(std::size_t newLength) {
        if (usesSharedStorage())
            return;
        end_ = begin_ + newLength;
        *end_ = 0;
    }

    // Allocates exactly `units` of capacity unless there is already that much.
    void reserveExact(std::size_t units) {
        if (units > capacity())
            reallocate(units);
    }

    // Empties the string but keeps its storage for the next text.
    void clear() {
        end_ = begin_;
        if (!usesSharedStorage())
            *end_ = 0;
    }

    // Units from the end of the text to the end of the allocation, terminator included.
    std::size_t tailUnits() const { return static_cast<std::size_t>(limit_ - end_); }
    // Room a writer may fill after the text: 0 for the shared block, which is never written.
    std::size_t spareRoom() const { return usesSharedStorage() ? 0 : tailUnits(); }

    friend bool operator==(const BasicString& a, const BasicString& b) {
        return a.length() == b.length() &&
               std::memcmp(a.begin_, b.begin_, a.length() * sizeof(Unit)) == 0;
    }
    friend bool operator!=(const BasicString& a, const BasicString& b) { return !(a == b); }
    // Unit by unit as unsigned values; a prefix orders first.
    friend bool operator<(const BasicString& a, const BasicString& b) {
        const std::size_t n = a.length() < b.length() ? a.length() : b.length();
        for (std::size_t i = 0; i < n; ++i) {
            const auto x = static_cast<Unsigned>(a.begin_[i]);
            const auto y = static_cast<Unsigned>(b.begin_[i]);
            if (x != y)
                return x < y;
        }
        return a.length() < b.length();
    }

  private:
    using Unsigned = std::make_unsigned_t<Unit>;

    static std::size_t measure(const Unit* text) {
        std::size_t n = 0;
        while (text[n] != 0)
            ++n;
        return n;
    }
    bool ownsStorage() const { return begin_ != nullptr && limit_ - begin_ > 1; }
    void setShared() {
        begin_ = end_ =
            reinterpret_cast<Unit*>(const_cast<unsigned char*>(detail::sharedEmptyStorage));
        limit_ = begin_ + 1;
    }
    void release() {
        if (ownsStorage())
            std::free(begin_);
        setShared();
    }
    void initExact(const Unit* first, const Unit* last) {
        const std::size_t n = static_cast<std::size_t>(last - first);
        if (n == 0) {
            setShared();
            return;
        }
        begin_ = static_cast<Unit*>(std::malloc((n + 1) * sizeof(Unit)));
        std::memcpy(begin_, first, n * sizeof(Unit));
        end_ = begin_ + n;
        *end_ = 0;
        limit_ = end_ + 1;
    }
    std::size_t grownCapacity(std::size_t need) const {
        const std::size_t cap = capacity();
        const std::size_t grown = cap <= 8 ? 8 : 2 * cap;
        return need > grown ? need : grown;
    }
    void reallocate(std::size_t newCapacity) {
        const std::size_t n = length();
        auto* fresh = static_cast<Unit*>(std::malloc((newCapacity + 1) * sizeof(Unit)));
        std::memcpy(fresh, begin_, n * sizeof(Unit));
        fresh[n] = 0;
        if (ownsStorage())
            std::free(begin_);
        begin_ = fresh;
        end_ = fresh + n;
        limit_ = fresh + newCapacity + 1;
    }

    Unit* begin_;
    Unit* end_;
    Unit* limit_;
};

using ByteString = BasicString<char>;
// UTF-16 text; on Windows its units are what the wide API calls take (see wideText below).
using WideString = BasicString<char16_t>;

// Replaces `out` with the UTF-16 form of NUL-terminated UTF-8 text, stopping silently at the
// first malformed or incomplete sequence.
void utf8ToWide(const char* text, WideString& out);

#ifdef _WIN32
inline const wchar_t* wideText(const WideString& s) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
#endif
