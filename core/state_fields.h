// The field codec of the state file: every value is written little-endian
// in a fixed width, whatever the host, and read back with its allowed range.
// One section function lists a chip's fields once; the same list writes them
// and reads them, so the two directions cannot drift apart. A third use of
// the same list gives every field a random value within its range (tests
// that look for a field the file leaves out).
#pragma once

#include "state.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

class state_fields {
public:
    // Writing: the fields are appended to `out`, laid out as format
    // `version` has them.
    explicit state_fields(std::vector<uint8_t> &out, uint32_t version) : out_(&out), version_(version) {}
    // Reading: the fields are taken from `size` bytes at `data`, a section of
    // a file of format `version`. `section` names the section in error
    // messages.
    state_fields(const uint8_t *data, size_t size, const char *section, uint32_t version)
        : in_(data), left_(size), section_(section), version_(version)
    {
    }
    // Randomising: each field takes a value drawn from `seed` onwards, in the
    // layout of the format written.
    struct random_values {
        uint64_t seed;
    };
    explicit state_fields(random_values r) : random_(r.seed | 1), version_(ORV_STATE_VERSION) {}

    bool reading() const { return out_ == nullptr && !random_; }
    bool randomising() const { return random_ != 0; }
    // The format version the fields are laid out for: a section whose
    // layout changed between versions asks it.
    uint32_t version() const { return version_; }
    // Reading: the first fault found, or "" (later fields are then skipped).
    const std::string &error() const { return error_; }
    // Reading: bytes of the section not taken by its fields.
    size_t left() const { return left_; }

    // One integer (or enum) in the width of its type. Reading refuses a value
    // outside lo..hi (64-bit fields give both).
    template <class T>
    void num(const char *name, T &v, int64_t lo = lowest<T>(), int64_t hi = highest<T>())
    {
        using U = typename value_of<T>::type;
        constexpr size_t width = sizeof(U);
        if (randomising()) {
            const uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
            v = static_cast<T>(static_cast<U>(lo + static_cast<int64_t>(span ? next_random() % span : next_random())));
            return;
        }
        if (!reading()) {
            uint64_t bits = static_cast<uint64_t>(static_cast<U>(v));
            for (size_t i = 0; i < width; i++)
                out_->push_back(static_cast<uint8_t>(bits >> (8 * i)));
            return;
        }
        uint8_t raw[8] = {};
        if (!take(name, raw, width))
            return;
        uint64_t bits = 0;
        for (size_t i = 0; i < width; i++)
            bits |= static_cast<uint64_t>(raw[i]) << (8 * i);
        int64_t value;
        if constexpr (std::is_signed_v<U>) {
            // Sign-extend from the field's width.
            uint64_t sign = uint64_t{1} << (8 * width - 1);
            value = static_cast<int64_t>((bits ^ sign) - sign);
        } else {
            value = static_cast<int64_t>(bits);
        }
        if (value < lo || value > hi) {
            fail(std::string(name) + " is " + std::to_string(value) + ", outside " + std::to_string(lo) +
                 " to " + std::to_string(hi));
            return;
        }
        v = static_cast<T>(static_cast<U>(value));
    }

    // Every element of an array, each with the same range.
    template <class T, size_t N>
    void nums(const char *name, T (&a)[N], int64_t lo = lowest<T>(), int64_t hi = highest<T>())
    {
        for (T &v : a)
            num(name, v, lo, hi);
    }

    // 16-bit words, any value allowed (the write-watch: 65536 of them).
    void words(const char *name, uint16_t *p, size_t n)
    {
        if (randomising()) {
            for (size_t i = 0; i < n; i++)
                p[i] = static_cast<uint16_t>(next_random());
            return;
        }
        if (!reading()) {
            for (size_t i = 0; i < n; i++) {
                out_->push_back(static_cast<uint8_t>(p[i]));
                out_->push_back(static_cast<uint8_t>(p[i] >> 8));
            }
            return;
        }
        if (!error_.empty())
            return;
        if (left_ < 2 * n) {
            fail(std::string("ends inside ") + name);
            return;
        }
        for (size_t i = 0; i < n; i++)
            p[i] = static_cast<uint16_t>(in_[2 * i] | in_[2 * i + 1] << 8);
        in_ += 2 * n;
        left_ -= 2 * n;
    }

    // Raw bytes, any value allowed.
    void bytes(const char *name, uint8_t *p, size_t n)
    {
        if (randomising()) {
            for (size_t i = 0; i < n; i++)
                p[i] = static_cast<uint8_t>(next_random());
            return;
        }
        if (!reading()) {
            out_->insert(out_->end(), p, p + n);
            return;
        }
        take(name, p, n);
    }

    // A 64-bit value, any value allowed (hashes).
    void hash(const char *name, uint64_t &v)
    {
        if (randomising())
            return;  // hashes name what the machine holds
        uint8_t raw[8];
        for (int i = 0; i < 8; i++)
            raw[i] = static_cast<uint8_t>(v >> (8 * i));
        bytes(name, raw, 8);
        if (reading() && error_.empty()) {
            v = 0;
            for (int i = 0; i < 8; i++)
                v |= static_cast<uint64_t>(raw[i]) << (8 * i);
        }
    }

    // Reading: records a fault found by a check across fields.
    void fail(const std::string &what)
    {
        if (error_.empty())
            error_ = std::string(section_) + ": " + what;
    }

private:
    template <class T, bool = std::is_enum_v<T>>
    struct value_of {
        using type = T;
    };
    template <class T>
    struct value_of<T, true> {
        using type = std::underlying_type_t<T>;
    };
    template <class T>
    static constexpr int64_t lowest()
    {
        return static_cast<int64_t>(std::numeric_limits<typename value_of<T>::type>::min());
    }
    template <class T>
    static constexpr int64_t highest()
    {
        using U = typename value_of<T>::type;
        static_assert(sizeof(U) <= 4, "fields are at most 32 bits wide; hashes go through hash()");
        return static_cast<int64_t>(std::numeric_limits<U>::max());
    }

    bool take(const char *name, uint8_t *p, size_t n)
    {
        if (!error_.empty())
            return false;
        if (left_ < n) {
            fail(std::string("ends inside ") + name);
            return false;
        }
        for (size_t i = 0; i < n; i++)
            p[i] = in_[i];
        in_ += n;
        left_ -= n;
        return true;
    }

    uint64_t next_random()
    {
        random_ ^= random_ << 13;
        random_ ^= random_ >> 7;
        random_ ^= random_ << 17;
        return random_;
    }

    std::vector<uint8_t> *out_ = nullptr;
    uint64_t random_ = 0;
    const uint8_t *in_ = nullptr;
    size_t left_ = 0;
    const char *section_ = "";
    uint32_t version_;
    std::string error_;
};
