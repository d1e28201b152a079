// Load and save times of the bundled 1600 x 1000 photo in every picture format.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "imaging/dadc.h"
#include "imaging/image_files.h"

namespace {

// The sample photo as a surface, loaded once.
const CDADC& Sample() {
  static std::unique_ptr<CDADC> pSample =
      OpenImageSurface(VX_SAMPLE_DIR "/ladybird.jpg", kImageFromName);
  return *pSample;
}

std::string BenchPath(const char* szExtension) {
  static const std::string csDir = [] {
    auto dir = std::filesystem::temp_directory_path() / "vexmora_files_bench";
    std::filesystem::create_directories(dir);
    return dir.string();
  }();
  return csDir + "/sample." + szExtension;
}

void BM_SavePicture(benchmark::State& state, const char* szExtension) {
  const CDADC& sample = Sample();
  const std::string csPath = BenchPath(szExtension);
  for (auto _ : state)
    if (!VicWriteFile(csPath.c_str(), sample, kImageFromName)) state.SkipWithError("save failed");
  state.SetItemsProcessed(state.iterations() * sample.m_iWidth * sample.m_iHeight);
}

void BM_LoadPicture(benchmark::State& state, const char* szExtension) {
  const CDADC& sample = Sample();
  const std::string csPath = BenchPath(szExtension);
  if (!VicWriteFile(csPath.c_str(), sample, kImageFromName)) state.SkipWithError("save failed");
  for (auto _ : state) {
    CGlobalBlock hDib = OpenImageFile(csPath.c_str(), kImageFromName);
    if (!hDib) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(hDib.Data());
  }
  state.SetItemsProcessed(state.iterations() * sample.m_iWidth * sample.m_iHeight);
}

// A picture file to a surface: decoded straight into it, or (bCopy) into a
// packed DIB that CDADC::CBC then copies.
void BM_OpenSurface(benchmark::State& state, const char* szExtension, bool bCopy) {
  const CDADC& sample = Sample();
  const std::string csPath = BenchPath(szExtension);
  if (!VicWriteFile(csPath.c_str(), sample, kImageFromName)) state.SkipWithError("save failed");
  for (auto _ : state) {
    std::unique_ptr<CDADC> pSurface =
        bCopy ? CDADC::CBC(OpenImageFile(csPath.c_str(), kImageFromName))
              : OpenImageSurface(csPath.c_str(), kImageFromName);
    if (!pSurface) {
      state.SkipWithError("load failed");
      break;
    }
    benchmark::DoNotOptimize(pSurface->m_pBits);
  }
  state.SetItemsProcessed(state.iterations() * sample.m_iWidth * sample.m_iHeight);
}

}  // namespace

BENCHMARK_CAPTURE(BM_SavePicture, bmp, "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SavePicture, tga, "tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SavePicture, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SavePicture, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SavePicture, pcx, "pcx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPicture, bmp, "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPicture, tga, "tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPicture, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPicture, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPicture, pcx, "pcx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenSurface, jpg, "jpg", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenSurface, jpg_via_dib, "jpg", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenSurface, bmp, "bmp", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenSurface, bmp_via_dib, "bmp", true)->Unit(benchmark::kMillisecond);
