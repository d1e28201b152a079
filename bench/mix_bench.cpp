// The final mix and the force field on a 2-megapixel picture (1600 x 1250).
// AAMixBlit's figures count the bytes it reads: the oversampled surface plus,
// when it mixes, the original.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>

#include "imaging/aa_mix.h"
#include "imaging/dadc.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"

namespace {

constexpr int kWidth = 1600, kHeight = 1250;

// Fills a surface with smooth gradients and some noise, like a photo rather
// than like white noise (the force field's smoothing does not care, the mix
// does not either, but the numbers stay representative).
void FillPicture(CDADC& dc, std::uint32_t iSeed) {
  std::uint32_t s = iSeed;
  for (int y = 0; y < dc.m_iHeight; ++y) {
    std::uint8_t* p = dc.Row(y);
    for (int x = 0; x < dc.m_iWidth; ++x, p += 3) {
      s = s * 214013u + 2531011u;
      const int n = static_cast<int>((s >> 16) & 31);
      p[0] = static_cast<std::uint8_t>((x * 255 / dc.m_iWidth + n) & 255);
      p[1] = static_cast<std::uint8_t>((y * 255 / dc.m_iHeight + n) & 255);
      p[2] = static_cast<std::uint8_t>(((x + y) & 255) ^ n);
    }
  }
}

void BM_AAMixBlit(benchmark::State& state) {
  const int iLevel = static_cast<int>(state.range(0));
  MixSettings mix;
  mix.m_iMixMode = static_cast<int>(state.range(1));
  mix.m_iPercent = 60;
  CDADC src(kWidth * iLevel, kHeight * iLevel), org(kWidth, kHeight), out(kWidth, kHeight);
  FillPicture(src, 1);
  FillPicture(org, 2);
  const bool bMix = mix.m_iMixMode != MIX_OFF;
  std::atomic<int> iPercent{0};
  for (auto _ : state) {
    AAMixBlit(&out, &src, bMix ? &org : nullptr, &mix, &iPercent);
    benchmark::DoNotOptimize(out.m_pBits);
    benchmark::ClobberMemory();
  }
  const std::int64_t iBytes =
      static_cast<std::int64_t>(src.m_iImageSize) + (bMix ? org.m_iImageSize : 0);
  state.SetBytesProcessed(state.iterations() * iBytes);
  state.counters["pixels"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
}

void MixArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"L", "mode"});
  for (const int iLevel : {1, 2, 4})
    for (const int iMode : {MIX_OFF, MIX_EVEN, MIX_LEFT_RIGHT, MIX_TOP_BOTTOM, MIX_CIRCLE_OUT,
                            MIX_ELLIPSE_IN, MIX_HSV})
      b->Args({iLevel, iMode});
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_AAMixBlit)->Apply(MixArgs);

// Smoothing 0 with the default selection is the brightness map; any other
// smoothing uses the colour map of a green selection.
void BM_MakeForceField(benchmark::State& state) {
  const int iSmooth = static_cast<int>(state.range(0));
  const bool bColour = state.range(1) != 0;
  CDADC pic(kWidth, kHeight);
  FillPicture(pic, 3);
  AreaSelection sel;
  if (bColour) sel.SetHsv(120, 0.6, 0.8);
  sel.SetSmooth(iSmooth);
  for (auto _ : state) {
    ForceFieldMap map = MakeForceField(&pic, sel, &g_bStop);
    benchmark::DoNotOptimize(map.get());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pic.m_iImageSize));
  state.counters["pixels"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MakeForceField)
    ->ArgNames({"smooth", "colour"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({2, 1})
    ->Args({8, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
