// Phases and Tekno Frag on the bundled photo (1600 x 1000) at image quality 1
// and 4: Apply alone, on the oversampled surface.
#include "bench_support.h"

namespace {

CFilSpec ClipSpec(int iXform, int iVariant) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  spec.m_Phases.m_bWizard = 0;
  spec.m_Phases.m_iNumber = 60;  // the most cells: 60 x 37 planets
  spec.m_Phases.m_bTextured = iVariant;
  spec.m_TeknoFrag.m_bWizard = 0;
  spec.m_TeknoFrag.m_iNumber = 1400;  // the most triangles the slider offers
  spec.m_TeknoFrag.m_bSolid1 = spec.m_TeknoFrag.m_bSolid2 = iVariant;
  spec.m_TeknoFrag.m_Background.m_bUsePicture = 1;
  return spec;
}

void RunClipApply(benchmark::State& state, int iXform, int iVariant) {
  RunXformApply(state, ClipSpec(iXform, iVariant));
}

void BM_PhasesPlain(benchmark::State& state) { RunClipApply(state, XFORM_PHASES, 0); }
void BM_PhasesTextured(benchmark::State& state) { RunClipApply(state, XFORM_PHASES, 1); }
// Colours from the picture (no force field) and both colours solid (field built).
void BM_TeknoFragPicture(benchmark::State& state) { RunClipApply(state, XFORM_TEKNO_FRAG, 0); }
void BM_TeknoFragSolid(benchmark::State& state) { RunClipApply(state, XFORM_TEKNO_FRAG, 1); }

}  // namespace

BENCHMARK(BM_PhasesPlain)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhasesTextured)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TeknoFragPicture)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TeknoFragSolid)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
