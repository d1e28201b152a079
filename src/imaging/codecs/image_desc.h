// The image descriptor the picture codecs load into and save from, and the
// operations on it that the loader and writer are built from: allocate,
// free, convert to 24 bits, reduce to 256 colours, hand over as a packed DIB.
//
// A descriptor is itself a packed DIB in a block of memory: a 40-byte
// header, three colour masks for 16 and 32 bits (BI_BITFIELDS), a colour
// table of 2^n entries for 1, 4 and 8 bits, then the rows, bottom row first,
// each padded to 4 bytes. A 24-bit descriptor has the pixel layout of a
// CDADC (blue, green, red), so rows copy between the two one for one, and
// handing it over as a DIB costs nothing. A 24-bit descriptor can also be
// laid over pixel memory of that layout that it does not own (AttachImage),
// so that a codec reads or writes a surface's rows in place.
//
// Every operation returns 0 on success or one of the error codes below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/global_block.h"
#include "platform/win_types.h"

enum : int {
  kVicOk = 0,
  kVicErrRead = -1,         // the file cannot be opened or read
  kVicErrNoMemory = -2,     // the pixel memory cannot be had
  kVicErrDiskFull = -3,     // writing the file failed (disk full or I/O error)
  kVicErrSignature = -4,    // not a file of this format
  kVicErrTruncated = -5,    // the data ends before the picture does
  kVicErrUnsupported = -6,  // a variant of the format that is not read
  kVicErrCorrupt = -7,      // inconsistent or damaged data
  kVicErrTooLarge = -8,     // beyond the bounds of reading (PictureSizeWithinBounds)
  kVicErrBadSize = -9,      // zero or negative width or height
  kVicErrMismatch = -10,    // descriptor of the wrong size or depth for the call
  kVicErrCreate = -11,      // the file cannot be created
  kVicErrNotRegular = -12,  // a pipe, device or folder, not a file
};

using CBytes = std::span<const std::uint8_t>;

// What a format's info call learns from a file: the size and the depth of
// the descriptor its load call fills (1, 4, 8, 16, 24 or 32 bits).
struct CImageInfo {
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBitsPerPixel = 0;
};

class CImageDesc {
 public:
  bool IsAllocated() const { return m_pRows || m_hDib; }
  // True when the pixels are another owner's memory (AttachImage).
  bool IsAttached() const { return m_pRows != nullptr; }
  // True when allocated at exactly this size and depth.
  bool IsOf(int iWidth, int iHeight, int iBitsPerPixel) const {
    return IsAllocated() && m_iWidth == iWidth && m_iHeight == iHeight &&
           m_iBitsPerPixel == iBitsPerPixel;
  }
  int Width() const { return m_iWidth; }
  int Height() const { return m_iHeight; }
  int BitsPerPixel() const { return m_iBitsPerPixel; }
  std::size_t BytesPerRow() const { return m_iBytesPerRow; }
  // Pixel rows, bottom row first.
  std::uint8_t* Bits() { return m_pRows ? m_pRows : m_hDib.Data() + m_iBitsOffset; }
  const std::uint8_t* Bits() const { return m_pRows ? m_pRows : m_hDib.Data() + m_iBitsOffset; }
  // The memory of picture row y (0 = top).
  std::uint8_t* Row(int y) {
    return Bits() + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }
  const std::uint8_t* Row(int y) const {
    return Bits() + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }
  // Colour table entries (2^n for n <= 8 bits, else 0), black until set.
  int PaletteEntries() const { return m_iBitsPerPixel <= 8 ? 1 << m_iBitsPerPixel : 0; }
  void SetPaletteEntry(int i, int r, int g, int b);
  COLORREF PaletteEntry(int i) const;
  // Red, green and blue masks of a 16 or 32-bit descriptor (default 5-5-5 and 8-8-8).
  void SetMasks(DWORD dwRed, DWORD dwGreen, DWORD dwBlue);
  // The whole packed DIB (empty for an attached descriptor).
  const CGlobalBlock& Dib() const { return m_hDib; }

 private:
  friend int AllocImage(CImageDesc& desc, int iWidth, int iHeight, int iBitsPerPixel);
  friend int AttachImage(CImageDesc& desc, std::uint8_t* pBits, int iWidth, int iHeight,
                         std::size_t iBytesPerRow);
  friend void FreeImage(CImageDesc& desc);
  friend int ImageToDib(CImageDesc& desc, CGlobalBlock& hDib);

  CGlobalBlock m_hDib;
  std::uint8_t* m_pRows = nullptr;  // attached pixels, not owned
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBitsPerPixel = 0;
  std::size_t m_iBytesPerRow = 0;
  std::size_t m_iBitsOffset = 0;
};

// Checks the size a file's header claims against the bounds of reading:
// kVicErrBadSize for a zero or negative side, kVicErrTooLarge beyond
// MaxPicturePixels or kMaxPictureSide, else 0. Every info call checks its
// size with it before anything is allocated.
int CheckPictureSize(long long iWidth, long long iHeight);
// The sides alone (kVicErrBadSize, kVicErrTooLarge beyond kMaxPictureSide).
// The decoders check the sides first, then whether the file's bytes can
// hold the pixels it claims (a file that cannot is corrupt or truncated,
// whatever its size), then the whole size with CheckPictureSize.
int CheckPictureSides(long long iWidth, long long iHeight);

// Descriptors themselves hold any size every writer can write
// (kMaxPictureSide, kMaxPicturePixels), whatever the bound of reading.
// A black descriptor (palette entries black) of the given size and depth
// (1, 4, 8, 16, 24 or 32). An allocated descriptor is freed first.
int AllocImage(CImageDesc& desc, int iWidth, int iHeight, int iBitsPerPixel);
// A 24-bit descriptor over pixel memory that stays its owner's: iHeight
// rows, bottom row first, iBytesPerRow apart (at least 3 x iWidth rounded up
// to 4 bytes). The memory must outlive the descriptor's use. The load calls
// write the 3 x iWidth picture bytes of each row and leave the padding after
// them as it was. An allocated descriptor is freed first.
int AttachImage(CImageDesc& desc, std::uint8_t* pBits, int iWidth, int iHeight,
                std::size_t iBytesPerRow);
void FreeImage(CImageDesc& desc);
// Converts a descriptor of any depth into a 24-bit one of the same size.
int ConvertTo24(const CImageDesc& src, CImageDesc& dst);
// Reduces a 24-bit descriptor to an 8-bit palette one of the same size with
// at most iColours colours: pictures with that few colours keep them
// exactly, others are quantised.
int ReduceColours(int iColours, const CImageDesc& src, CImageDesc& dst);
// Hands a 24-bit descriptor over as a packed DIB; the descriptor is left
// empty. An attached descriptor has no DIB to hand over (kVicErrMismatch).
int ImageToDib(CImageDesc& desc, CGlobalBlock& hDib);

// An allocator whose containers leave new elements of trivial types
// uninitialised (resize does not zero bytes that a read fills at once).
template <typename T>
struct CNoInitAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = CNoInitAllocator<U>;
  };
  CNoInitAllocator() = default;
  template <typename U>
  CNoInitAllocator(const CNoInitAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... TArgs>
  void construct(U* p, TArgs&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<TArgs>(args)...);
  }
};
// A file's bytes as read.
using CFileBytes = std::vector<std::uint8_t, CNoInitAllocator<std::uint8_t>>;

// Whole-file helpers for the path wrappers of the codecs. Only regular
// files are read (kVicErrNotRegular at once for a pipe or device), and only
// when no larger than a picture within the pixel bound can be
// (kVicErrTooLarge).
int ReadFileBytes(const char* szPath, std::vector<std::uint8_t>& aData);
// The largest file a picture within the pixel bound can come in.
unsigned long long MaxPictureFileSize();
int ReadFileBytes(const char* szPath, CFileBytes& aData);
// Writing goes through a temporary file (WriteWholeFile): a failed write
// leaves an existing file as it was. bCreateNew: the file must not exist
// yet, and a link in its place is not followed. kVicErrDiskFull when the
// disk or quota is full (or the device fails), kVicErrCreate otherwise;
// LastWriteErrno gives the system's reason on this thread.
int WriteFileBytes(const char* szPath, CBytes data, bool bCreateNew = false);
int LastWriteErrno();

// Bounds-checked little-endian reads from a byte buffer.
inline unsigned ReadLE16(const std::uint8_t* p) { return p[0] | (p[1] << 8u); }
inline std::uint32_t ReadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void PutLE16(std::vector<std::uint8_t>& a, unsigned v) {
  a.push_back(static_cast<std::uint8_t>(v));
  a.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutLE32(std::vector<std::uint8_t>& a, std::uint32_t v) {
  PutLE16(a, v & 0xFFFF);
  PutLE16(a, v >> 16);
}
// Stores a colour index into a row of 1, 4 or 8 bits per pixel.
inline void PutIndex(std::uint8_t* pRow, int x, int iBits, int iIndex) {
  if (iBits == 8) {
    pRow[x] = static_cast<std::uint8_t>(iIndex);
    return;
  }
  const int iPerByte = 8 / iBits;
  const int iShift = 8 - iBits * (1 + x % iPerByte);
  const int iMask = ((1 << iBits) - 1) << iShift;
  std::uint8_t& b = pRow[x / iPerByte];
  b = static_cast<std::uint8_t>((b & ~iMask) | ((iIndex << iShift) & iMask));
}

// Decodes a file in memory with a format's info and load calls into a
// 24-bit descriptor, converting other depths, without any message. Pictures
// of more than iMaxPixels pixels (and more than the bounds of reading) are
// refused with kVicErrTooLarge.
using PFN_IMAGE_INFO = int (*)(CBytes, CImageInfo&);
using PFN_IMAGE_LOAD = int (*)(CBytes, CImageDesc&);
int DecodePicture(CBytes data, PFN_IMAGE_INFO pfnInfo, PFN_IMAGE_LOAD pfnLoad, CImageDesc& out,
                  long long iMaxPixels);
