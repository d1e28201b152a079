// An owned block of memory standing in for a moveable global memory handle:
// the packed DIBs of the clipboard, the loaders and CDADC::CBC live in one.
// An empty block plays the part of a NULL handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

class CGlobalBlock {
 public:
  CGlobalBlock() = default;
  CGlobalBlock(CGlobalBlock&&) noexcept = default;
  CGlobalBlock& operator=(CGlobalBlock&&) noexcept = default;
  CGlobalBlock(const CGlobalBlock&) = delete;
  CGlobalBlock& operator=(const CGlobalBlock&) = delete;

  // A zero-initialised block of iSize bytes; empty when iSize is 0 or the
  // memory cannot be had.
  static CGlobalBlock Alloc(std::size_t iSize);

  explicit operator bool() const { return m_pData != nullptr; }
  std::size_t Size() const { return m_iSize; }
  std::uint8_t* Data() { return m_pData.get(); }
  const std::uint8_t* Data() const { return m_pData.get(); }
  void Free() {
    m_pData.reset();
    m_iSize = 0;
  }

 private:
  struct CFreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint8_t, CFreeDeleter> m_pData;
  std::size_t m_iSize = 0;
};
