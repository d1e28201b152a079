// Liquid Energy, Pearls, StarDust and Net on the bundled photo at image
// quality 1 and 4, with their default settings.
#include "bench_support.h"

namespace {

void BM_LiquidEnergy(benchmark::State& state) {
  RunXformApply(state, BenchSpec(XFORM_LIQUID_ENERGY));
}
void BM_Pearls(benchmark::State& state) { RunXformApply(state, BenchSpec(XFORM_PEARLS)); }
void BM_StarDust(benchmark::State& state) { RunXformApply(state, BenchSpec(XFORM_STARDUST)); }
void BM_Net(benchmark::State& state) { RunXformApply(state, BenchSpec(XFORM_NET)); }

}  // namespace

BENCHMARK(BM_LiquidEnergy)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pearls)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StarDust)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Net)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
