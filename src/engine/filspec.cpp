#include "engine/filspec.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <mutex>
#include <type_traits>

#include "imaging/dadc.h"
#include "imaging/random.h"
#include "platform/report.h"

namespace {

// How the recipe reaches one Xform: its record, wizard flag, functions and
// form.
struct XformOps {
  void* (*pfnRecord)(CFilSpec&) = nullptr;
  std::int32_t* (*pfnWizard)(CFilSpec&) = nullptr;
  int (*pfnApply)(CFilSpec&) = nullptr;
  int (*pfnEffect)(CFilSpec&, int, int, const char**) = nullptr;
  void (*pfnAutochoose)(CFilSpec&, const CDADC&) = nullptr;
  CFormRef form;
};

template <auto pMember>
void* RecordOf(CFilSpec& f) {
  return &(f.*pMember);
}
template <auto pMember>
std::int32_t* WizardOf(CFilSpec& f) {
  if constexpr (requires { (f.*pMember).m_bWizard; })
    return &(f.*pMember).m_bWizard;
  else
    return nullptr;  // Web Fade's record has no wizard flag
}

template <auto pMember>
constexpr XformOps RecordOps() {
  XformOps ops;
  ops.pfnRecord = &RecordOf<pMember>;
  ops.pfnWizard = &WizardOf<pMember>;
  return ops;
}

// An Xform's validation takes its record, and the original's size when it
// asks for it.
// One that can refuse the record takes where to put the rule it broke.
template <auto pfnValidate, class P>
int CallValidate(P& p, int iWidth, int iHeight, const char** pszWhy) {
  using Fn = decltype(pfnValidate);
  if constexpr (std::is_invocable_v<Fn, P&, int, int, const char**>)
    return pfnValidate(p, iWidth, iHeight, pszWhy);
  else if constexpr (std::is_invocable_v<Fn, P&, const char**>)
    return pfnValidate(p, pszWhy);
  else if constexpr (std::is_invocable_v<Fn, P&, int, int>)
    return pfnValidate(p, iWidth, iHeight);
  else
    return pfnValidate(p);
}

// An Xform's Autochoose takes its record and what its parameters ask for:
// nothing more, the recipe's area selection (which it may change), the
// original's size, both, or the original surface. Null: no Autochoose.
template <auto pfnAutochoose, class P>
void CallAutochoose(P& p, AreaSelection& sel, const CDADC& org) {
  using Fn = decltype(pfnAutochoose);
  if constexpr (std::is_null_pointer_v<Fn>)
    return;
  else if constexpr (std::is_invocable_v<Fn, P&>)
    pfnAutochoose(p);
  else if constexpr (std::is_invocable_v<Fn, P&, AreaSelection&, int, int>)
    pfnAutochoose(p, sel, org.m_iWidth, org.m_iHeight);
  else if constexpr (std::is_invocable_v<Fn, P&, AreaSelection&>)
    pfnAutochoose(p, sel);
  else if constexpr (std::is_invocable_v<Fn, P&, int, int>)
    pfnAutochoose(p, org.m_iWidth, org.m_iHeight);
  else
    pfnAutochoose(p, org);
}

// A built Xform: its record in the recipe, its declared form and its three
// functions. The dialog's id, caption and check on OK come with the form.
template <auto pMember, const auto& kForm, auto pfnValidate, auto pfnAutochoose, auto pfnApply>
constexpr XformOps Registered() {
  XformOps ops = RecordOps<pMember>();
  ops.pfnApply = [](CFilSpec& f) { return pfnApply(f.*pMember, f.m_Context); };
  ops.pfnEffect = [](CFilSpec& f, int iWidth, int iHeight, const char** pszWhy) {
    return CallValidate<pfnValidate>(f.*pMember, iWidth, iHeight, pszWhy);
  };
  ops.pfnAutochoose = [](CFilSpec& f, const CDADC& org) {
    CallAutochoose<pfnAutochoose>(f.*pMember, f.m_Select, org);
  };
  ops.form = CFormRef(kForm);
  return ops;
}

// The catalogue in index order: one line per Xform.
const XformOps kOps[kXformCount] = {
    Registered<&CFilSpec::m_Banya, kBanyaForm, ValidateBanya, AutochooseBanya, ApplyBanya>(),
    Registered<&CFilSpec::m_Bubble, kBubbleForm, ValidateBubble, AutochooseBubble, ApplyBubble>(),
    Registered<&CFilSpec::m_Clouds, kCloudsForm, ValidateClouds, AutochooseClouds, ApplyClouds>(),
    Registered<&CFilSpec::m_Explode, kExplodeForm, ValidateExplode, AutochooseExplode,
               ApplyExplode>(),
    Registered<&CFilSpec::m_FallenLeaves, kFallenLeavesForm, ValidateFallenLeaves,
               AutochooseFallenLeaves, ApplyFallenLeaves>(),
    Registered<&CFilSpec::m_FallenLetters, kFallenLettersForm, ValidateFallenLetters,
               AutochooseFallenLetters, ApplyFallenLetters>(),
    Registered<&CFilSpec::m_Flowers, kFlowersForm, ValidateFlowers, AutochooseFlowers,
               ApplyFlowers>(),
    Registered<&CFilSpec::m_Haaisi, kHaaisiForm, ValidateHaaisi, AutochooseHaaisi, ApplyHaaisi>(),
    Registered<&CFilSpec::m_Ivy, kIvyForm, ValidateIvy, AutochooseIvy, ApplyIvy>(),
    Registered<&CFilSpec::m_Klee, kKleeForm, ValidateKlee, AutochooseKlee, ApplyKlee>(),
    Registered<&CFilSpec::m_LiquidEnergy, kLiquidEnergyForm, ValidateLiquidEnergy,
               AutochooseLiquidEnergy, ApplyLiquidEnergy>(),
    Registered<&CFilSpec::m_MadPainter, kMadPainterForm, ValidateMadPainter, AutochooseMadPainter,
               ApplyMadPainter>(),
    Registered<&CFilSpec::m_MarilynWarhol, kMarilynForm, ValidateMarilyn, AutochooseMarilyn,
               ApplyMarilyn>(),
    Registered<&CFilSpec::m_Mist, kMistForm, ValidateMist, AutochooseMist, ApplyMist>(),
    Registered<&CFilSpec::m_Mosaic, kMosaicForm, ValidateMosaic, AutochooseMosaic, ApplyMosaic>(),
    Registered<&CFilSpec::m_Net, kNetForm, ValidateNet, AutochooseNet, ApplyNet>(),
    Registered<&CFilSpec::m_OldFilm, kOldFilmForm, ValidateOldFilm, AutochooseOldFilm,
               ApplyOldFilm>(),
    Registered<&CFilSpec::m_OpArt, kOpArtForm, ValidateOpArt, AutochooseOpArt, ApplyOpArt>(),
    Registered<&CFilSpec::m_Pearls, kPearlsForm, ValidatePearls, AutochoosePearls, ApplyPearls>(),
    Registered<&CFilSpec::m_Phases, kPhasesForm, ValidatePhases, AutochoosePhases, ApplyPhases>(),
    Registered<&CFilSpec::m_PrimitiveArt, kPrimitiveArtForm, ValidatePrimitiveArt,
               AutochoosePrimitiveArt, ApplyPrimitiveArt>(),
    Registered<&CFilSpec::m_ReliefMap, kReliefMapForm, ValidateReliefMap, AutochooseReliefMap,
               ApplyReliefMap>(),
    Registered<&CFilSpec::m_StarDust, kStarDustForm, ValidateStarDust, AutochooseStarDust,
               ApplyStarDust>(),
    Registered<&CFilSpec::m_Swarm, kSwarmForm, ValidateSwarm, AutochooseSwarm, ApplySwarm>(),
    Registered<&CFilSpec::m_TeknoFrag, kTeknoFragForm, ValidateTeknoFrag, AutochooseTeknoFrag,
               ApplyTeknoFrag>(),
    Registered<&CFilSpec::m_Text, kTextForm, ValidateText, AutochooseText, ApplyText>(),
    Registered<&CFilSpec::m_WebFade, kWebFadeForm, ValidateWebFade, nullptr, ApplyWebFade>(),
    Registered<&CFilSpec::m_Wood, kWoodForm, ValidateWood, AutochooseWood, ApplyWood>(),
};

bool InCatalogue(int i) { return i >= 0 && i < kXformCount; }

// Every int and real pair of the record into what its form accepts: the
// slider's range, widened to what the wizard may choose beyond it (a value
// the wizard drew stays as drawn, so that an idea made again is the same).
void ClampToFormRanges(const CFormRef& form, void* pRecord) {
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    if (f.m_eKind != EField::IntPair && f.m_eKind != EField::RealPair) continue;
    const double dLo = std::min(f.m_dMin, f.m_dWizardMin);
    const double dHi = std::max(f.m_dMax, f.m_dWizardMax);
    if (f.m_eKind == EField::IntPair) {
      auto& v = *static_cast<std::int32_t*>(form.Address(i, pRecord));
      if (v < dLo) v = static_cast<std::int32_t>(dLo);
      if (v > dHi) v = static_cast<std::int32_t>(dHi);
    } else {
      auto& v = *static_cast<double*>(form.Address(i, pRecord));
      if (!(v >= dLo)) v = dLo;  // also a value that is not a number
      if (v > dHi) v = dHi;
    }
  }
}

// The Xform a test has declared not built, or -1.
std::atomic<int> s_iNotBuiltForTests{-1};

}  // namespace

CXformNotBuiltForTests::CXformNotBuiltForTests(int iXform) { s_iNotBuiltForTests = iXform; }
CXformNotBuiltForTests::~CXformNotBuiltForTests() { s_iNotBuiltForTests = -1; }

bool CFilSpec::IsBuilt(int iXform) {
  return InCatalogue(iXform) && kOps[iXform].pfnApply && iXform != s_iNotBuiltForTests;
}

const char* CFilSpec::CheckSettings(int iXform, void* pRecord) {
  return Form(iXform).CheckOnOk(pRecord);
}

CFormRef CFilSpec::Form(int iXform) { return IsBuilt(iXform) ? kOps[iXform].form : CFormRef(); }

void* CFilSpec::Record(int iXform) {
  return InCatalogue(iXform) ? kOps[iXform].pfnRecord(*this) : nullptr;
}

std::int32_t* CFilSpec::WizardFlag(int iXform) {
  return InCatalogue(iXform) && kOps[iXform].pfnWizard ? kOps[iXform].pfnWizard(*this) : nullptr;
}

int CFilSpec::CanEditSettings() const {
  if (!IsBuilt(m_iXform)) {
    ReportError("CFilSpec::OCP, Xforms %d not\n(yet) supported", m_iXform);
    return 0;
  }
  return 1;
}

void CFilSpec::AcceptSettings(const void* pEdited) {
  if (!IsBuilt(m_iXform) || !pEdited) return;
  const CFormRef form = Form(m_iXform);
  void* pRecord = Record(m_iXform);
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    void* pTo = form.Address(i, pRecord);
    if (!pTo) continue;
    std::memcpy(pTo, form.Address(i, pEdited), KindOf(f.m_eKind).m_pfnSize(f));
    // A flag the dialog shows (a background's use-picture flag only then).
    if (form.ShowsFlag(i))
      *form.FlagAddress(i, pRecord) = *form.FlagAddress(i, const_cast<void*>(pEdited));
  }
  if (const std::int32_t* pWizard = WizardFlag(m_iXform); pWizard && !*pWizard) m_bWizardAll = 0;
}

int CFilSpec::Apply() {
  if (!m_Context.m_pIn || !m_Context.m_pOut || !m_Context.m_pDrw) {
    ReportError("Bad DC in Xform.Apply()\nin=%p out=%p drw=%p", static_cast<void*>(m_Context.m_pIn),
                static_cast<void*>(m_Context.m_pOut), static_cast<void*>(m_Context.m_pDrw));
    return 0;
  }
  const std::int32_t iXform = m_iXform;
  SeedRandom(static_cast<unsigned int>(m_iSeed));
  m_Context.m_Select = m_Select;
  m_Context.m_szRefusal = nullptr;
  int iResult = 0;
  if (iXform == XFORM_NULL) {
    iResult = 0;
  } else if (IsBuilt(iXform)) {
    iResult = kOps[iXform].pfnApply(*this);
    // A run that was stopped made no idea, whatever the Xform says.
    if (m_Context.Stopped()) iResult = 0;
  } else {
    // Beyond the catalogue, or an Xform of the catalogue that is not built yet.
    ReportError("FI:Xform %d not\n(yet) supported", iXform);
  }
  if (m_iXform != iXform) m_iXform = iXform;
  return iResult;
}

int CFilSpec::Effect(int iWidth, int iHeight, std::string* pcsWhy) {
  if (!IsBuilt(m_iXform)) {
    ReportError("CFilSpec::Effect %d not\n(yet) supported", m_iXform);
    if (pcsWhy) *pcsWhy = FormatMessageText("Xform %d is not available", m_iXform);
    return 0;
  }
  // The form's ranges first: the one place a number's range is written.
  ClampToFormRanges(kOps[m_iXform].form, Record(m_iXform));
  const char* szWhy = nullptr;
  if (kOps[m_iXform].pfnEffect(*this, iWidth, iHeight, &szWhy)) return 1;
  if (pcsWhy)
    *pcsWhy = std::string(GetXformName(m_iXform)) + ": " +
              (szWhy ? szWhy : "these settings cannot be used for this picture");
  return 0;
}

void CFilSpec::Autochoose(const CDADC* pOriginal) {
  if (!pOriginal) {
    ReportError("No original image approach");
    return;
  }
  if (m_bWizardAll) SetWizardAll(1);
  const std::int32_t iXform = m_iXform;
  if (InCatalogue(iXform)) {
    const std::int32_t* pWizard = WizardFlag(iXform);
    // Web Fade has neither a wizard flag nor an Autochoose; Xforms not built
    // yet have nothing to choose (their Effect has already refused).
    if (pWizard && *pWizard && IsBuilt(iXform))
      kOps[iXform].pfnAutochoose(*this, *pOriginal);
  } else if (iXform != XFORM_NULL) {
    ReportError("ACP::Xform %d not\n(yet) supported", iXform);
  }
  if (m_iXform != iXform) {
    ReportError("Name change in Autochoose(%d-->%d)", iXform, m_iXform);
    m_iXform = iXform;
  }
}

void CFilSpec::SetDCs(CDADC* pDrw, CDADC* pOut, CDADC* pIn) {
  if (!pDrw || !pOut || !pIn) {
    ReportError("Bad DC in CFilSpec::SetDCs()\nin=%p out=%p drw=%p", static_cast<void*>(pIn),
                static_cast<void*>(pOut), static_cast<void*>(pDrw));
    return;
  }
  m_Context.m_pDrw = pDrw;
  m_Context.m_pOut = pOut;
  m_Context.m_pIn = pIn;
}

void CFilSpec::DeleteXformDC() {
  if (!m_Context.m_pOut) {
    ReportError("Deleting a NULL Xform DC");
    return;
  }
  // The out surface was made for this run and handed over with SetDCs; the
  // pointer is cleared so that a second call cannot free it twice.
  delete m_Context.m_pOut;
  m_Context.m_pOut = nullptr;
}

void CFilSpec::NewSeed() {
  const unsigned long long iSeconds = static_cast<unsigned long long>(std::time(nullptr));
  const unsigned long long iMillis =
      static_cast<unsigned long long>(std::clock()) * 1000ull / CLOCKS_PER_SEC;
  // Ideas asked for within the same millisecond (small pictures are made
  // that fast, a grid asks for many at once) would otherwise get the same
  // seed, and with the same Xform the same picture: each one after the
  // first takes a seed far from the one before (neighbouring seeds give
  // nearly the same first random numbers).
  static std::mutex s_mutex;
  static std::uint32_t s_iLastClock = 0, s_iLast = 0;
  const std::uint32_t iClock = static_cast<std::uint32_t>(iSeconds + iMillis);
  std::uint32_t iSeed = iClock;
  {
    std::lock_guard lock(s_mutex);
    if (iClock == s_iLastClock || iSeed == s_iLast) iSeed = s_iLast + 0x9E3779B9u;
    s_iLastClock = iClock;
    s_iLast = iSeed;
  }
  m_iSeed = static_cast<std::int32_t>(iSeed);
}

void CFilSpec::SetWizardAll(int bFlag) {
  m_bWizardAll = bFlag;
  for (int i = 0; i < kXformCount; ++i)
    if (std::int32_t* pWizard = WizardFlag(i)) *pWizard = 1;
}

void CFilSpec::ChooseRandomXform(const std::int32_t* aUsage, bool bVignette) {
  m_iXform = PickLeastUsedXform(aUsage);
  if (bVignette) {
    m_Mix.m_iMixMode = MIX_ELLIPSE_IN;
    m_Mix.m_iPercent = 80;
  } else {
    m_Mix.m_iPercent = RandomInt(35, 75);
    if (RandomInt(0, 100) <= 55) {
      m_Mix.m_iMixMode = MIX_OFF;
    } else if (RandomInt(0, 100) > 55) {
      m_Mix.m_iMixMode = MIX_ELLIPSE_IN;
    } else {
      switch (RandomInt(1, 7)) {
        case 2: m_Mix.m_iMixMode = MIX_RIGHT_LEFT; break;
        case 3: m_Mix.m_iMixMode = MIX_TOP_BOTTOM; break;
        case 4: m_Mix.m_iMixMode = MIX_BOTTOM_TOP; break;
        case 6: m_Mix.m_iMixMode = MIX_CIRCLE_IN; break;
        default: m_Mix.m_iMixMode = MIX_LEFT_RIGHT; break;
      }
    }
  }
  SetWizardAll(1);
  m_Select.Reset();
  if (RandomInt(0, 100) > 80) m_Select.m_bInvert = 1;
}

int PickLeastUsedXform(const std::int32_t* aUsage) {
  std::int32_t iMin = 64000;
  for (int i = 0; i < kXformCount; ++i)
    if (aUsage[i] < iMin) iMin = aUsage[i];
  int iPick = 0;
  for (int iDraw = 0; iDraw < 100 * kXformCount + 1; ++iDraw) {
    iPick = RandomInt(0, kXformCount - 1);
    if (aUsage[iPick] == iMin) break;
  }
  return iPick;
}

void InitUsageCounts(std::int32_t* aUsage) {
  for (int i = 0; i < kXformCount; ++i)
    aUsage[i] = (i == XFORM_MIST || i == XFORM_WEB_FADE) ? 1000000 : 0;
}

std::string CFilSpec::ApplyRefusal() const {
  if (!m_Context.m_szRefusal) return {};
  return std::string(GetXformName(m_iXform)) + ": " + m_Context.m_szRefusal;
}
