// What the goal programs share: photo-like pictures of any size, and the
// process's CPU time.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/dadc.h"

// The photo scaled to w x h by nearest neighbours; nullptr without memory.
inline std::unique_ptr<CDADC> ScaledPhoto(const CDADC& photo, int w, int h) {
  auto p = std::make_unique<CDADC>(w, h);
  if (!p->IsValid()) return nullptr;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* pSrc =
        photo.Row(static_cast<int>(static_cast<long long>(y) * photo.m_iHeight / h));
    std::uint8_t* pDst = p->Row(y);
    for (int x = 0; x < w; ++x)
      std::memcpy(pDst + 3 * x, pSrc + 3 * (static_cast<long long>(x) * photo.m_iWidth / w), 3);
  }
  return p;
}

// CPU time of the whole process (every thread), in ms.
inline double ProcessCpuMs() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
         (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}
