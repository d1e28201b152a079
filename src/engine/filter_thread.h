// The generation worker: at most one generation runs in the application, on
// its own thread, while the interface thread polls it about four times a
// second (progress, status text) and collects it when it has ended. The
// interface never touches the working recipe while it runs. Each worker has
// its own stop flag and progress field: for the run, the recipe's context
// points at them, so STOP (or a finished run) on one worker never reaches a
// generation that another worker runs.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/filspec.h"

enum class EGeneration {
  Made,     // the Xform finished and the final mix wrote the drawing surface
  Stopped,  // a stop request ended the Xform: no mix
  Failed,   // the Xform returned 0 without a stop (e.g. an unusable context): no mix
};

// One whole generation on the calling thread: Apply, then "Mixing..." (the
// final mix from the context's out surface into its drawing surface, with the
// original unless the mix is Off), then the out surface is freed in every
// case. Progress goes where the context's m_pPercent points, and the run's
// stop flag is the one its m_pStop points at. A stop requested while the mix
// loop runs does not cancel the idea: that flag is cleared after the mix. A
// stop during the Hsv analysis that precedes the loop (or its force field
// failing for lack of memory) leaves the drawing surface unchanged, so the
// run ends as stopped (or failed) instead.
EGeneration FilterThreadProc(CFilSpec& spec);

// Whoever started a generation (the document) and receives its end.
class IGenerationClient {
 public:
  virtual ~IGenerationClient() = default;
  // bStopped: no new picture was made (stopped, failed or never started); the
  // idea is dropped.
  virtual void OnGenerationDone(bool bStopped) = 0;
};

class CGenerationWorker {
 public:
  enum class EPoll {
    Idle,     // no generation
    Running,  // still working: show Progress() and poll again in 250 ms
    Ended,    // it has ended and the client has been told: remove the bar, repaint
  };

  CGenerationWorker() = default;
  CGenerationWorker(const CGenerationWorker&) = delete;
  CGenerationWorker& operator=(const CGenerationWorker&) = delete;
  // Waits for a running generation (after asking it to stop).
  virtual ~CGenerationWorker();

  // Starts the worker on the working recipe, whose context holds the
  // three surfaces (the out surface is freed by the worker); for the run the
  // context's stop flag and progress field are this worker's, and they are
  // set back to the application defaults as the run ends. A second start
  // reports "BFT:A thread is already running" and returns false. When the
  // system refuses the thread, "Could not CreateThread(Filter)" is reported,
  // the out surface is freed, nothing runs, and the next IdleCheck tells the
  // client that the run was stopped.
  bool BeginFilterThread(IGenerationClient* pClient, CFilSpec* pSpec);
  // A generation runs (started and not yet collected by IdleCheck).
  bool IsXforming() const;
  // The STOP command: this worker's stop flag := 1 while a generation runs,
  // else 0.
  void Stop();
  // STOP has been asked for and the flag not yet cleared.
  bool StopRequested() const { return m_iStop.load(std::memory_order_relaxed) != 0; }
  // The interface thread's idle check. On Ended the client has received
  // OnGenerationDone (a failure counts as a stop) and the stop flag is 0 again.
  EPoll IdleCheck();
  // The latest percentage (101 or more: done).
  int Progress() const { return m_iProgress.load(std::memory_order_relaxed); }
  // The outcome of the last collected generation.
  EGeneration LastResult() const { return m_eLastResult; }
  // Called on the worker thread as it finishes, e.g. to wake the interface
  // loop at once instead of waiting for the next poll. Set it while idle.
  void SetEndedCallback(std::function<void()> fnEnded) { m_fnEnded = std::move(fnEnded); }
  // Called on the starting thread once a generation has started, with the
  // client it was started for: from then until its end the client's drawing
  // surface is the worker's. Not called when the thread could not start.
  // Set it while idle; an empty function removes it.
  void SetStartedCallback(std::function<void(IGenerationClient*)> fnStarted) {
    m_fnStarted = std::move(fnStarted);
  }

 protected:
  // Starts fn on a new thread; null when the system refuses. Tests replace it.
  virtual std::unique_ptr<std::thread> StartThread(std::function<void()> fn);

 private:
  std::unique_ptr<std::thread> m_pThread;
  IGenerationClient* m_pClient = nullptr;
  bool m_bPending = false;  // started (or refused) and not yet collected
  std::atomic<bool> m_bEnded{false};
  std::atomic<int> m_iResult{0};
  std::atomic<int> m_iStop{0};      // the run's stop flag
  std::atomic<int> m_iProgress{0};  // the run's percentage
  EGeneration m_eLastResult = EGeneration::Made;
  std::function<void()> m_fnEnded;
  std::function<void(IGenerationClient*)> m_fnStarted;
};

// The application's one worker.
CGenerationWorker& TheGenerationWorker();
