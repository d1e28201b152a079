// Flowers, Ivy and Fallen Leaves on the bundled photo at image quality 1 and
// 4, with their defaults, a fixed seed and the wizard off.
#include "bench_support.h"

namespace {

void BM_Flowers(benchmark::State& state) { RunXformApply(state, BenchSpec(XFORM_FLOWERS)); }
void BM_Ivy(benchmark::State& state) { RunXformApply(state, BenchSpec(XFORM_IVY)); }
void BM_FallenLeaves(benchmark::State& state) {
  RunXformApply(state, BenchSpec(XFORM_FALLEN_LEAVES));
}

}  // namespace

BENCHMARK(BM_Flowers)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ivy)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FallenLeaves)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
