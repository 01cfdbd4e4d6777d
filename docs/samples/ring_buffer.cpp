#include <array>
#include <cstddef>
#include <optional>

// A fixed-size queue that overwrites its oldest entry when full.
template <typename T, std::size_t N>
struct RingBuffer {
    std::array<T, N> items{};
    std::size_t head = 0, count = 0;

    void push(T value) {
        items[(head + count) % N] = std::move(value);
        if (count < N) {
            ++count;
        } else {
            head = (head + 1) % N;
        }
    }

    std::optional<T> pop() {
        if (count == 0) return std::nullopt;
        T value = std::move(items[head]);
        head = (head + 1) % N;
        --count;
        return value;
    }
};
