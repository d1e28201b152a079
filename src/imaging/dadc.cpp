#include "imaging/dadc.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

#include "imaging/file_utils.h"
#include "imaging/packed_dib.h"
#include "platform/report.h"

namespace {
constexpr std::size_t kPieceSize = 32768;
}

void CDADC::CreateDC() {
  m_pDC.reset(new (std::nothrow) CDC);
  if (m_pDC) m_pDC->SetStretchBltMode(COLORONCOLOR);
}

CDADC::CDADC() {
  CreateDC();
  if (!m_pDC) ReportError("CDADC::CDADC() default constructor.\nOut of memory.");
}

CDADC::CDADC(int iWidth, int iHeight) {
  CreateDC();
  if (!m_pDC) {
    ReportError("CDADC: constructor cannot\ncreate screen compatible DC(%d by %d).", iWidth,
                iHeight);
    return;
  }
  BITMAPINFO bmi;
  InitBitmapInfo24(bmi);
  bmi.bmiHeader.biWidth = iWidth;
  bmi.bmiHeader.biHeight = iHeight;
  if (!InitData(bmi)) ReportError("CDADC::CDADC(%d,%d) constructor\ncannot InitData()", iWidth, iHeight);
}

int CDADC::InitData(const BITMAPINFO& bmi) {
  if (!m_pDC) {
    ReportError("CDADC::InitData called with NULL DC");
    return 0;
  }
  if (m_hDib) {
    ReportError("CDADC::InitData called with non NULL hDib");
    return 0;
  }
  if (m_pBits) {
    ReportError("CDADC::InitData called with non NULL pBits");
    return 0;
  }
  const int iWidth = bmi.bmiHeader.biWidth, iHeight = bmi.bmiHeader.biHeight;
  if (iWidth <= 0) {
    ReportError("CDADC::InitData called width=%d", iWidth);
    return 0;
  }
  if (iHeight <= 0) {
    ReportError("CDADC::InitData called height=%d", iHeight);
    return 0;
  }
  std::uint8_t* pBits = nullptr;
  std::unique_ptr<CBitmap> hDib = CreateDIBSection(bmi, &pBits);
  if (!hDib || !pBits) {
    errno = ENOMEM;
    ReportSystemError("CDADC::InitData()",
                      "You are probably out of Windows System Memory\nIf your disk is full please "
                      "exit Vexmora,\nfree some disk space, and restart Vexmora.\n(CreateDIBSection "
                      "h=%p, p=%p\n%d pixels by %d)",
                      static_cast<void*>(hDib.get()), static_cast<void*>(pBits), iWidth, iHeight);
    return 0;
  }
  m_hDib = std::move(hDib);
  m_pBits = pBits;
  m_iWidth = iWidth;
  m_iHeight = iHeight;
  m_hOldBitmap = m_pDC->SelectObject(m_hDib.get());
  m_iBytesPerRow = BytesPerRow24(iWidth);
  m_iImageSize = static_cast<std::uint32_t>(m_iBytesPerRow) * static_cast<std::uint32_t>(iHeight);
  m_bfh.bfType = 0x4D42;
  m_bfh.bfSize = m_iImageSize + 54;
  m_bfh.bfReserved1 = 0;
  m_bfh.bfReserved2 = 0;
  m_bfh.bfOffBits = 54;
  m_bmi = bmi;
  // The new memory is already black: only the background colour that the
  // fill would leave is set.
  m_pDC->SetBkColor(0);
  return 1;
}

void CDADC::Free() {
  if (m_pDC && m_hDib) m_pDC->SelectObject(m_hOldBitmap);
  m_hOldBitmap = nullptr;
  m_hDib.reset();
  m_pDC.reset();
  m_pBits = nullptr;
  m_iWidth = m_iHeight = m_iBytesPerRow = 0;
  m_iImageSize = 0;
}

int CDADC::WriteBmpFile(const char* szPath) {
  if (!m_pBits || !m_pDC) {
    ReportError("CDADC::WriteBmpFile called with\nNULL pointers for %s", szPath);
    return 0;
  }
  // Written under a temporary name: a failed write keeps the old file.
  CReplacingFile file(szPath);
  std::FILE* pFile = file.File();
  if (!pFile) {
    ReportError("Could not open %s to\nwrite bitmap:\n%s", szPath,
                SystemReason(file.Error()).c_str());
    return 0;
  }
  // The 14-byte file header field by field, little-endian, then the 40-byte
  // information header (the colour entry is not written).
  std::uint8_t aHeader[54];
  auto put16 = [&aHeader](int iAt, std::uint32_t v) {
    aHeader[iAt] = static_cast<std::uint8_t>(v);
    aHeader[iAt + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  auto put32 = [&](int iAt, std::uint32_t v) {
    put16(iAt, v & 0xFFFF);
    put16(iAt + 2, v >> 16);
  };
  put16(0, m_bfh.bfType);
  put32(2, m_bfh.bfSize);
  put16(6, m_bfh.bfReserved1);
  put16(8, m_bfh.bfReserved2);
  put32(10, m_bfh.bfOffBits);
  const BITMAPINFOHEADER& h = m_bmi.bmiHeader;
  put32(14, h.biSize);
  put32(18, static_cast<std::uint32_t>(h.biWidth));
  put32(22, static_cast<std::uint32_t>(h.biHeight));
  put16(26, h.biPlanes);
  put16(28, h.biBitCount);
  put32(30, h.biCompression);
  put32(34, h.biSizeImage);
  put32(38, static_cast<std::uint32_t>(h.biXPelsPerMeter));
  put32(42, static_cast<std::uint32_t>(h.biYPelsPerMeter));
  put32(46, h.biClrUsed);
  put32(50, h.biClrImportant);
  if (std::fwrite(aHeader, sizeof aHeader, 1, pFile) != 1) {
    ReportError("ERROR While writing file:\n%s", szPath);
    return 0;
  }
  if (!WriteBitmap(pFile)) {
    // The failed write left the system's reason in errno.
    ReportError("ERROR While writing file:\n%s\n%s", szPath, SystemReason(errno).c_str());
    return 0;
  }
  // A failure to flush at close loses the end of the file just as surely.
  if (const int iError = file.Commit()) {
    ReportError("ERROR While writing file:\n%s\n%s", szPath, SystemReason(iError).c_str());
    return 0;
  }
  return 1;
}

int WriteInPieces(const std::uint8_t* p, std::size_t iSize,
                  const std::function<bool(const std::uint8_t*, std::size_t)>& pfnWrite) {
  while (iSize > kPieceSize) {
    if (!pfnWrite(p, kPieceSize)) {
      ReportError(
          "CDADC::WriteBitmap(): ERROR WL \nIf your disk is full please exit Vexmora\nfree some "
          "disk space, and restart Vexmora.");
      return 0;
    }
    p += kPieceSize;
    iSize -= kPieceSize;
  }
  if (!pfnWrite(p, iSize)) {
    ReportError("WriteBitmap: ERROR at end\n");
    return 0;
  }
  return 1;
}

int CDADC::WriteBitmap(std::FILE* pFile) {
  return WriteInPieces(m_pBits, m_iImageSize, [pFile](const std::uint8_t* p, std::size_t n) {
    return std::fwrite(p, n, 1, pFile) == 1;
  });
}

std::unique_ptr<CDADC> CDADC::CBC(const CGlobalBlock& hDib) {
  if (!hDib) {
    ReportError("CDADC::CBC: Bad DIB handle");
    return nullptr;
  }
  std::unique_ptr<CDADC> pSurface(new (std::nothrow) CDADC);
  if (!pSurface) {
    ReportError("CDADC::CBC: could not allocate CDADC");
    return nullptr;
  }
  // The block must at least hold a header before its fields can be read.
  CDibLayout layout;
  const char* szWhy = "";
  if (!ParseDib(hDib.Data(), hDib.Size(), layout, &szWhy)) {
    ReportError("CDADC::CBC: not a usable bitmap (%s)", szWhy);
    return nullptr;
  }
  BITMAPINFO bmi;
  InitBitmapInfo24(bmi);
  bmi.bmiHeader.biWidth = layout.m_iWidth;
  bmi.bmiHeader.biHeight = layout.m_iHeight;
  if (!pSurface->InitData(bmi)) {
    ReportError("CBCDADC:InitData failure");
    return nullptr;
  }
  DibTo24(hDib.Data(), layout, pSurface->m_pBits, static_cast<std::size_t>(pSurface->m_iBytesPerRow));
  return pSurface;
}

std::unique_ptr<CDADC> CDADC::Copy(const CDADC& src) {
  if (!src.IsValid()) return nullptr;
  auto pCopy = std::make_unique<CDADC>(src.m_iWidth, src.m_iHeight);
  if (!pCopy->IsValid()) return nullptr;
  std::memcpy(pCopy->m_pBits, src.m_pBits,
              static_cast<std::size_t>(src.m_iBytesPerRow) * static_cast<std::size_t>(src.m_iHeight));
  return pCopy;
}

std::unique_ptr<CDADC> CDADC::ScaledCopy(double dFactor, const CDADC& src) {
  const int iWidth = std::max(1, static_cast<int>(std::fabs(src.m_iWidth * dFactor)));
  const int iHeight = std::max(1, static_cast<int>(std::fabs(src.m_iHeight * dFactor)));
  auto pCopy = std::make_unique<CDADC>(iWidth, iHeight);
  if (!pCopy->IsValid()) return nullptr;
  pCopy->m_pDC->StretchBlt(0, 0, iWidth, iHeight, *src.m_pDC, 0, 0, src.m_iWidth, src.m_iHeight,
                           SRCCOPY);
  return pCopy;
}

int CDADC::PreviewDivisor() const {
  int n = 1;
  while (m_iWidth / n > 64) ++n;
  return n;
}
