// Haaisi, Marilyn Warhol, Banya and Web Fade on the bundled photo at image
// quality 1 and 4.
#include "bench_support.h"

namespace {

CFilSpec Recipe(int iXform) {
  CFilSpec spec = BenchSpec(iXform);
  spec.m_MarilynWarhol.m_iSplodge = 6;  // the widest blur of the dialog
  spec.m_Banya.m_iShapeMode = 2;
  spec.m_Banya.m_iSquares = 60;
  return spec;
}

void BM_Haaisi(benchmark::State& state) { RunXformApply(state, Recipe(XFORM_HAAISI)); }
void BM_MarilynWarhol(benchmark::State& state) {
  RunXformApply(state, Recipe(XFORM_MARILYN_WARHOL));
}
void BM_Banya(benchmark::State& state) { RunXformApply(state, Recipe(XFORM_BANYA)); }
void BM_WebFade(benchmark::State& state) { RunXformApply(state, Recipe(XFORM_WEB_FADE)); }

}  // namespace

BENCHMARK(BM_Haaisi)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarilynWarhol)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Banya)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebFade)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
