// Text and Fallen Letters on the bundled photo (1600 x 1000) at image quality
// 1 and 4: lettering through the drawing layer's fonts.
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

CFilSpec LetteringSpec(int iXform, int iMode) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  spec.m_Text.m_bWizard = 0;
  spec.m_Text.m_iMode = iMode;
  spec.m_Text.m_iAcross = 80;  // the most letters: 80 x 50 cells on the photo
  spec.m_FallenLetters.m_bWizard = 0;
  spec.m_FallenLetters.m_iCount = 850;
  spec.m_FallenLetters.m_bSize = 1;
  spec.m_FallenLetters.m_iColourMode = 1;
  return spec;
}

void RunApply(benchmark::State& state, int iXform, int iMode) {
  const CDADC* pIn = Photo();
  if (!pIn) {
    state.SkipWithError("the sample photo cannot be read");
    return;
  }
  const int q = static_cast<int>(state.range(0));
  CDADC out(pIn->m_iWidth * q, pIn->m_iHeight * q), drw(pIn->m_iWidth, pIn->m_iHeight);
  std::atomic<int> iPercent{0};
  for (auto _ : state) {
    CFilSpec spec = LetteringSpec(iXform, iMode);
    spec.SetDCs(&drw, &out, const_cast<CDADC*>(pIn));
    spec.m_Context.m_pPercent = &iPercent;
    benchmark::DoNotOptimize(spec.Apply());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pIn->m_iWidth * pIn->m_iHeight);
  state.counters["out_Mpx"] = out.m_iWidth * static_cast<double>(out.m_iHeight) / 1e6;
}

void BM_TextOvertype(benchmark::State& state) { RunApply(state, XFORM_TEXT, TEXT_MODE_OVERTYPE); }
void BM_TextImage(benchmark::State& state) { RunApply(state, XFORM_TEXT, TEXT_MODE_IMAGE); }
void BM_FallenLetters(benchmark::State& state) { RunApply(state, XFORM_FALLEN_LETTERS, 0); }

}  // namespace

BENCHMARK(BM_TextOvertype)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextImage)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FallenLetters)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
