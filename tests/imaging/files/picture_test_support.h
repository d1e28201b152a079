// Helpers shared by the picture-file tests: test pictures, a scratch
// directory, and reading pixels back out of packed DIBs and files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs/image_desc.h"
#include "imaging/dadc.h"
#include "imaging/packed_dib.h"

namespace picture_test {

// An RGB picture, top row first, three bytes per pixel.
struct CRgb {
  int m_iWidth = 0;
  int m_iHeight = 0;
  std::vector<std::uint8_t> m_aPixels;
  const std::uint8_t* At(int x, int y) const {
    return &m_aPixels[(static_cast<std::size_t>(y) * m_iWidth + x) * 3];
  }
};

// A colourful pattern with a different colour in every pixel of a small picture.
inline void PatternColour(int x, int y, std::uint8_t aRgb[3]) {
  aRgb[0] = static_cast<std::uint8_t>(x * 47 + y * 13 + 5);
  aRgb[1] = static_cast<std::uint8_t>(y * 71 + 200 - x * 3);
  aRgb[2] = static_cast<std::uint8_t>((x * 29) ^ (y * 101));
}

inline std::unique_ptr<CDADC> PatternSurface(int w, int h) {
  auto p = std::make_unique<CDADC>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t c[3];
      PatternColour(x, y, c);
      p->m_pDC->SetPixelV(x, y, RGB(c[0], c[1], c[2]));
    }
  return p;
}

// Gentle gradients of clearly different colours.
inline std::unique_ptr<CDADC> SmoothSurface(int w, int h) {
  auto p = std::make_unique<CDADC>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->m_pDC->SetPixelV(x, y, RGB(40 + 6 * x, 90 + 5 * y, 200));
  return p;
}

inline CRgb SurfaceRgb(const CDADC& s) {
  CRgb rgb{s.m_iWidth, s.m_iHeight, {}};
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) {
      const std::uint8_t* p = s.Row(y) + 3 * x;
      rgb.m_aPixels.insert(rgb.m_aPixels.end(), {p[2], p[1], p[0]});
    }
  return rgb;
}

// The pixels of a 24-bit descriptor.
inline CRgb DescRgb(const CImageDesc& d) {
  CRgb rgb{d.Width(), d.Height(), {}};
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) {
      const std::uint8_t* p = d.Row(y) + 3 * x;
      rgb.m_aPixels.insert(rgb.m_aPixels.end(), {p[2], p[1], p[0]});
    }
  return rgb;
}

// The pixels of a packed DIB; also checks that it is a plain 24-bit,
// bottom-up one with a 40-byte header.
inline CRgb DibRgb(const CGlobalBlock& hDib) {
  CRgb rgb;
  CDibLayout layout;
  EXPECT_TRUE(ParseDib(hDib.Data(), hDib.Size(), layout));
  EXPECT_EQ(layout.m_iBitCount, 24);
  EXPECT_EQ(DibHeaderSize(hDib.Data()), 40);
  EXPECT_FALSE(layout.m_bTopDown);
  if (layout.m_iBitCount != 24) return rgb;
  rgb.m_iWidth = layout.m_iWidth;
  rgb.m_iHeight = layout.m_iHeight;
  for (int y = 0; y < rgb.m_iHeight; ++y) {
    const std::uint8_t* row =
        hDib.Data() + layout.m_iBitsOffset + (rgb.m_iHeight - 1 - y) * layout.m_iStride;
    for (int x = 0; x < rgb.m_iWidth; ++x)
      rgb.m_aPixels.insert(rgb.m_aPixels.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  return rgb;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& csPath) {
  std::ifstream in(csPath, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& csPath, const std::vector<std::uint8_t>& a) {
  std::ofstream out(csPath, std::ios::binary);
  out.write(reinterpret_cast<const char*>(a.data()), static_cast<std::streamsize>(a.size()));
}

// Largest difference of any channel; -1 when the sizes differ.
inline int MaxDifference(const CRgb& a, const CRgb& b) {
  if (a.m_iWidth != b.m_iWidth || a.m_iHeight != b.m_iHeight ||
      a.m_aPixels.size() != b.m_aPixels.size())
    return -1;
  int iMax = 0;
  for (std::size_t i = 0; i < a.m_aPixels.size(); ++i)
    iMax = std::max(iMax, std::abs(a.m_aPixels[i] - b.m_aPixels[i]));
  return iMax;
}

// A fixture with a fresh scratch directory, removed afterwards.
class CScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char szTemplate[] = "/tmp/vexmora_files_XXXXXX";
    ASSERT_NE(mkdtemp(szTemplate), nullptr);
    m_csDir = szTemplate;
  }
  void TearDown() override { std::filesystem::remove_all(m_csDir); }
  std::string Path(const std::string& csName) const { return m_csDir + "/" + csName; }
  std::string m_csDir;
};

inline std::string DataPath(const std::string& csName) {
  return std::string(VX_TEST_DATA_DIR) + "/" + csName;
}

}  // namespace picture_test
