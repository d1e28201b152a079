// 64-bit FNV-1a: the digest of pictures and recipes that files carry (cache
// stamps, sequence files). Stored in files, so it never changes.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::uint64_t kFnv1aStart = 0xCBF29CE484222325ull;

// The digest of n bytes at p, continued from h.
inline std::uint64_t Fnv1a(const void* p, std::size_t n, std::uint64_t h = kFnv1aStart) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
  return h;
}
