// What the Xform benchmarks share: the bundled photo, read once, and the
// timing loop of one Xform's Apply on it at the quality given as the
// benchmark's argument.
#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/filspec.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"

inline const CDADC* SamplePhoto() {
  static std::unique_ptr<CDADC> pPhoto =
      CDADC::CBC(OpenImageFile(VX_SAMPLE_DIR "/ladybird.jpg", kImageFromName));
  return pPhoto.get();
}

// The defaults of Xform iXform with a fixed seed and the wizard off: what
// each Xform's benchmark starts from.
inline CFilSpec BenchSpec(int iXform) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = 4711;
  spec.m_bWizardAll = 0;
  if (std::int32_t* pWizard = spec.WizardFlag(iXform)) *pWizard = 0;
  return spec;
}

// Times spec.Apply() alone (the Xform's drawing on the oversampled surface),
// a fresh copy of the recipe each time.
inline void RunXformApply(benchmark::State& state, const CFilSpec& recipe) {
  const CDADC* pIn = SamplePhoto();
  if (!pIn) {
    state.SkipWithError("the sample photo cannot be read");
    return;
  }
  const int q = static_cast<int>(state.range(0));
  CDADC out(pIn->m_iWidth * q, pIn->m_iHeight * q), drw(pIn->m_iWidth, pIn->m_iHeight);
  std::atomic<int> iPercent{0};
  for (auto _ : state) {
    CFilSpec spec = recipe;
    spec.SetDCs(&drw, &out, const_cast<CDADC*>(pIn));
    spec.m_Context.m_pPercent = &iPercent;
    benchmark::DoNotOptimize(spec.Apply());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pIn->m_iWidth * pIn->m_iHeight);
  state.counters["out_Mpx"] = out.m_iWidth * static_cast<double>(out.m_iHeight) / 1e6;
}
