// Text and Fallen Letters on the bundled photo (1600 x 1000) at image quality
// 1 and 4: lettering through the drawing layer's fonts.
#include "bench_support.h"

namespace {

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
  RunXformApply(state, LetteringSpec(iXform, iMode));
}

void BM_TextOvertype(benchmark::State& state) { RunApply(state, XFORM_TEXT, TEXT_MODE_OVERTYPE); }
void BM_TextImage(benchmark::State& state) { RunApply(state, XFORM_TEXT, TEXT_MODE_IMAGE); }
void BM_FallenLetters(benchmark::State& state) { RunApply(state, XFORM_FALLEN_LETTERS, 0); }

}  // namespace

BENCHMARK(BM_TextOvertype)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextImage)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FallenLetters)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
