#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace halvorn {

using Sha256Digest = std::array<std::uint8_t, 32>;

// SHA-256 (FIPS 180-4) of bytes given in pieces: a file's digest goes on from one append to the
// next without reading the file again.
class Sha256 {
public:
    void Add(std::string_view bytes);
    // The digest of every byte added so far; more can be added afterwards.
    Sha256Digest Digest() const;
    std::uint64_t Length() const { return m_length; }

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<std::uint8_t, 64> m_block{};
    std::uint64_t m_length = 0;  // in bytes; the part of m_block in use is its remainder by 64
};

}  // namespace halvorn
