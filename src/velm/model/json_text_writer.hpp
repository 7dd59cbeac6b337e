#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "velm/model/plain_text.hpp"
#include "velm/model/recent_numbers.hpp"

namespace velm {

/// Writes JSON text piece by piece into one growable buffer, byte for byte as
/// the JSON library's default `dump()` writes the same values.
///
/// The caller lays out the text: objects' members in ascending key order, and
/// the commas, which are known at every call site (`key` for an object's
/// first member, `next_key` for the others, `comma` between array elements,
/// or `layout` for a fixed run of them, which is faster on hot paths).
/// Numbers go through the library's own float formatter (whose recent texts
/// are kept, see RecentNumbers), so every digit, exponent and ".0" matches,
/// and NaN and the infinities become null. Plain ASCII strings that need no
/// escape are copied as they are; any other string goes through the
/// library's escaping and its strict UTF-8 check, which throws the library's
/// type_error 316 for broken UTF-8.
///
/// The buffer is kept from text to text, so a writer used over and over stops
/// allocating once it has grown to the size of its texts; `reset` gives back
/// a buffer that is large in itself or large for the text it last held.
class JsonTextWriter {
public:
    /// Largest buffer that `reset` keeps.
    static constexpr std::size_t RETAINED_CAPACITY = std::size_t{8} << 20;
    /// A buffer up to this size is kept whatever the text it held.
    static constexpr std::size_t SMALL_CAPACITY = std::size_t{16} << 10;
    /// Room claimed for an integer, above the 20 bytes of the longest int64.
    static constexpr std::size_t INTEGER_ROOM = 24;

    JsonTextWriter();
    ~JsonTextWriter();
    JsonTextWriter(const JsonTextWriter&) = delete;
    JsonTextWriter& operator=(const JsonTextWriter&) = delete;

    /// Starts a new text. The buffer is freed first when it holds more than
    /// RETAINED_CAPACITY, or more than SMALL_CAPACITY and four times the
    /// text it held, so one outsized text does not keep its memory.
    void reset() noexcept;

    /// The text written since the last `reset`.
    std::string_view text() const noexcept { return {data_.get(), size_}; }

    /// True while every byte of the text is ASCII; then the text is also
    /// valid UTF-8 without any further check.
    bool is_ascii() const noexcept { return ascii_; }

    void begin_object() { append("{"); }
    void end_object() { append("}"); }
    void comma() { append(","); }
    /// A literal piece of the text's layout written as it stands: punctuation
    /// and keys, which must be ASCII that needs no escape. Taking literals
    /// only keeps the length known where the call is compiled, so the copy
    /// becomes a few moves rather than a call.
    template <std::size_t Size>
    void layout(const char (&bytes)[Size]) {
        append(std::string_view(bytes, Size - 1));
    }

    /// The first member's key of an object; `name` must be ASCII that needs
    /// no escape, as every key of the engine is.
    void key(std::string_view name) { write_key(name, false); }
    /// Any later member's key, after the comma that separates it.
    void next_key(std::string_view name) { write_key(name, true); }

    void string(std::string_view value) {
        // The plain case is copied and checked in one pass; a string that
        // turns out to need escaping is written again over the copy.
        char* const out = claim(value.size() + 2);
        if (plain_text::copy_and_check(value.data(), value.size(), out + 1) != 0) {
            escaped_string(value);
            return;
        }
        out[0] = '"';
        out[value.size() + 1] = '"';
        size_ += value.size() + 2;
    }
    /// A string known to be ASCII that needs no escape, such as the engine's
    /// own fixed texts.
    void plain_string(std::string_view value) {
        char* out = claim(value.size() + 2);
        out[0] = '"';
        std::memcpy(out + 1, value.data(), value.size());
        out[value.size() + 1] = '"';
        size_ += value.size() + 2;
    }
    void number(double value) {
        if (!std::isfinite(value)) {
            append("null");
            return;
        }
        char* begin = claim(RecentNumbers::ROOM);
        size_ += static_cast<std::size_t>(recent_numbers_.write(value, begin) - begin);
    }
    void integer(std::int64_t value) {
        char* begin = claim(INTEGER_ROOM);
        char* end = std::to_chars(begin, begin + INTEGER_ROOM, value).ptr;
        size_ += static_cast<std::size_t>(end - begin);
    }
    void boolean(bool value) {
        if (value) {
            append("true");
        } else {
            append("false");
        }
    }
    void null() { append("null"); }

private:
    class LibraryStrings;

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    bool ascii_ = true;
    RecentNumbers recent_numbers_;
    // Created on the first string that needs the library's escaping.
    std::unique_ptr<LibraryStrings> library_strings_;

    /// Room for `count` more bytes at the end of the text.
    char* claim(std::size_t count) {
        if (capacity_ - size_ < count) {
            grow(count);
        }
        return data_.get() + size_;
    }
    void grow(std::size_t count);
    void append(std::string_view bytes) {
        std::memcpy(claim(bytes.size()), bytes.data(), bytes.size());
        size_ += bytes.size();
    }
    void write_key(std::string_view name, bool after_comma) {
        const std::size_t length = name.size() + 3 + (after_comma ? 1 : 0);
        char* out = claim(length);
        if (after_comma) {
            *out++ = ',';
        }
        out[0] = '"';
        std::memcpy(out + 1, name.data(), name.size());
        out[name.size() + 1] = '"';
        out[name.size() + 2] = ':';
        size_ += length;
    }
    void escaped_string(std::string_view value);
};

}  // namespace velm
