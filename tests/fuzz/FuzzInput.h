#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantor::fuzz {

// Reads a fuzz input from the front, byte by byte; past its end every read gives 0.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool empty() const { return m_size == 0; }
    std::uint8_t byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    // A value in [0, bound).
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : byte() % bound; }
    bool flag() { return byte() & 1; }
    std::string bytes(std::size_t count)
    {
        count = std::min(count, m_size);
        std::string out(reinterpret_cast<const char*>(m_data), count);
        m_data += count;
        m_size -= count;
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace vantor::fuzz
