#include "engine/idea_batch.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <system_error>

#include "imaging/dadc.h"
#include "imaging/row_blocks.h"

unsigned long long IdeaMemoryNeed(int iWidth, int iHeight, int iQuality) {
  const unsigned long long iPixels =
      static_cast<unsigned long long>(std::max(iWidth, 0)) * static_cast<unsigned>(std::max(iHeight, 0));
  const unsigned long long q = static_cast<unsigned>(std::max(iQuality, 1));
  return iPixels * 3 * (q * q + 3);
}

unsigned long long AvailableMemory() {
  std::ifstream f("/proc/meminfo");
  std::string csKey, csUnit;
  unsigned long long iKiB = 0;
  while (f >> csKey >> iKiB >> csUnit)
    if (csKey == "MemAvailable:") return iKiB * 1024;
  const long iPages = sysconf(_SC_AVPHYS_PAGES), iPageSize = sysconf(_SC_PAGESIZE);
  return iPages > 0 && iPageSize > 0 ? static_cast<unsigned long long>(iPages) * iPageSize : 0;
}

CIdeasAtOnce IdeasAtOnce(int iWanted, int iIdeas, int iWidth, int iHeight, int iQuality,
                         unsigned long long iReserved) {
  return IdeasAtOnce(iWanted, iIdeas, iWidth, iHeight, iQuality, iReserved,
                     std::thread::hardware_concurrency(), AvailableMemory());
}

CIdeasAtOnce IdeasAtOnce(int iWanted, int iIdeas, int iWidth, int iHeight, int iQuality,
                         unsigned long long iReserved, unsigned iCores,
                         unsigned long long iFreeMemory) {
  CIdeasAtOnce result;
  result.m_iCount = std::max(1, std::min(iWanted, iIdeas));
  if (iCores > 0 && static_cast<unsigned>(result.m_iCount) > iCores) {
    result.m_iCount = static_cast<int>(iCores);
    result.m_csWhy = std::to_string(iCores) + (iCores == 1 ? " core" : " cores");
  }
  const unsigned long long iPerIdea = IdeaMemoryNeed(iWidth, iHeight, iQuality);
  if (iFreeMemory > 0 && iPerIdea > 0) {
    const unsigned long long iFree = iFreeMemory > iReserved ? iFreeMemory - iReserved : 0;
    const unsigned long long iFits = iFree / iPerIdea;
    if (iFits < static_cast<unsigned long long>(result.m_iCount)) {
      // One idea at a time is always tried: its own allocation says whether it fits.
      result.m_iCount = iFits > 0 ? static_cast<int>(iFits) : 1;
      result.m_csWhy = "each idea needs about " + std::to_string(iPerIdea >> 20) + " MB, " +
                       std::to_string(iFree >> 20) + " MB are free";
    }
  }
  return result;
}

bool ChooseVariation(CFilSpec& spec, const CDADC& original) {
  spec.SetWizardAll(0);
  if (!spec.Effect(original.m_iWidth, original.m_iHeight)) return false;
  spec.NewSeed();
  spec.Autochoose(&original);
  return true;
}

bool ChooseWizardIdea(CFilSpec& spec, const std::int32_t* aUsage, const CDADC& original) {
  spec.ChooseRandomXform(aUsage, false);
  if (!spec.Effect(original.m_iWidth, original.m_iHeight)) return false;
  spec.NewSeed();
  spec.Autochoose(&original);
  return true;
}

struct CIdeaBatch::CIdea {
  CFilSpec m_Spec;
  std::atomic<int> m_iState{static_cast<int>(EIdeaState::Waiting)};
  std::atomic<int> m_iProgress{0};
  std::atomic<int> m_iStop{0};
  CStatusText m_Status;
  std::unique_ptr<CDADC> m_pPicture;  // written before the state says Made
  std::string m_csRefusal;            // written before the state says Failed
};

CIdeaBatch::CIdeaBatch(const CDADC& original, int iQuality)
    : m_Original(original), m_iQuality(iQuality == 2 || iQuality == 4 ? iQuality : 1) {}

CIdeaBatch::~CIdeaBatch() {
  Stop();
  for (std::thread& t : m_aThreads)
    if (t.joinable()) t.join();
}

int CIdeaBatch::Add(const CFilSpec& spec) {
  auto pIdea = std::make_unique<CIdea>();
  pIdea->m_Spec = spec;
  pIdea->m_Spec.m_Context = XformContext{};
  m_aIdeas.push_back(std::move(pIdea));
  return Count() - 1;
}

bool CIdeaBatch::Start(int iAtOnce, std::function<void(int)> fnEnded) {
  m_fnEnded = std::move(fnEnded);
  m_iAtOnce = std::clamp(iAtOnce, 1, std::max(Count(), 1));
  // The ideas keep the cores busy themselves: while they run, each shares
  // its rows among its part of the cores only.
  m_bSharesCores = m_iAtOnce > 1 && Count() > 0;
  if (m_bSharesCores)
    LimitRowBlocks(std::max(1, static_cast<int>(std::thread::hardware_concurrency()) / m_iAtOnce));
  for (int i = 0; i < m_iAtOnce; ++i) {
    try {
      m_aThreads.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // the threads that did start take every idea
    }
  }
  if (m_aThreads.empty()) {
    for (int i = 0; i < Count(); ++i) End(i, EIdeaState::Failed);
    m_iNext = Count();
    return false;
  }
  m_iAtOnce = static_cast<int>(m_aThreads.size());
  return true;
}

void CIdeaBatch::Stop() {
  m_bStop.store(true);
  for (auto& pIdea : m_aIdeas) pIdea->m_iStop.store(1);
}

void CIdeaBatch::Wait() {
  std::unique_lock lock(m_mEnded);
  m_cvEnded.wait(lock, [this] { return Ended(); });
}

EIdeaState CIdeaBatch::State(int i) const {
  return static_cast<EIdeaState>(m_aIdeas[static_cast<std::size_t>(i)]->m_iState.load(
      std::memory_order_acquire));
}

int CIdeaBatch::Progress(int i) const {
  return std::clamp(m_aIdeas[static_cast<std::size_t>(i)]->m_iProgress.load(), 0, 100);
}

std::string CIdeaBatch::StatusText(int i) const {
  return m_aIdeas[static_cast<std::size_t>(i)]->m_Status.Get();
}

const CFilSpec& CIdeaBatch::Spec(int i) const { return m_aIdeas[static_cast<std::size_t>(i)]->m_Spec; }

const CDADC* CIdeaBatch::Picture(int i) const {
  return State(i) == EIdeaState::Made ? m_aIdeas[static_cast<std::size_t>(i)]->m_pPicture.get()
                                      : nullptr;
}

std::string CIdeaBatch::Refusal(int i) const {
  return State(i) == EIdeaState::Failed ? m_aIdeas[static_cast<std::size_t>(i)]->m_csRefusal
                                        : std::string();
}

void CIdeaBatch::Work() {
  for (;;) {
    const int i = m_iNext.fetch_add(1);
    if (i >= Count()) return;
    if (m_bStop.load())
      End(i, EIdeaState::Stopped);
    else
      Make(i);
  }
}

void CIdeaBatch::Make(int i) {
  CIdea& idea = *m_aIdeas[static_cast<std::size_t>(i)];
  idea.m_iState.store(static_cast<int>(EIdeaState::Running), std::memory_order_release);
  // The Xform's messages and "Mixing..." go to this idea's own text.
  const CStatusTextScope status(idea.m_Status);
  const int w = m_Original.m_iWidth, h = m_Original.m_iHeight;
  auto pDrw = std::make_unique<CDADC>(w, h);
  auto pOut = std::make_unique<CDADC>(w * m_iQuality, h * m_iQuality);
  if (!pDrw->IsValid() || !pOut->IsValid()) return End(i, EIdeaState::Failed);
  CFilSpec spec = idea.m_Spec;
  // Xforms only read the original: the ideas share it.
  spec.SetDCs(pDrw.get(), pOut.release(), const_cast<CDADC*>(&m_Original));
  spec.m_Context.m_pPercent = &idea.m_iProgress;
  spec.m_Context.m_pStop = &idea.m_iStop;
  const EGeneration eResult = FilterThreadProc(spec);
  if (eResult == EGeneration::Made) {
    idea.m_pPicture = std::move(pDrw);
    End(i, EIdeaState::Made);
  } else {
    if (eResult != EGeneration::Stopped) idea.m_csRefusal = spec.ApplyRefusal();
    End(i, eResult == EGeneration::Stopped ? EIdeaState::Stopped : EIdeaState::Failed);
  }
}

void CIdeaBatch::End(int i, EIdeaState eState) {
  CIdea& idea = *m_aIdeas[static_cast<std::size_t>(i)];
  idea.m_iProgress.store(100);
  idea.m_iState.store(static_cast<int>(eState), std::memory_order_release);
  if (m_fnEnded) m_fnEnded(i);
  {
    std::lock_guard lock(m_mEnded);
    if (m_iEnded.fetch_add(1, std::memory_order_acq_rel) + 1 == Count() && m_bSharesCores)
      LimitRowBlocks(0);
  }
  m_cvEnded.notify_all();
}
