// CDADC, the one picture container of the program: a 24-bit, bottom-up DIB
// section (bytes blue, green, red; rows padded to 4 bytes) permanently
// selected into a device context of its own. Xforms draw on it through the
// DC; the mixing code reads and writes its pixel memory directly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "platform/dc.h"
#include "platform/global_block.h"
#include "platform/win_types.h"

class CDADC {
 public:
  // An empty surface with its DC; InitData must follow.
  CDADC();
  // A black surface of the given size (on failure the pixel memory stays
  // NULL, after a message).
  CDADC(int iWidth, int iHeight);
  ~CDADC() { Free(); }
  CDADC(const CDADC&) = delete;
  CDADC& operator=(const CDADC&) = delete;

  // Creates the pixel memory from a 24-bit description; 1 on success, 0 after
  // a message. Refuses to run twice.
  int InitData(const BITMAPINFO& bmi);
  // Releases everything; the surface is then dead.
  void Free();

  // Saves by extension: "bmp" with the own writer, the rest through the
  // picture-file writer. 1/0.
  int WriteImageFile(const char* szPath);
  // An uncompressed 24-bit BMP file. 1/0.
  int WriteBmpFile(const char* szPath);
  // The pixel block, in pieces of 32768 bytes. 1/0.
  int WriteBitmap(std::FILE* pFile);
  // A new surface from a packed DIB of any depth (the block stays the
  // caller's); nullptr after a message.
  static std::unique_ptr<CDADC> CBC(const CGlobalBlock& hDib);
  // Reloads this surface from a cache file (TGA) of exactly its size. 1/0.
  int ReadCacheFile(const char* szPath);

  // A new surface with the same pixels; nullptr when it cannot be made.
  static std::unique_ptr<CDADC> Copy(const CDADC& src);
  // A new surface of trunc(|size x factor|) (at least 1 x 1) holding this
  // one stretched into it; nullptr when it cannot be made.
  static std::unique_ptr<CDADC> ScaledCopy(double dFactor, const CDADC& src);
  // The smallest n >= 1 with width / n <= 64.
  int PreviewDivisor() const;

  bool IsValid() const { return m_pBits != nullptr; }
  // Pixel memory of picture row y (0 = top).
  std::uint8_t* Row(int y) {
    return m_pBits + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }
  const std::uint8_t* Row(int y) const {
    return m_pBits + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }

  std::unique_ptr<CDC> m_pDC;
  std::unique_ptr<CBitmap> m_hDib;
  std::uint8_t* m_pBits = nullptr;
  std::int32_t m_iWidth = 0;
  std::int32_t m_iHeight = 0;
  std::int32_t m_iBytesPerRow = 0;
  std::uint32_t m_iImageSize = 0;
  BITMAPINFO m_bmi{};
  BITMAPFILEHEADER m_bfh{};
  CBitmap* m_hOldBitmap = nullptr;

 private:
  void CreateDC();
};

// Writes iSize bytes through pfnWrite in pieces of 32768 bytes, the last one
// holding the rest; each call must report one piece written. 1/0, with the
// writer's messages.
int WriteInPieces(const std::uint8_t* p, std::size_t iSize,
                  const std::function<bool(const std::uint8_t*, std::size_t)>& pfnWrite);
