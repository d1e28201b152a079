// Swarm, Wood and Op Art on the bundled photo at image quality 1 and 4:
// Apply alone, on the oversampled surface.
#include "bench_support.h"

namespace {

CFilSpec StickSpec(int iXform) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  spec.m_Swarm.m_bWizard = 0;
  spec.m_Swarm.m_iSticks = 30000;  // the most the dialog offers
  spec.m_Swarm.m_bIntensity = 1;
  spec.m_Swarm.m_bSize = 1;
  spec.m_Wood.m_bWizard = 0;
  spec.m_Wood.m_iSawStrokes = 1000;  // the most Autochoose draws
  spec.m_OpArt.m_bWizard = 0;
  spec.m_OpArt.m_iSquares = 128;  // the most cells
  spec.m_OpArt.m_iGeometry = OPART_ROTATION;
  return spec;
}

void BM_Swarm(benchmark::State& state) { RunXformApply(state, StickSpec(XFORM_SWARM)); }
void BM_Wood(benchmark::State& state) { RunXformApply(state, StickSpec(XFORM_WOOD)); }
void BM_OpArt(benchmark::State& state) { RunXformApply(state, StickSpec(XFORM_OP_ART)); }

}  // namespace

BENCHMARK(BM_Swarm)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Wood)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpArt)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
