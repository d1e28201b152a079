// Liquid Energy, Pearls, StarDust and Net on the bundled photo at image
// quality 1 and 4, with their default settings.
#include "bench_support.h"

#include <cstdint>

namespace {

CFilSpec BenchSpec(int iXform) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  if (std::int32_t* p = spec.WizardFlag(iXform)) *p = 0;
  return spec;
}

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
