#include "velm/model/json_text_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include <nlohmann/json.hpp>

namespace velm {

namespace {

/// Room claimed for one number: what the library's own serializer sets aside,
/// well above the 24 bytes its float form can take and the 20 of an int64.
constexpr std::size_t NUMBER_ROOM = 64;

/// The smallest buffer worth allocating.
constexpr std::size_t FIRST_CAPACITY = 4096;

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
Word copy_and_check(const char* from, std::size_t count, char* to) {
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

bool has_non_ascii(std::string_view value) {
    return std::any_of(value.begin(), value.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
}

}  // namespace

/// The library's serializer, writing into the writer's buffer. It can only
/// write whole JSON values, so each string is copied into a string value kept
/// for the purpose.
class JsonTextWriter::LibraryStrings {
public:
    explicit LibraryStrings(JsonTextWriter& writer)
        : serializer_(std::make_shared<BufferOutput>(writer), ' '),
          scratch_(nlohmann::json::value_t::string) {}

    void write(std::string_view value) {
        scratch_.get_ref<std::string&>().assign(value.data(), value.size());
        serializer_.dump(scratch_, false, false, 0);
    }

    /// Frees the copy of an outsized string.
    void release_outsized() noexcept {
        auto& copy = scratch_.get_ref<std::string&>();
        if (copy.capacity() > SMALL_CAPACITY) {
            std::string().swap(copy);
        }
    }

private:
    class BufferOutput final : public nlohmann::detail::output_adapter_protocol<char> {
    public:
        explicit BufferOutput(JsonTextWriter& writer) : writer_(writer) {}
        void write_character(char byte) override { writer_.append(std::string_view(&byte, 1)); }
        void write_characters(const char* bytes, std::size_t count) override {
            writer_.append(std::string_view(bytes, count));
        }

    private:
        JsonTextWriter& writer_;
    };

    nlohmann::detail::serializer<nlohmann::json> serializer_;
    nlohmann::json scratch_;
};

JsonTextWriter::JsonTextWriter() = default;
JsonTextWriter::~JsonTextWriter() = default;

void JsonTextWriter::reset() noexcept {
    const bool outsized = capacity_ > RETAINED_CAPACITY ||
                          (capacity_ > SMALL_CAPACITY && capacity_ / 4 > size_);
    size_ = 0;
    ascii_ = true;
    if (outsized) {
        data_.reset();
        capacity_ = 0;
    }
    if (library_strings_) {
        library_strings_->release_outsized();
    }
}

void JsonTextWriter::grow(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / 2 - size_) {
        throw std::bad_alloc();
    }
    const std::size_t capacity = std::max({capacity_ * 2, size_ + count, FIRST_CAPACITY});
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    std::copy_n(data_.get(), size_, data.get());
    data_ = std::move(data);
    capacity_ = capacity;
}

void JsonTextWriter::string(std::string_view value) {
    // The plain case is copied and checked in one pass; a string that turns
    // out to need escaping is written again over the copy.
    char* const out = claim(value.size() + 2);
    if (copy_and_check(value.data(), value.size(), out + 1) != 0) {
        escaped_string(value);
        return;
    }
    out[0] = '"';
    out[value.size() + 1] = '"';
    size_ += value.size() + 2;
}

void JsonTextWriter::escaped_string(std::string_view value) {
    if (!library_strings_) {
        library_strings_ = std::make_unique<LibraryStrings>(*this);
    }
    library_strings_->write(value);
    // The library has checked the UTF-8, and its escapes are ASCII.
    if (has_non_ascii(value)) {
        ascii_ = false;
    }
}

void JsonTextWriter::number(double value) {
    if (!std::isfinite(value)) {
        append("null");
        return;
    }
    char* begin = claim(RecentNumbers::ROOM);
    size_ += static_cast<std::size_t>(recent_numbers_.write(value, begin) - begin);
}

void JsonTextWriter::integer(std::int64_t value) {
    char* begin = claim(NUMBER_ROOM);
    char* end = std::to_chars(begin, begin + NUMBER_ROOM, value).ptr;
    size_ += static_cast<std::size_t>(end - begin);
}


}  // namespace velm
