// Nine ideas on the bundled photo, made one after another (1 at once) and
// all at once on every core (0: as many as IdeasAtOnce allows), as a grid
// or `vexmora-cli sheet` makes them. The goal: on two cores, nine at once
// take at most 0.8 times as long as nine one after another.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "engine/catalogue.h"
#include "engine/idea_batch.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"

namespace {

// The same nine wizard ideas every run: F7's choice after a fixed seed.
const std::vector<CFilSpec>& NineIdeas(const CDADC& in) {
  static const std::vector<CFilSpec> aIdeas = [&in] {
    std::vector<CFilSpec> a;
    std::int32_t aUsage[kXformCount];
    InitUsageCounts(aUsage);
    SeedRandom(4711);
    for (int i = 0; i < 9; ++i) {
      CFilSpec spec;
      if (!ChooseWizardIdea(spec, aUsage, in)) continue;
      spec.m_iSeed = 1000 + i;
      ++aUsage[spec.m_iXform];
      a.push_back(spec);
    }
    return a;
  }();
  return aIdeas;
}

void BM_NineIdeas(benchmark::State& state) {
  const CDADC* pIn = SamplePhoto();
  if (!pIn) {
    state.SkipWithError("the sample photo cannot be read");
    return;
  }
  const int q = static_cast<int>(state.range(1));
  const std::vector<CFilSpec>& aIdeas = NineIdeas(*pIn);
  int iAtOnce = static_cast<int>(state.range(0));
  if (iAtOnce == 0)
    iAtOnce = IdeasAtOnce(9, 9, pIn->m_iWidth, pIn->m_iHeight, q).m_iCount;
  // As the command line does: the ideas keep the cores busy themselves.
  const int iCores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  LimitRowBlocks(iAtOnce > 1 ? std::max(1, iCores / iAtOnce) : 0);
  for (auto _ : state) {
    CIdeaBatch batch(*pIn, q);
    for (const CFilSpec& spec : aIdeas) batch.Add(spec);
    batch.Start(iAtOnce);
    batch.Wait();
  }
  LimitRowBlocks(0);
  state.counters["at_once"] = iAtOnce;
}
BENCHMARK(BM_NineIdeas)
    ->ArgNames({"at_once", "q"})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Args({1, 2})
    ->Args({0, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
