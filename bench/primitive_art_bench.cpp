// Primitive Art and Bubble on the bundled photo (1600 x 1000) at image
// quality 1 and 4: the Xform's own drawing on the oversampled surface.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "engine/filspec.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"

namespace {

const CDADC* Photo() {
  static std::unique_ptr<CDADC> pPhoto =
      CDADC::CBC(OpenImageFile(VX_SAMPLE_DIR "/ladybird.jpg", kImageFromName));
  return pPhoto.get();
}

// The defaults of each Xform, with a fixed seed and the wizard off.
CFilSpec BenchSpec(int iXform) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  *spec.WizardFlag(iXform) = 0;
  spec.m_Bubble.m_iHighLight = 1101;  // with highlight arcs
  return spec;
}

void RunApply(benchmark::State& state, int iXform) {
  const CDADC* pIn = Photo();
  if (!pIn) {
    state.SkipWithError("the sample photo cannot be read");
    return;
  }
  const int q = static_cast<int>(state.range(0));
  CDADC out(pIn->m_iWidth * q, pIn->m_iHeight * q), drw(pIn->m_iWidth, pIn->m_iHeight);
  std::atomic<int> iPercent{0};
  for (auto _ : state) {
    CFilSpec spec = BenchSpec(iXform);
    spec.SetDCs(&drw, &out, const_cast<CDADC*>(pIn));
    spec.m_Context.m_pPercent = &iPercent;
    benchmark::DoNotOptimize(spec.Apply());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pIn->m_iWidth * pIn->m_iHeight);
  state.counters["out_Mpx"] = out.m_iWidth * static_cast<double>(out.m_iHeight) / 1e6;
}

void BM_PrimitiveArt(benchmark::State& state) { RunApply(state, XFORM_PRIMITIVE_ART); }
void BM_Bubble(benchmark::State& state) { RunApply(state, XFORM_BUBBLE); }

}  // namespace

BENCHMARK(BM_PrimitiveArt)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bubble)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
