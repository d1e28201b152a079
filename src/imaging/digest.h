// 64-bit FNV-1a: the digest of pictures and recipes that files carry (cache
// stamps, sequence files). Stored in files, so it never changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr std::uint64_t kFnv1aStart = 0xCBF29CE484222325ull;

// The digest of n bytes at p, continued from h.
inline std::uint64_t Fnv1a(const void* p, std::size_t n, std::uint64_t h = kFnv1aStart) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
  return h;
}

// A quicker digest for what lives no longer than the run (the stamps of the
// cache files): the bytes as 64-bit words over four lanes, each word mixed
// in by a multiplication and a rotation (one to one, so any one changed word
// changes the digest), the lanes and the length folded together at the end.
// Continued from h like Fnv1a; about twenty times as fast.
inline std::uint64_t WordDigest(const void* p, std::size_t n, std::uint64_t h = kFnv1aStart) {
  constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
  auto mix = [](std::uint64_t x, std::uint64_t w) {
    x = (x ^ w) * kOdd;
    return (x << 29) | (x >> 35);
  };
  const auto* b = static_cast<const std::uint8_t*>(p);
  std::uint64_t a[4] = {h, h + 1, h + 2, h + 3};
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32)
    for (int k = 0; k < 4; ++k) {
      std::uint64_t w;
      std::memcpy(&w, b + i + 8 * k, 8);
      a[k] = mix(a[k], w);
    }
  for (int k = 0; i < n; i += 8, ++k) {
    std::uint64_t w = 0;
    std::memcpy(&w, b + i, n - i < 8 ? n - i : 8);
    a[k] = mix(a[k], w);
  }
  std::uint64_t d = mix(h, n);
  for (const std::uint64_t x : a) d = mix(d, x);
  return d;
}
