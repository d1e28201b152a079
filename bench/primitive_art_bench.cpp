// Primitive Art and Bubble on the bundled photo (1600 x 1000) at image
// quality 1 and 4: the Xform's own drawing on the oversampled surface.
#include "bench_support.h"

namespace {

// The defaults of each Xform, with a fixed seed and the wizard off, and
// Bubble with its highlight arcs.
CFilSpec PrimitiveBenchSpec(int iXform) {
  CFilSpec spec = BenchSpec(iXform);
  spec.m_Bubble.m_iHighLight = 1101;  // with highlight arcs
  return spec;
}

void BM_PrimitiveArt(benchmark::State& state) {
  RunXformApply(state, PrimitiveBenchSpec(XFORM_PRIMITIVE_ART));
}
void BM_Bubble(benchmark::State& state) { RunXformApply(state, PrimitiveBenchSpec(XFORM_BUBBLE)); }

}  // namespace

BENCHMARK(BM_PrimitiveArt)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bubble)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
