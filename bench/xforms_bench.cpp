// Mosaic and Clouds on the bundled photo (1600 x 1000) at each image quality,
// and one whole generation (Xform and final mix) through the worker's code.
#include "bench_support.h"

#include <atomic>
#include <memory>

#include "engine/filter_thread.h"
#include "imaging/dadc.h"

namespace {

CFilSpec SpecFor(int iXform, int iGeometry) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  spec.m_Clouds.m_bWizard = 0;
  spec.m_Mosaic.m_bWizard = 0;
  spec.m_Mosaic.m_iGeometry = iGeometry;
  spec.m_Mosaic.m_iHighLight = 1101;
  spec.m_Mosaic.m_dTileSize = 2.0;  // 32-pixel tiles on the photo: about 1500 of them
  return spec;
}

void RunApply(benchmark::State& state, int iXform, int iGeometry) {
  RunXformApply(state, SpecFor(iXform, iGeometry));
}

void BM_Clouds(benchmark::State& state) { RunApply(state, XFORM_CLOUDS, 0); }
void BM_MosaicRectangular(benchmark::State& state) { RunApply(state, XFORM_MOSAIC, 1028); }
void BM_MosaicCircular(benchmark::State& state) { RunApply(state, XFORM_MOSAIC, 1029); }
void BM_MosaicRectAndCircle(benchmark::State& state) { RunApply(state, XFORM_MOSAIC, 1030); }

// A whole idea as the worker makes it: Apply, the mix (left-right), freeing.
void BM_GenerationMosaic(benchmark::State& state) {
  const CDADC* pIn = SamplePhoto();
  if (!pIn) {
    state.SkipWithError("the sample photo cannot be read");
    return;
  }
  const int q = static_cast<int>(state.range(0));
  CDADC drw(pIn->m_iWidth, pIn->m_iHeight);
  std::atomic<int> iPercent{0};
  for (auto _ : state) {
    CFilSpec spec = SpecFor(XFORM_MOSAIC, 1030);
    spec.m_Mix.m_iMixMode = MIX_LEFT_RIGHT;
    spec.SetDCs(&drw, new CDADC(pIn->m_iWidth * q, pIn->m_iHeight * q), const_cast<CDADC*>(pIn));
    spec.m_Context.m_pPercent = &iPercent;
    benchmark::DoNotOptimize(FilterThreadProc(spec));
  }
}

}  // namespace

BENCHMARK(BM_Clouds)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MosaicRectangular)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MosaicCircular)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MosaicRectAndCircle)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerationMosaic)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
