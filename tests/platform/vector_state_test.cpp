#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "engine/filter_thread.h"
#include "imaging/row_blocks.h"
#include "platform/vector_state.h"
#include "xforms/progress.h"
#include "xforms/test_pictures.h"

namespace {

// Runs fn on a new thread whose creator left its wide registers dirty; the
// new thread starts with that state unless something clears it.
template <class F>
void FromDirtyThread(F fn) {
  std::thread t([&] {
    DirtyVectorStateForTesting();
    fn();
    CleanVectorState();
  });
  t.join();
}

std::atomic<int> s_iDirtySeen{0};
void CountDirty(int, const char*) {
  if (UpperVectorStateInUse() == 1) ++s_iDirtySeen;
}

// Whether this processor reports the state precisely enough to test it.
bool StateIsObservable() {
  if (UpperVectorStateInUse() < 0 || !DirtyVectorStateForTesting()) return false;
  const bool bSeenDirty = UpperVectorStateInUse() == 1;
  CleanVectorState();
  return bSeenDirty && UpperVectorStateInUse() == 0;
}

}  // namespace

TEST(VectorState, CleanClearsWhatDirtySets) {
  if (!HasWideVectorState()) {
    CleanVectorState();  // a no-op without wide registers
    EXPECT_FALSE(DirtyVectorStateForTesting());
    GTEST_SKIP() << "no 256-bit registers";
  }
  if (!StateIsObservable()) GTEST_SKIP() << "the processor does not report the state in use";
  DirtyVectorStateForTesting();
  EXPECT_EQ(UpperVectorStateInUse(), 1);
  CleanVectorState();
  EXPECT_EQ(UpperVectorStateInUse(), 0);
}

// Every thread that draws starts clean, whatever its creator left: the row
// blocks' threads and the generation (the desktop's worker, the command
// line's jobs), and the pictures are those of a clean thread.
TEST(VectorState, DrawingThreadsStartClean) {
  if (!StateIsObservable()) GTEST_SKIP() << "the processor does not report the state in use";
  std::vector<int> aState(kMaxRowBlocks, -2);
  FromDirtyThread([&] {
    ForEachRowBlock(800, 4, [&](int iBlock, int, int) {
      aState[static_cast<std::size_t>(iBlock)] = UpperVectorStateInUse();
    });
  });
  for (int b = 1; b < 4; ++b) EXPECT_EQ(aState[static_cast<std::size_t>(b)], 0) << "block " << b;

  // The state inside the Xform, seen through its progress reports.
  // The mix's 256-bit loops (on processors with AVX2) leave it clean too.
  auto in = MakeTestPicture(64, 48);
  CDADC drwClean(64, 48), drwDirty(64, 48);
  s_iDirtySeen = 0;
  auto Run = [&](CDADC& drw, bool bWatch) {
    CFilSpec spec = SpecFor(XFORM_CLOUDS, 4711);
    spec.m_Mix.m_iMixMode = MIX_LEFT_RIGHT;
    spec.SetDCs(&drw, new CDADC(2 * 64, 2 * 48), in.get());
    if (bWatch) SetProgressHook(CountDirty);
    EXPECT_EQ(FilterThreadProc(spec), EGeneration::Made);
    SetProgressHook(nullptr);
    EXPECT_EQ(UpperVectorStateInUse(), 0);
  };
  Run(drwClean, false);
  FromDirtyThread([&] { Run(drwDirty, true); });
  EXPECT_EQ(s_iDirtySeen.load(), 0);
  EXPECT_TRUE(SameSurfaces(drwClean, drwDirty));
}
