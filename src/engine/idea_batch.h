// Several ideas made at once from one picture: the desktop's Variations and
// Wizard grids and the command line's contact sheet and --jobs. Each idea is
// one whole generation (Xform, then the final mix) on a thread of the batch,
// with its own stop flag, progress and status text; the random generator is
// per thread already, and every Apply seeds it from the idea's own seed, so
// an idea comes out the same to the bit whether it is made alone, beside
// others or in any order.
//
// How many ideas run at once is decided in one place (IdeasAtOnce): no more
// than the processor's cores, and no more than the free memory holds, since
// each running idea holds an out surface of quality squared times the
// picture (an 8-megapixel photo at quality 4 needs about 400 MB per idea).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/filspec.h"
#include "engine/filter_thread.h"
#include "xforms/progress.h"

class CDADC;

// --- The budget.

// Bytes one idea needs while it is made from a picture of this size: its out
// surface (quality squared times the picture, 3 bytes a pixel), its drawing
// surface and the Xform's working maps (about two pictures more).
unsigned long long IdeaMemoryNeed(int iWidth, int iHeight, int iQuality);
// Bytes the system can still give (MemAvailable), or 0 when unknown.
unsigned long long AvailableMemory();

struct CIdeasAtOnce {
  int m_iCount = 1;     // how many to make at once, at least 1
  std::string m_csWhy;  // why fewer than wanted ("2 cores", "each idea needs ..."), else ""
};
// How many of iWanted ideas (also bounded by the number of ideas, iIdeas) to
// make at once from a picture of this size at this quality: at most the
// cores and at most what the free memory holds after iReserved bytes (e.g.
// the finished pictures a grid keeps). Cores or memory 0: unknown, no bound.
CIdeasAtOnce IdeasAtOnce(int iWanted, int iIdeas, int iWidth, int iHeight, int iQuality,
                         unsigned long long iReserved = 0);
CIdeasAtOnce IdeasAtOnce(int iWanted, int iIdeas, int iWidth, int iHeight, int iQuality,
                         unsigned long long iReserved, unsigned iCores,
                         unsigned long long iFreeMemory);

// --- Choosing ideas as the desktop's commands do.

// The idea F8 (Variations) makes from the working recipe: the same Xform,
// a new seed, and new values where the wizard chooses. False when the
// recipe cannot be made from this original (its validation has said why).
bool ChooseVariation(CFilSpec& spec, const CDADC& original);
// The idea F7 (Wizard chooses all) makes: a least used Xform (aUsage, 28
// counts), a random mix and selection, every value chosen. False as above.
bool ChooseWizardIdea(CFilSpec& spec, const std::int32_t* aUsage, const CDADC& original);

// --- The batch.

enum class EIdeaState {
  Waiting,  // not started yet
  Running,
  Made,     // its picture is ready
  Stopped,  // STOP ended it (or it never started)
  Failed,   // it could not be made (no memory for its surfaces, or the Xform refused)
};

class CIdeaBatch {
 public:
  // Ideas from this original (which must outlive the batch) at quality 1, 2
  // or 4 (anything else counts as 1).
  CIdeaBatch(const CDADC& original, int iQuality);
  // Stops what still runs and waits for it.
  ~CIdeaBatch();
  CIdeaBatch(const CIdeaBatch&) = delete;
  CIdeaBatch& operator=(const CIdeaBatch&) = delete;

  // Adds an idea whose recipe has been chosen and validated for the
  // original; before Start only. Returns its index.
  int Add(const CFilSpec& spec);
  // Starts the ideas in index order, iAtOnce at a time (1 or more; the
  // caller bounds it with IdeasAtOnce). Until the last has ended, the loops
  // over rows (LimitRowBlocks) use the cores divided by iAtOnce. fnEnded(i) is called on the batch's
  // thread that made idea i as soon as it has ended (made, stopped or
  // failed); every idea ends exactly once. False when not one thread could
  // start: every idea has then failed (and fnEnded was called for each).
  bool Start(int iAtOnce, std::function<void(int)> fnEnded = {});
  // STOP for the whole batch: running ideas stop (one already mixing
  // finishes and stays made), waiting ones never start. Any thread.
  void Stop();
  // Waits until every idea has ended.
  void Wait();
  // Every idea has ended.
  bool Ended() const { return m_iEnded.load(std::memory_order_acquire) == Count(); }

  int Count() const { return static_cast<int>(m_aIdeas.size()); }
  int AtOnce() const { return m_iAtOnce; }
  int Quality() const { return m_iQuality; }
  const CDADC& Original() const { return m_Original; }
  EIdeaState State(int i) const;
  // The idea's percentage (0..100 while it runs).
  int Progress(int i) const;
  // Its own status text ("Mixing..." and the Xform's messages).
  std::string StatusText(int i) const;
  // Its recipe (with a context pointing nowhere).
  const CFilSpec& Spec(int i) const;
  // Its picture at the original's size once State(i) has said Made; else null.
  const CDADC* Picture(int i) const;
  // Why the Xform refused it once State(i) has said Failed ("" when it gave
  // no reason, or for another state).
  std::string Refusal(int i) const;

 private:
  struct CIdea;
  void Work();
  void Make(int i);
  void End(int i, EIdeaState eState);

  const CDADC& m_Original;
  int m_iQuality;
  int m_iAtOnce = 0;
  bool m_bSharesCores = false;  // rows of an idea limited to its share of the cores while running
  std::vector<std::unique_ptr<CIdea>> m_aIdeas;
  std::vector<std::thread> m_aThreads;
  std::function<void(int)> m_fnEnded;
  std::atomic<int> m_iNext{0};
  std::atomic<int> m_iEnded{0};
  std::atomic<bool> m_bStop{false};
  std::mutex m_mEnded;
  std::condition_variable m_cvEnded;
};
