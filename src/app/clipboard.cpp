#include "app/clipboard.h"

#include <cstring>

#include "imaging/packed_dib.h"
#include "platform/win_types.h"

CGlobalBlock DibFromImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int iWidth = rgb.width();
  const int iHeight = rgb.height();
  const std::size_t iRowBytes = (static_cast<std::size_t>(iWidth) * 3 + 3) & ~std::size_t{3};
  BITMAPINFO bmi{};
  InitBitmapInfo24(bmi);
  bmi.bmiHeader.biWidth = iWidth;
  bmi.bmiHeader.biHeight = iHeight;
  bmi.bmiHeader.biSizeImage = static_cast<DWORD>(iRowBytes * static_cast<std::size_t>(iHeight));
  const std::size_t iHeader = sizeof(BITMAPINFOHEADER);
  CGlobalBlock hDib = CGlobalBlock::Alloc(iHeader + iRowBytes * static_cast<std::size_t>(iHeight));
  if (!hDib) return {};
  std::memcpy(hDib.Data(), &bmi.bmiHeader, iHeader);
  for (int y = 0; y < iHeight; ++y) {
    const uchar* pSrc = rgb.constScanLine(y);
    std::uint8_t* pDst = hDib.Data() + iHeader + iRowBytes * static_cast<std::size_t>(iHeight - 1 - y);
    for (int x = 0; x < iWidth; ++x) {
      pDst[3 * x] = pSrc[3 * x + 2];
      pDst[3 * x + 1] = pSrc[3 * x + 1];
      pDst[3 * x + 2] = pSrc[3 * x];
    }
  }
  return hDib;
}
