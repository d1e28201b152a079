// Relief Map (with numbered contours), Explode and Klee on the bundled photo
// at image quality 1 and 4.
#include "bench_support.h"

namespace {

CFilSpec Recipe(int iXform) {
  CFilSpec spec = BenchSpec(iXform);
  spec.m_ReliefMap.m_bContours = 1;
  spec.m_ReliefMap.m_bNumbered = 1;
  return spec;
}

void BM_ReliefMap(benchmark::State& state) { RunXformApply(state, Recipe(XFORM_RELIEF_MAP)); }
void BM_Explode(benchmark::State& state) { RunXformApply(state, Recipe(XFORM_EXPLODE)); }
void BM_Klee(benchmark::State& state) { RunXformApply(state, Recipe(XFORM_KLEE)); }

}  // namespace

BENCHMARK(BM_ReliefMap)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Explode)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Klee)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
