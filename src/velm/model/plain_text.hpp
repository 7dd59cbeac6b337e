#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velm::plain_text {

// Copying a string into JSON text while finding out, in the same pass,
// whether it can stand there as it is: eight bytes at a time, each word
// checked for the bytes that a JSON string must escape or validate.

using Word = std::uint64_t;

constexpr Word EVERY_BYTE = 0x0101010101010101;
constexpr Word HIGH_BITS = 0x8080808080808080;

/// Nonzero when some byte of `word` is below `bound` (at most 0x80). A byte
/// that borrows from a lower one is only flagged when that lower one is.
constexpr Word has_byte_below(Word word, unsigned bound) {
    return (word - EVERY_BYTE * bound) & ~word & HIGH_BITS;
}

constexpr Word has_byte(Word word, unsigned char byte) {
    return has_byte_below(word ^ (EVERY_BYTE * byte), 1);
}

/// Nonzero when some byte of `word` would not be written as it is: a control
/// character, a quotation mark, a backslash, or a byte outside ASCII.
constexpr Word special_bytes(Word word) {
    return (word & HIGH_BITS) | has_byte_below(word, 0x20) | has_byte(word, '"') |
           has_byte(word, '\\');
}

template <class Bytes>
Bytes load(const char* from) {
    Bytes bytes;
    std::memcpy(&bytes, from, sizeof(bytes));
    return bytes;
}

template <class Bytes>
void store(char* to, Bytes bytes) {
    std::memcpy(to, &bytes, sizeof(bytes));
}

/// Copies the `count` bytes at `from` to `to` and returns their special bytes
/// (zero when there are none). Words are loaded whole, the last ones
/// overlapping the ones before rather than assembled byte by byte, so that no
/// load waits on a store of a few bytes.
inline Word copy_and_check(const char* from, std::size_t count, char* to) {
    if (count >= sizeof(Word)) {
        Word special = 0;
        std::size_t offset = 0;
        for (; offset + sizeof(Word) <= count; offset += sizeof(Word)) {
            const auto word = load<Word>(from + offset);
            store(to + offset, word);
            special |= special_bytes(word);
        }
        if (offset < count) {
            const auto word = load<Word>(from + count - sizeof(Word));
            store(to + count - sizeof(Word), word);
            special |= special_bytes(word);
        }
        return special;
    }
    if (count >= sizeof(std::uint32_t)) {
        const auto head = load<std::uint32_t>(from);
        const auto tail = load<std::uint32_t>(from + count - sizeof(std::uint32_t));
        store(to, head);
        store(to + count - sizeof(std::uint32_t), tail);
        return special_bytes(Word{head} | Word{tail} << 32);
    }
    if (count == 0) {
        return 0;
    }
    // One to three bytes: the first, the middle and the last cover them all;
    // the rest of the word is blanks, which need no escape.
    const auto first = static_cast<unsigned char>(from[0]);
    const auto middle = static_cast<unsigned char>(from[count / 2]);
    const auto last = static_cast<unsigned char>(from[count - 1]);
    to[0] = from[0];
    to[count / 2] = from[count / 2];
    to[count - 1] = from[count - 1];
    constexpr Word BLANKS_ABOVE_THREE_BYTES = EVERY_BYTE * ' ' << 24;
    return special_bytes(BLANKS_ABOVE_THREE_BYTES | first | Word{middle} << 8 | Word{last} << 16);
}

}  // namespace velm::plain_text
