#include "velm/model/json_text_writer.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include <nlohmann/json.hpp>

namespace velm {

namespace {

/// The smallest buffer worth allocating.
constexpr std::size_t FIRST_CAPACITY = 4096;

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



}  // namespace velm
