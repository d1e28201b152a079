#include "engine/filter_thread.h"

#include <new>
#include <system_error>

#include "imaging/aa_mix.h"
#include "platform/report.h"
#include "platform/vector_state.h"
#include "xforms/progress.h"

namespace {
// The recipe outlives a worker's run (the document keeps copies of it): it
// must not keep pointing at that worker's flag and progress.
void PointAtDefaults(XformContext& ctx) {
  ctx.m_pStop = XformContext{}.m_pStop;
  ctx.m_pPercent = XformContext{}.m_pPercent;
}
}  // namespace

EGeneration FilterThreadProc(CFilSpec& spec) {
  // Whatever thread runs the generation (the desktop's worker, a job of the
  // command line) may have been left with dirty wide registers.
  CleanVectorState();
  XformContext& ctx = spec.m_Context;
  EGeneration eResult = EGeneration::Failed;
  if (spec.Apply() && !ctx.Stopped()) {
    SetStatusText("Mixing...");
    const CDADC* pOriginal = spec.m_Mix.m_iMixMode == MIX_OFF ? nullptr : ctx.m_pIn;
    const bool bMixed = AAMixBlit(ctx.m_pDrw, ctx.m_pOut, pOriginal, &spec.m_Mix, ctx.m_pPercent,
                                  [](const char* sz) { SetStatusText(sz); }, ctx.m_pStop);
    if (bMixed) {
      // The mix loop does not look at the flag: a stop asked for while it ran
      // is dropped, and the idea stands.
      if (ctx.m_pStop) ctx.m_pStop->store(0, std::memory_order_relaxed);
      eResult = EGeneration::Made;
    } else {
      // The drawing surface still holds the previous picture: recording it
      // as a new idea would show the wrong picture under that idea later.
      eResult = ctx.Stopped() ? EGeneration::Stopped : EGeneration::Failed;
    }
  } else if (ctx.Stopped()) {
    eResult = EGeneration::Stopped;
  }
  spec.DeleteXformDC();
  return eResult;
}

CGenerationWorker::~CGenerationWorker() {
  if (m_pThread && m_pThread->joinable()) {
    m_iStop = 1;
    m_pThread->join();
  }
}

std::unique_ptr<std::thread> CGenerationWorker::StartThread(std::function<void()> fn) {
  try {
    return std::make_unique<std::thread>(std::move(fn));
  } catch (const std::system_error&) {
    return nullptr;
  } catch (const std::bad_alloc&) {
    ReportError("BFT:Could not create second thread RAM");
    return nullptr;
  }
}

bool CGenerationWorker::BeginFilterThread(IGenerationClient* pClient, CFilSpec* pSpec) {
  if (m_bPending) {
    ReportError("BFT:A thread is already running");
    return false;
  }
  m_iProgress = 0;
  m_iStop = 0;
  m_pClient = pClient;
  m_bPending = true;
  m_bEnded = false;
  if (pSpec) {
    pSpec->m_Context.m_pStop = &m_iStop;
    pSpec->m_Context.m_pPercent = &m_iProgress;
  }
  m_pThread = StartThread([this, pSpec] {
    // The thread starts with the interface thread's register state.
    CleanVectorState();
    const EGeneration eResult = FilterThreadProc(*pSpec);
    PointAtDefaults(pSpec->m_Context);
    m_iResult.store(static_cast<int>(eResult), std::memory_order_relaxed);
    m_bEnded.store(true, std::memory_order_release);
    if (m_fnEnded) m_fnEnded();
  });
  if (!m_pThread) {
    // Nothing runs: free what the run was given and let the next idle check
    // hand the client a stopped run, as if STOP had been pressed at once.
    ReportError("Could not CreateThread(Filter)");
    if (pSpec) {
      pSpec->DeleteXformDC();
      PointAtDefaults(pSpec->m_Context);
    }
    m_iResult = static_cast<int>(EGeneration::Stopped);
    m_bEnded = true;
    return false;
  }
  if (m_fnStarted) m_fnStarted(pClient);
  return true;
}

bool CGenerationWorker::IsXforming() const { return m_bPending; }

void CGenerationWorker::Stop() { m_iStop = IsXforming() ? 1 : 0; }

CGenerationWorker::EPoll CGenerationWorker::IdleCheck() {
  if (!m_bPending) return EPoll::Idle;
  if (!m_bEnded.load(std::memory_order_acquire)) return EPoll::Running;
  if (m_pThread) {
    m_pThread->join();
    m_pThread.reset();
  }
  m_bPending = false;
  m_eLastResult = static_cast<EGeneration>(m_iResult.load(std::memory_order_relaxed));
  IGenerationClient* pClient = m_pClient;
  m_pClient = nullptr;
  if (pClient)
    pClient->OnGenerationDone(m_eLastResult != EGeneration::Made);
  else
    ReportError("Could not get document from thread view");
  m_iStop = 0;
  m_iProgress = 101;
  return EPoll::Ended;
}

CGenerationWorker& TheGenerationWorker() {
  static CGenerationWorker worker;
  return worker;
}
