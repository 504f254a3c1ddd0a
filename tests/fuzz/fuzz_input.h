// What every harness needs from its input: little numbers for the choices it makes and byte runs for the data
// it hands over. By default numbers come from the back and runs from the front (a stream of data with its
// choices at the end); a script takes both from the front, in the order a generator writes them. Past the
// end numbers are 0 and runs are empty.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace lx9fuzz {

class Input {
  public:
    enum class Order { NumbersFromBack, Script };
    Input(const uint8_t* data, size_t size, Order order = Order::NumbersFromBack)
        : data_(data), front_(0), back_(size), script_(order == Order::Script) {}
    explicit Input(std::span<const uint8_t> data, Order order = Order::NumbersFromBack)
        : Input(data.data(), data.size(), order) {}

    size_t remaining() const { return back_ - front_; }
    bool empty() const { return front_ == back_; }

    uint8_t u8() {
        if (front_ == back_) return 0;
        return script_ ? data_[front_++] : data_[--back_];
    }
    uint16_t u16() { return static_cast<uint16_t>(u8() | u8() << 8); }
    uint32_t u32() { return static_cast<uint32_t>(u16()) | static_cast<uint32_t>(u16()) << 16; }
    bool flag() { return (u8() & 1) != 0; }
    // A number in [0, n) (n > 0), with small values as likely as the input makes them.
    uint32_t below(uint32_t n) { return n <= 256 ? u8() % n : (n <= 65536 ? u16() % n : u32() % n); }
    template <typename T, size_t N>
    T pick(const T (&choices)[N]) {
        return choices[below(N)];
    }

    // Up to n bytes of data from the front.
    std::span<const uint8_t> bytes(size_t n) {
        n = n < remaining() ? n : remaining();
        std::span<const uint8_t> run(data_ + front_, n);
        front_ += n;
        return run;
    }
    std::span<const uint8_t> rest() { return bytes(remaining()); }
    // A text of up to n characters from the front, ended at the first NUL or newline (which is used up).
    std::string line(size_t n) {
        std::string text;
        while (text.size() < n && front_ < back_) {
            const char c = static_cast<char>(data_[front_++]);
            if (c == '\0' || c == '\n') break;
            text.push_back(c);
        }
        return text;
    }

  private:
    const uint8_t* data_;
    size_t front_;
    size_t back_;
    bool script_;
};

// Odd behaviour at chosen rates, from a seed: the harness's stand-ins misbehave without a byte of the
// input per decision (seed 0: never).
class Mischief {
  public:
    explicit Mischief(uint32_t seed) : state_(seed * 2654435761u | 1), active_(seed != 0) {}
    // True about once in n calls.
    bool oneIn(uint32_t n) { return active_ && next() % n == 0; }
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

  private:
    uint32_t state_;
    bool active_;
};

// A heap block of exactly n bytes (none for n = 0), so that the sanitizer sees the first byte past it.
class ExactBuffer {
  public:
    // malloc(0) gives a block of no usable bytes: every access to it is reported.
    explicit ExactBuffer(size_t n) : size_(n), bytes_(static_cast<uint8_t*>(std::malloc(n))) {
        if (bytes_ == nullptr && n != 0) std::abort();
    }
    // Filled from data, repeated as often as it takes (zeros when data is empty).
    ExactBuffer(size_t n, std::span<const uint8_t> data) : ExactBuffer(n) { fill(data); }
    ~ExactBuffer() { std::free(bytes_); }
    ExactBuffer(const ExactBuffer&) = delete;
    ExactBuffer& operator=(const ExactBuffer&) = delete;

    void fill(std::span<const uint8_t> data) {
        if (size_ == 0) return;
        if (data.empty()) {
            std::memset(bytes_, 0, size_);
            return;
        }
        size_t done = std::min(size_, data.size());
        std::memcpy(bytes_, data.data(), done);
        for (; done < size_; done *= 2) std::memcpy(bytes_ + done, bytes_, std::min(done, size_ - done));
    }
    uint8_t* data() const { return bytes_; }
    size_t size() const { return size_; }
    template <typename T>
    T* as() const {
        return reinterpret_cast<T*>(bytes_);
    }

  private:
    size_t size_;
    uint8_t* bytes_;
};

// A broken promise of the code under test: reported like a sanitizer finding, so that the fuzzer keeps
// the input and the replay fails.
[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

}  // namespace lx9fuzz

#define LX9_FUZZ_CHECK(condition)                                          \
    do {                                                                   \
        if (!(condition)) ::lx9fuzz::Fail(__FILE__, __LINE__, #condition); \
    } while (0)
