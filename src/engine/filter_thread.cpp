#include "engine/filter_thread.h"

#include <new>
#include <system_error>

#include "imaging/aa_mix.h"
#include "imaging/constants.h"
#include "platform/report.h"
#include "xforms/progress.h"

EGeneration FilterThreadProc(CFilSpec& spec) {
  EGeneration eResult;
  if (spec.Apply() && !g_bStop) {
    SetStatusText("Mixing...");
    XformContext& ctx = spec.m_Context;
    const CDADC* pOriginal = spec.m_Mix.m_iMixMode == MIX_OFF ? nullptr : ctx.m_pIn;
    AAMixBlit(ctx.m_pDrw, ctx.m_pOut, pOriginal, &spec.m_Mix, ctx.m_pPercent,
              [](const char* sz) { SetStatusText(sz); });
    g_bStop = 0;
    eResult = EGeneration::Made;
  } else {
    eResult = g_bStop ? EGeneration::Stopped : EGeneration::Failed;
  }
  spec.DeleteXformDC();
  return eResult;
}

CGenerationWorker::~CGenerationWorker() {
  if (m_pThread && m_pThread->joinable()) {
    g_bStop = 1;
    m_pThread->join();
    g_bStop = 0;
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
  g_iProgress = 0;
  m_pClient = pClient;
  m_bPending = true;
  m_bEnded = false;
  m_pThread = StartThread([this, pSpec] {
    const EGeneration eResult = FilterThreadProc(*pSpec);
    m_iResult.store(static_cast<int>(eResult), std::memory_order_relaxed);
    m_bEnded.store(true, std::memory_order_release);
    if (m_fnEnded) m_fnEnded();
  });
  if (!m_pThread) {
    // Nothing runs: free what the run was given and let the next idle check
    // hand the client a stopped run, as if STOP had been pressed at once.
    ReportError("Could not CreateThread(Filter)");
    if (pSpec) pSpec->DeleteXformDC();
    m_iResult = static_cast<int>(EGeneration::Stopped);
    m_bEnded = true;
    return false;
  }
  return true;
}

bool CGenerationWorker::IsXforming() const { return m_bPending; }

void CGenerationWorker::Stop() { g_bStop = IsXforming() ? 1 : 0; }

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
  g_bStop = 0;
  g_iProgress = 101;
  return EPoll::Ended;
}

CGenerationWorker& TheGenerationWorker() {
  static CGenerationWorker worker;
  return worker;
}
