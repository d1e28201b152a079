// The members of CDADC that read and write picture files through the
// picture-file layer.
#include <cstring>
#include <strings.h>

#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "imaging/packed_dib.h"
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
  CGlobalBlock hDib = OpenImageFile(szPath, kImageTga);
  if (!hDib) return 0;
  const int iFileWidth = DibWidth(hDib.Data()), iFileHeight = DibHeight(hDib.Data());
  if (iFileWidth != m_iWidth) {
    ReportError("***ERROR*** RCTF:\nx mismatch %d != %d", m_iWidth, iFileWidth);
    return 0;
  }
  if (iFileHeight != m_iHeight) {
    ReportError("***ERROR*** RTCF:\ny mismatch %d != %d", m_iHeight, iFileHeight);
    return 0;
  }
  const RECT rc{0, 0, m_iWidth, m_iHeight};
  return PaintDib(*m_pDC, rc, hDib, rc);
}
