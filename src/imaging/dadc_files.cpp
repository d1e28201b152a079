// The members of CDADC that read and write picture files through the
// picture-file layer.
#include <cstring>
#include <strings.h>

#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "platform/report.h"

int CDADC::WriteImageFile(const char* szPath) {
  const char* pDot = std::strrchr(szPath, '.');
  if (!pDot) {
    ReportError("WriteImageFile has no extension:\n<%s>", szPath);
    return 0;
  }
  if (strcasecmp(pDot + 1, "bmp") == 0) return WriteBmpFile(szPath);
  return VicWriteFile(szPath, *this, kImageFromName);
}

int CDADC::ReadCacheFile(const char* szPath) {
  if (!m_pDC || !m_pBits) {
    ReportError("CDADC::ReadCacheFile called with\nNULL pointers for %s", szPath);
    return 0;
  }
  std::unique_ptr<CDADC> pFile = OpenImageSurface(szPath, kImageTga);
  if (!pFile) return 0;
  if (pFile->m_iWidth != m_iWidth) {
    ReportError("***ERROR*** RCTF:\nx mismatch %d != %d", m_iWidth, pFile->m_iWidth);
    return 0;
  }
  if (pFile->m_iHeight != m_iHeight) {
    ReportError("***ERROR*** RTCF:\ny mismatch %d != %d", m_iHeight, pFile->m_iHeight);
    return 0;
  }
  // Drawn 1:1 as a loaded bitmap is: the number of rows, or 0.
  m_pDC->SetStretchBltMode(COLORONCOLOR);
  if (!m_pDC->BitBlt(0, 0, m_iWidth, m_iHeight, *pFile->m_pDC, 0, 0, SRCCOPY)) return 0;
  return m_iHeight;
}
