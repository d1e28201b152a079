// Recipes as the wizard makes them, and a watch that stops a run that goes
// on too long: shared by the Xform suite and the bounds benchmark.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/filspec.h"
#include "imaging/dadc.h"
#include "imaging/random.h"

// A recipe as the wizard makes it: every choice drawn from the seed, then
// validated for the picture (the command line's order).
inline CFilSpec WizardSpec(int iXform, int iSeed, const CDADC& in) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = iSeed;
  SeedRandom(static_cast<unsigned int>(iSeed));
  spec.Autochoose(&in);
  spec.Effect(in.m_iWidth, in.m_iHeight);
  return spec;
}

// The wizard's recipe with every count (an int pair) at the largest value
// the wizard may choose, validated again; the plain wizard's recipe when
// validation refuses that.
inline CFilSpec MaxedWizardSpec(int iXform, int iSeed, const CDADC& in) {
  const CFilSpec spec = WizardSpec(iXform, iSeed, in);
  CFilSpec maxed = spec;
  const CFormRef form = CFilSpec::Form(iXform);
  for (std::size_t i = 0; i < form.Count(); ++i)
    if (form.Field(i).m_eKind == EField::IntPair)
      *static_cast<std::int32_t*>(form.Address(i, maxed.Record(iXform))) =
          static_cast<std::int32_t>(std::max(form.Field(i).m_dMax, form.Field(i).m_dWizardMax));
  return maxed.Effect(in.m_iWidth, in.m_iHeight) ? maxed : spec;
}

// Sets the stop flag when the run it watches is still going after dSeconds
// (of wall time), so that one that costs far too much ends instead of
// hanging; Cut() tells, after End(), whether it had to.
class CStopAfter {
 public:
  CStopAfter(std::atomic<int>& iStop, double dSeconds)
      : m_watch([this, &iStop, dSeconds] {
          std::unique_lock lock(m_mutex);
          if (!m_cv.wait_for(lock, std::chrono::duration<double>(dSeconds), [this] { return m_bDone; }))
            iStop = 1, m_bCut = true;
        }) {}
  CStopAfter(const CStopAfter&) = delete;
  CStopAfter& operator=(const CStopAfter&) = delete;
  ~CStopAfter() { End(); }

  void End() {
    {
      std::lock_guard lock(m_mutex);
      m_bDone = true;
    }
    m_cv.notify_one();
    if (m_watch.joinable()) m_watch.join();
  }
  bool Cut() const { return m_bCut; }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_bDone = false;
  bool m_bCut = false;
  std::thread m_watch;  // last: it starts once the rest is ready
};
