#include "log/sha256.h"

#include <algorithm>
#include <cstring>

namespace halvorn {

namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t RotateRight(std::uint32_t value, int bits) { return value >> bits | value << (32 - bits); }

}  // namespace

void Sha256::Compress(const std::uint8_t* block) {
    std::array<std::uint32_t, 64> words;
    for (std::size_t i = 0; i < 16; ++i) {
        words[i] = std::uint32_t{block[4 * i]} << 24 | std::uint32_t{block[4 * i + 1]} << 16 |
                   std::uint32_t{block[4 * i + 2]} << 8 | std::uint32_t{block[4 * i + 3]};
    }
    for (std::size_t i = 16; i < 64; ++i) {
        const std::uint32_t s0 = RotateRight(words[i - 15], 7) ^ RotateRight(words[i - 15], 18) ^ words[i - 15] >> 3;
        const std::uint32_t s1 = RotateRight(words[i - 2], 17) ^ RotateRight(words[i - 2], 19) ^ words[i - 2] >> 10;
        words[i] = words[i - 16] + s0 + words[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = m_state;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint32_t t1 = h + (RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25)) +
                                 ((e & f) ^ (~e & g)) + kRoundConstants[i] + words[i];
        const std::uint32_t t2 =
            (RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> worked = {a, b, c, d, e, f, g, h};
    for (std::size_t i = 0; i < 8; ++i) {
        m_state[i] += worked[i];
    }
}

void Sha256::Add(std::string_view bytes) {
    if (bytes.empty()) {
        return;  // its data may be null, which memcpy may not be given
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t left = bytes.size();
    std::size_t used = static_cast<std::size_t>(m_length % 64);
    m_length += left;
    if (used != 0) {
        const std::size_t taken = std::min(left, 64 - used);
        std::memcpy(m_block.data() + used, data, taken);
        data += taken;
        left -= taken;
        used += taken;
        if (used < 64) {
            return;
        }
        Compress(m_block.data());
    }
    for (; left >= 64; data += 64, left -= 64) {
        Compress(data);
    }
    std::memcpy(m_block.data(), data, left);
}

Sha256Digest Sha256::Digest() const {
    // The padding: a one bit, zeros up to 56 bytes into a block, then the length in bits, big-endian.
    Sha256 padded = *this;
    const std::uint64_t bits = m_length * 8;
    const std::size_t used = static_cast<std::size_t>(m_length % 64);
    std::array<char, 72> padding{};
    padding[0] = static_cast<char>(0x80);
    const std::size_t zeros = used < 56 ? 56 - used : 120 - used;
    for (std::size_t i = 0; i < 8; ++i) {
        padding[zeros + i] = static_cast<char>(bits >> (56 - 8 * i));
    }
    padded.Add(std::string_view(padding.data(), zeros + 8));
    Sha256Digest digest;
    for (std::size_t i = 0; i < 32; ++i) {
        digest[i] = static_cast<std::uint8_t>(padded.m_state[i / 4] >> (24 - 8 * (i % 4)));
    }
    return digest;
}

}  // namespace halvorn
