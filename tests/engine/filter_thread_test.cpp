#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "engine/filter_thread.h"
#include "imaging/constants.h"
#include "support/recording_reporter.h"
#include "xforms/test_pictures.h"

using ::testing::ElementsAre;

namespace {

// The surfaces of one run, set into a working recipe as the document does.
struct CRun {
  explicit CRun(int iXform, int q = 1, int iWidth = 48, int iHeight = 32)
      : m_pIn(MakeTestPicture(iWidth, iHeight)), m_drw(iWidth, iHeight) {
    m_spec = SpecFor(iXform, 99);
    m_spec.SetDCs(&m_drw, new CDADC(iWidth * q, iHeight * q), m_pIn.get());
  }
  std::unique_ptr<CDADC> m_pIn;
  CDADC m_drw;
  CFilSpec m_spec;
};

class CClient : public IGenerationClient {
 public:
  void OnGenerationDone(bool bStopped) override {
    ++m_iCalls;
    m_bStopped = bStopped;
  }
  int m_iCalls = 0;
  bool m_bStopped = false;
};

// Polls like the interface's idle processing until the worker has been collected.
CGenerationWorker::EPoll WaitForEnd(CGenerationWorker& worker) {
  for (int i = 0; i < 6000; ++i) {
    const CGenerationWorker::EPoll e = worker.IdleCheck();
    if (e != CGenerationWorker::EPoll::Running) return e;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return CGenerationWorker::EPoll::Running;
}

// The worker whose STOP the hooks below press; null: the default flag.
CGenerationWorker* s_pStopping = nullptr;
void PressStop() {
  if (s_pStopping)
    s_pStopping->Stop();
  else
    g_bStop = 1;
}
void StopWhenMixing(int, const char* sz) {
  if (sz && std::string(sz) == "Mixing...") PressStop();
}
void StopInHsvAnalysis(int, const char* sz) {
  if (sz && std::string(sz) == "Hsv mix analysis...") PressStop();
}
void StopAt30(int iPercent, const char*) {
  if (iPercent >= 30 && iPercent <= 100) PressStop();
}
// A run's own flag, pressed when the mix starts.
std::atomic<int>* s_pRunStop = nullptr;
void StopRunWhenMixing(int, const char* sz) {
  if (sz && std::string(sz) == "Mixing...") s_pRunStop->store(1);
}

}  // namespace

TEST(FilterThreadProc, MadeStoppedOrFailed) {
  {
    CRun run(XFORM_CLOUDS, 2);
    EXPECT_EQ(FilterThreadProc(run.m_spec), EGeneration::Made);
    EXPECT_EQ(run.m_spec.m_Context.m_pOut, nullptr);  // freed in every case
    EXPECT_NE(SurfaceDigest(run.m_drw), SurfaceDigest(CDADC(48, 32)));
  }
  {
    // An Xform that returns 0 by itself is a failed generation: no mix.
    CRun run(XFORM_MOSAIC);
    run.m_spec.m_Mosaic.m_iGeometry = 1031;
    EXPECT_EQ(FilterThreadProc(run.m_spec), EGeneration::Failed);
    EXPECT_EQ(SurfaceDigest(run.m_drw), SurfaceDigest(CDADC(48, 32)));
    EXPECT_EQ(run.m_spec.m_Context.m_pOut, nullptr);
  }
  {
    SetProgressHook(&StopAt30);
    CRun run(XFORM_CLOUDS);
    EXPECT_EQ(FilterThreadProc(run.m_spec), EGeneration::Stopped);
    SetProgressHook(nullptr);
    EXPECT_EQ(SurfaceDigest(run.m_drw), SurfaceDigest(CDADC(48, 32)));
    EXPECT_EQ(g_bStop, 1);  // left for the idle check to clear
    g_bStop = 0;
  }
  {
    // A stop during the mix does not cancel the idea, and the flag is cleared.
    SetProgressHook(&StopWhenMixing);
    CRun run(XFORM_CLOUDS, 2);
    run.m_spec.m_Mix.m_iMixMode = MIX_LEFT_RIGHT;
    EXPECT_EQ(FilterThreadProc(run.m_spec), EGeneration::Made);
    SetProgressHook(nullptr);
    EXPECT_EQ(g_bStop, 0);
    EXPECT_NE(SurfaceDigest(run.m_drw), SurfaceDigest(CDADC(48, 32)));
  }
  {
    // A stop in the Hsv analysis leaves the drawing surface as it was: the
    // run is stopped, not made.
    SetProgressHook(&StopInHsvAnalysis);
    CRun run(XFORM_CLOUDS, 2);
    run.m_spec.m_Mix.m_iMixMode = MIX_HSV;
    EXPECT_EQ(FilterThreadProc(run.m_spec), EGeneration::Stopped);
    SetProgressHook(nullptr);
    EXPECT_EQ(SurfaceDigest(run.m_drw), SurfaceDigest(CDADC(48, 32)));
    EXPECT_EQ(run.m_spec.m_Context.m_pOut, nullptr);
    EXPECT_EQ(g_bStop, 1);
    g_bStop = 0;
  }
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(FilterThreadProc, ClearsOnlyItsOwnRunsStop) {
  // Another run's stop (here the default flag) is neither obeyed nor cleared.
  g_bStop = 1;
  g_iProgress = 7;
  std::atomic<int> iStop{0}, iPercent{0};
  SetProgressHook(&StopRunWhenMixing);
  CRun run(XFORM_CLOUDS, 2);
  run.m_spec.m_Mix.m_iMixMode = MIX_LEFT_RIGHT;
  run.m_spec.m_Context.m_pStop = &iStop;
  run.m_spec.m_Context.m_pPercent = &iPercent;
  s_pRunStop = &iStop;
  EXPECT_EQ(FilterThreadProc(run.m_spec), EGeneration::Made);
  SetProgressHook(nullptr);
  EXPECT_EQ(iStop, 0);  // pressed during the mix, cleared after it
  EXPECT_EQ(g_bStop, 1);
  EXPECT_GT(iPercent, 50);  // progress went to the run's own field
  EXPECT_EQ(g_iProgress, 7);
  g_bStop = 0;
}

TEST(GenerationWorker, RunsAndHandsBack) {
  CGenerationWorker worker;
  CClient client;
  CRun run(XFORM_CLOUDS);
  EXPECT_EQ(worker.IdleCheck(), CGenerationWorker::EPoll::Idle);
  std::atomic<int> iEnded{0};
  worker.SetEndedCallback([&iEnded] { ++iEnded; });
  std::vector<IGenerationClient*> aStarted;
  worker.SetStartedCallback([&aStarted](IGenerationClient* p) { aStarted.push_back(p); });
  g_bStop = 1;  // the default flag is not this worker's: its run goes on
  ASSERT_TRUE(worker.BeginFilterThread(&client, &run.m_spec));
  EXPECT_TRUE(worker.IsXforming());
  // A second start while the first is not collected is refused, and only
  // the run that started was announced.
  CRun other(XFORM_CLOUDS);
  EXPECT_FALSE(worker.BeginFilterThread(&client, &other.m_spec));
  EXPECT_THAT(aStarted, ElementsAre(&client));
  EXPECT_THAT(TakeMessages(), ElementsAre("BFT:A thread is already running"));
  EXPECT_EQ(WaitForEnd(worker), CGenerationWorker::EPoll::Ended);
  EXPECT_FALSE(worker.IsXforming());
  EXPECT_EQ(client.m_iCalls, 1);
  EXPECT_FALSE(client.m_bStopped);
  EXPECT_EQ(worker.LastResult(), EGeneration::Made);
  EXPECT_EQ(iEnded, 1);
  EXPECT_EQ(worker.Progress(), 101);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  // The recipe no longer points at the worker's flag and progress.
  EXPECT_EQ(run.m_spec.m_Context.m_pStop, &g_bStop);
  EXPECT_EQ(run.m_spec.m_Context.m_pPercent, &g_iProgress);
  EXPECT_EQ(worker.IdleCheck(), CGenerationWorker::EPoll::Idle);
  worker.Stop();  // nothing runs: the flag stays clear
  EXPECT_FALSE(worker.StopRequested());
  other.m_spec.DeleteXformDC();
}

TEST(GenerationWorker, StopAndFailureDropTheIdea) {
  CGenerationWorker worker;
  CClient client;
  s_pStopping = &worker;
  for (const auto pfnHook : {&StopAt30, &StopInHsvAnalysis}) {
    SetProgressHook(pfnHook);
    CRun run(XFORM_CLOUDS);
    run.m_spec.m_Mix.m_iMixMode = MIX_HSV;
    ASSERT_TRUE(worker.BeginFilterThread(&client, &run.m_spec));
    EXPECT_EQ(WaitForEnd(worker), CGenerationWorker::EPoll::Ended);
    SetProgressHook(nullptr);
    EXPECT_TRUE(client.m_bStopped);
    EXPECT_EQ(worker.LastResult(), EGeneration::Stopped);
    EXPECT_FALSE(worker.StopRequested());  // cleared by the idle check
    EXPECT_EQ(g_bStop, 0);
  }
  s_pStopping = nullptr;
  {
    CRun run(XFORM_MOSAIC);
    run.m_spec.m_Mosaic.m_iGeometry = 1031;
    ASSERT_TRUE(worker.BeginFilterThread(&client, &run.m_spec));
    EXPECT_EQ(WaitForEnd(worker), CGenerationWorker::EPoll::Ended);
    EXPECT_TRUE(client.m_bStopped);
    EXPECT_EQ(worker.LastResult(), EGeneration::Failed);
  }
  {
    CRun run(XFORM_CLOUDS);
    ASSERT_TRUE(worker.BeginFilterThread(nullptr, &run.m_spec));
    EXPECT_EQ(WaitForEnd(worker), CGenerationWorker::EPoll::Ended);
    EXPECT_THAT(TakeMessages(), ElementsAre("Could not get document from thread view"));
  }
  EXPECT_EQ(client.m_iCalls, 3);
}

namespace {
class CRefusingWorker : public CGenerationWorker {
 protected:
  std::unique_ptr<std::thread> StartThread(std::function<void()>) override { return nullptr; }
};
}  // namespace

TEST(GenerationWorker, RefusedStartCountsAsStopped) {
  CRefusingWorker worker;
  CClient client;
  CRun run(XFORM_CLOUDS);
  bool bStarted = false;
  worker.SetStartedCallback([&bStarted](IGenerationClient*) { bStarted = true; });
  EXPECT_FALSE(worker.BeginFilterThread(&client, &run.m_spec));
  EXPECT_THAT(TakeMessages(), ElementsAre("Could not CreateThread(Filter)"));
  EXPECT_FALSE(bStarted);
  EXPECT_EQ(run.m_spec.m_Context.m_pOut, nullptr);  // nothing left behind
  EXPECT_EQ(worker.IdleCheck(), CGenerationWorker::EPoll::Ended);
  EXPECT_EQ(client.m_iCalls, 1);
  EXPECT_TRUE(client.m_bStopped);
  EXPECT_FALSE(worker.IsXforming());
  // And the worker can start again afterwards.
  EXPECT_EQ(worker.IdleCheck(), CGenerationWorker::EPoll::Idle);
}
