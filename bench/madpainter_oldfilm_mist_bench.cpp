// Mad Painter, Old Film and Mist on the bundled photo at image quality 1 and 4.
#include "bench_support.h"

namespace {

// The defaults with a fixed seed and the wizard off; Mad Painter circles the
// centre, the film is as dirty as it gets, with sprockets.
CFilSpec SpecFor(int iXform) {
  CFilSpec spec = BenchSpec(iXform);
  spec.m_MadPainter.m_iDirection = PAINT_CIRCLING;
  spec.m_MadPainter.m_iFocusX = 800;
  spec.m_MadPainter.m_iFocusY = 500;
  spec.m_OldFilm.m_bSprockets = 1;
  spec.m_OldFilm.m_iDirtiness = 150;
  spec.m_OldFilm.m_iScratches = 40;
  return spec;
}

void BM_MadPainter(benchmark::State& state) { RunXformApply(state, SpecFor(XFORM_MAD_PAINTER)); }
void BM_OldFilm(benchmark::State& state) { RunXformApply(state, SpecFor(XFORM_OLD_FILM)); }
void BM_Mist(benchmark::State& state) { RunXformApply(state, SpecFor(XFORM_MIST)); }

}  // namespace

BENCHMARK(BM_MadPainter)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OldFilm)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mist)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
