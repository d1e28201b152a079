// The checks every built Xform of the catalogue must pass, run over the
// catalogue itself: a newly registered Xform joins them by its table line and
// needs only its pinned digest (record it with VX_UPDATE_DIGESTS=1 and the
// filter 'XformSuite*<Name>').
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "engine/filspec.h"
#include "engine/filter_thread.h"
#include "imaging/random.h"
#include "xforms/progress.h"
#include "support/recording_reporter.h"
#include "xforms/test_pictures.h"
#include "xforms/wizard_recipes.h"

namespace {

std::vector<int> BuiltXforms() {
  std::vector<int> aXforms;
  for (int i = 0; i < kXformCount; ++i)
    if (CFilSpec::IsBuilt(i)) aXforms.push_back(i);
  return aXforms;
}

// "Fallen Letters" -> "fallen_letters": the digest keys' and test names' form.
std::string KeyOf(int iXform) {
  std::string cs;
  for (const char* p = GetXformName(iXform); *p; ++p)
    cs += std::isalnum(static_cast<unsigned char>(*p)) ? static_cast<char>(std::tolower(*p)) : '_';
  return cs;
}

// Wall-clock seconds of a run of the recipe at quality q; a run still going
// after dLimit seconds is asked to stop (and *pbCut set), so that one that
// costs far too much fails the check instead of hanging the suite.
double TimedRun(CFilSpec spec, CDADC& in, int q, double dLimit, bool* pbCut) {
  std::atomic<int> iStop{0}, iPercent{0};
  spec.m_Context.m_pStop = &iStop;
  spec.m_Context.m_pPercent = &iPercent;
  CStopAfter watch(iStop, dLimit);
  const auto t0 = std::chrono::steady_clock::now();
  RunXform(spec, in, q);
  const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  watch.End();
  if (pbCut) *pbCut = watch.Cut();
  return dSeconds;
}

// The share of pixels that are not black in each of the g x g cells of s.
std::vector<double> LitShares(const CDADC& s, int g) {
  std::vector<double> aLit(g * g, 0.0), aAll(g * g, 0.0);
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) {
      const int k = y * g / s.m_iHeight * g + x * g / s.m_iWidth;
      const std::uint8_t* p = s.Row(y) + 3 * x;
      aAll[k] += 1;
      aLit[k] += (p[0] | p[1] | p[2]) != 0;
    }
  for (int k = 0; k < g * g; ++k) aLit[k] = aAll[k] ? aLit[k] / aAll[k] : 0.0;
  return aLit;
}

// The alignment of the storage of a field of this kind.
std::size_t AlignmentOf(EField eKind) {
  switch (eKind) {
    case EField::RealPair: return alignof(double);
    case EField::Text: return 1;
    case EField::Font: return alignof(LOGFONT);
    case EField::Selection: return alignof(AreaSelection);
    default: return alignof(std::int32_t);
  }
}

// Writing the record as the form's texts and reading them into a record
// whose every byte was something else restores every field byte for byte; a
// field the form leaves out keeps the filler. Bytes that no text writes must
// be zero in the fresh record, and either padding (a gap that the alignment
// of the next field, or the record's end, explains) or zero in the record too
// (a reserved field). A field left out that is zero there, or sits where
// padding could be, is what this cannot see. pFresh must have zero padding
// (static storage). Returns what is wrong.
std::vector<std::string> FormCoverageProblems(const CFormRef& form, const void* pRecordIn,
                                              const void* pFreshIn) {
  std::vector<std::string> aProblems;
  const auto* pRecord = static_cast<const unsigned char*>(pRecordIn);
  const auto* pFresh = static_cast<const unsigned char*>(pFreshIn);
  const std::size_t iSize = form.RecordSize();
  const std::vector<NamedValue> aValues = FormValues(form, pRecord);
  std::vector<std::vector<unsigned char>> aCopies;
  for (const unsigned char cFiller : {0x00, 0xFF}) {
    std::vector<std::max_align_t> aStorage(iSize / sizeof(std::max_align_t) + 1);
    auto* pCopy = reinterpret_cast<unsigned char*>(aStorage.data());
    std::memset(pCopy, cFiller, iSize);
    for (const NamedValue& v : aValues) {
      std::string csError;
      if (!SetFieldFromText(form, pCopy, v.m_csName, v.m_csValue, csError, false))
        aProblems.push_back(v.m_csName + "=" + v.m_csValue + ": " + csError);
    }
    aCopies.emplace_back(pCopy, pCopy + iSize);
  }
  // Where each field starts, with its alignment.
  std::vector<std::size_t> aAlign(iSize + 1, 0);
  std::size_t iRecordAlign = 1;
  std::vector<unsigned char> aRecord(pRecord, pRecord + iSize);
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const std::size_t iAlign = AlignmentOf(form.Field(i).m_eKind);
    iRecordAlign = std::max(iRecordAlign, iAlign);
    if (const void* p = form.Address(i, aRecord.data()))
      aAlign[static_cast<const unsigned char*>(p) - aRecord.data()] = iAlign;
    if (const void* p = form.FlagAddress(i, aRecord.data()))
      aAlign[static_cast<const unsigned char*>(p) - aRecord.data()] = alignof(std::int32_t);
  }
  aAlign[iSize] = iRecordAlign;
  for (std::size_t i = 0; i < iSize;) {
    if (aCopies[0][i] == aCopies[1][i]) {
      if (aCopies[0][i] != pRecord[i])
        aProblems.push_back("byte " + std::to_string(i) + " is read back differently");
      ++i;
      continue;
    }
    std::size_t iEnd = i;
    while (iEnd < iSize && aCopies[0][iEnd] != aCopies[1][iEnd]) ++iEnd;
    const std::size_t iAlign = aAlign[iEnd] ? aAlign[iEnd] : 1;
    const bool bPadding = (i + iAlign - 1) / iAlign * iAlign == iEnd;
    bool bZero = true, bFreshZero = true;
    for (std::size_t k = i; k < iEnd; ++k) {
      bZero = bZero && pRecord[k] == 0;
      bFreshZero = bFreshZero && pFresh[k] == 0;
    }
    if (!bFreshZero || !(bPadding || bZero))
      aProblems.push_back("bytes " + std::to_string(i) + " to " + std::to_string(iEnd - 1) +
                          " are written by no field of the form");
    i = iEnd;
  }
  return aProblems;
}

class XformSuite : public testing::TestWithParam<int> {
 protected:
  int Xform() const { return GetParam(); }
};

// A record for checking the check: an int between two ints, one before a
// double (where padding could be), and a colour at the end.
struct CoverageParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iFirst = 5;
  std::int32_t m_iSecond = 7;
  double m_dReal = 2.5;
  COLORREF m_crColour = RGB(1, 2, 3);
};
constexpr auto kFullForm = MakeForm<CoverageParams>(
    100, "Full", IntPair(&CoverageParams::m_iFirst, "first", 1, 2, "First", 0, 10),
    IntPair(&CoverageParams::m_iSecond, "second", 3, 4, "Second", 0, 10),
    RealPair(&CoverageParams::m_dReal, "real", 5, 6, "Real", 0.0, 10.0),
    Colour(&CoverageParams::m_crColour, "colour", 7, 8, "Colour"),
    WizardSwitch(&CoverageParams::m_bWizard));
constexpr auto kFormWithoutFirst = MakeForm<CoverageParams>(
    100, "Without", IntPair(&CoverageParams::m_iSecond, "second", 3, 4, "Second", 0, 10),
    RealPair(&CoverageParams::m_dReal, "real", 5, 6, "Real", 0.0, 10.0),
    Colour(&CoverageParams::m_crColour, "colour", 7, 8, "Colour"),
    WizardSwitch(&CoverageParams::m_bWizard));
constexpr auto kFormWithoutColour = MakeForm<CoverageParams>(
    100, "Without", IntPair(&CoverageParams::m_iFirst, "first", 1, 2, "First", 0, 10),
    IntPair(&CoverageParams::m_iSecond, "second", 3, 4, "Second", 0, 10),
    RealPair(&CoverageParams::m_dReal, "real", 5, 6, "Real", 0.0, 10.0),
    WizardSwitch(&CoverageParams::m_bWizard));

}  // namespace

TEST(XformSuiteChecks, AFieldLeftOutOfTheFormIsCaught) {
  static const CoverageParams fresh{};  // static: its padding is zero
  CoverageParams p;
  p.m_iFirst = 9;
  p.m_crColour = RGB(4, 5, 6);
  EXPECT_TRUE(FormCoverageProblems(CFormRef(kFullForm), &p, &fresh).empty());
  EXPECT_FALSE(FormCoverageProblems(CFormRef(kFormWithoutFirst), &p, &fresh).empty());
  EXPECT_FALSE(FormCoverageProblems(CFormRef(kFormWithoutColour), &p, &fresh).empty());
}

TEST_P(XformSuite, FormCoversTheRecord) {
  const CFormRef form = CFilSpec::Form(Xform());
  ASSERT_FALSE(form.IsEmpty());
  auto in = MakeTestPicture(60, 40);
  const CFilSpec spec = WizardSpec(Xform(), 17, *in);
  static const CFilSpec kFresh{};
  const void* pFresh = kFresh.Record(Xform());
  for (const std::string& cs : FormCoverageProblems(form, spec.Record(Xform()), pFresh))
    ADD_FAILURE() << cs;
}

// A wizard-made recipe gives the same picture every time, its checked-in
// one, and another seed (far from the first: neighbouring seeds begin with
// nearly the same draws) gives another picture. An Xform without a wizard
// draws nothing at random: its picture is the same for every seed.
TEST_P(XformSuite, WizardRecipeReproducedAndPinned) {
  auto in = MakeTestPicture(60, 40);
  const CFilSpec spec = WizardSpec(Xform(), 5, *in);
  const CXformRun a = RunXform(spec, *in, 1);
  const CXformRun b = RunXform(spec, *in, 1);
  ASSERT_EQ(a.m_iResult, 1);
  EXPECT_TRUE(SameSurfaces(*a.m_pOut, *b.m_pOut));
  ExpectDigest(KeyOf(Xform()) + "_suite_q1", *a.m_pOut);
  const CXformRun other = RunXform(WizardSpec(Xform(), 65536 * 7 + 5, *in), *in, 1);
  ASSERT_EQ(other.m_iResult, 1);
  CFilSpec probe;
  EXPECT_EQ(SameSurfaces(*a.m_pOut, *other.m_pOut), probe.WizardFlag(Xform()) == nullptr);
  EXPECT_TRUE(TakeMessages().empty());
}

// Pictures of one to three pixels a side, with the wizard's choices and with
// the defaults, at the lowest and the highest quality: made without a
// message, unless the Xform's validation refuses the picture. An Xform that
// needs some contrast may give up (a failed idea: 0 without a stop) on a
// picture of one colour or one pixel's width or height.
TEST_P(XformSuite, TinyPictures) {
  for (int w = 1; w <= 3; ++w)
    for (int h = 1; h <= 3; ++h) {
      auto in = MakeTestPicture(w, h);
      bool bMayFail = true;  // one colour
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          bMayFail = bMayFail && in->m_pDC->GetPixel(x, y) == in->m_pDC->GetPixel(0, 0);
      bMayFail = bMayFail || w == 1 || h == 1;
      for (int q : {1, 4})
        for (const bool bWizard : {true, false}) {
          CFilSpec spec = bWizard ? WizardSpec(Xform(), 3, *in) : SpecFor(Xform(), 3);
          const std::string csCase =
              std::to_string(w) + "x" + std::to_string(h) + " q" + std::to_string(q) +
              (bWizard ? " wizard" : "");
          if (!spec.Effect(w, h)) {
            TakeMessages();  // a refusal may say why
            continue;
          }
          const int iResult = RunXform(spec, *in, q).m_iResult;
          EXPECT_TRUE(iResult == 1 || (iResult == 0 && bMayFail && !g_bStop)) << csCase;
          EXPECT_TRUE(TakeMessages().empty()) << csCase;
        }
    }
}

// A stop asked for before the run starts ends it as stopped, whatever the
// Xform returns: no mix, the drawing surface as it was, the out surface freed.
TEST_P(XformSuite, ImmediateStop) {
  auto in = MakeTestPicture(60, 40);
  for (int q : {1, 4}) {
    CFilSpec spec = WizardSpec(Xform(), 9, *in);
    CDADC drw(in->m_iWidth, in->m_iHeight);
    const std::string csBefore = SurfaceDigest(drw);
    std::atomic<int> iStop{1}, iPercent{0};
    spec.SetDCs(&drw, new CDADC(in->m_iWidth * q, in->m_iHeight * q), in.get());
    spec.m_Context.m_pStop = &iStop;
    spec.m_Context.m_pPercent = &iPercent;
    EXPECT_EQ(FilterThreadProc(spec), EGeneration::Stopped) << "q" << q;
    EXPECT_EQ(SurfaceDigest(drw), csBefore);
    EXPECT_EQ(spec.m_Context.m_pOut, nullptr);
  }
  EXPECT_TRUE(TakeMessages().empty());
}

// The work of an idea is bounded by the picture's area, whatever its shape:
// on strips of 1 x 3000, 3000 x 1 and 4 x 30000 pixels, with the wizard's
// choices and with every count at the wizard's largest, an Xform takes no
// more than a generous multiple of its time on a 300 x 300 picture.
TEST_P(XformSuite, StripsCostNoMoreThanASquare) {
  auto square = MakeTestPicture(300, 300);
  double dSquare = 0;
  for (const bool bMaxed : {false, true}) {
    const CFilSpec spec = bMaxed ? MaxedWizardSpec(Xform(), 11, *square)
                                 : WizardSpec(Xform(), 11, *square);
    dSquare = std::max(dSquare, TimedRun(spec, *square, 1, 60, nullptr));
  }
  const double dLimit = 2.0 + 20 * dSquare;
  for (const auto& [w, h] : {std::pair{1, 3000}, std::pair{3000, 1}, std::pair{4, 30000}}) {
    auto strip = MakeTestPicture(w, h);
    for (const bool bMaxed : {false, true}) {
      const CFilSpec spec = bMaxed ? MaxedWizardSpec(Xform(), 11, *strip)
                                   : WizardSpec(Xform(), 11, *strip);
      bool bCut = false;
      const double dSeconds = TimedRun(spec, *strip, 1, dLimit, &bCut);
      EXPECT_FALSE(bCut) << w << "x" << h << (bMaxed ? " maxed" : "") << ": still working after "
                         << dSeconds << " s (300 x 300: " << dSquare << " s)";
    }
  }
  TakeMessages();
}

// A stop asked for at the first progress report ends the run promptly, as
// stopped; the same at every quality.
namespace {
std::atomic<int> s_iStopAtReport{0};
std::chrono::steady_clock::time_point s_tStopAsked;
void StopAtFirstReport(int /*iPercent*/, const char* /*szText*/) {
  if (!s_iStopAtReport.exchange(1)) s_tStopAsked = std::chrono::steady_clock::now();
}
}  // namespace

TEST_P(XformSuite, StopAtTheFirstProgressReport) {
  auto in = MakeTestPicture(300, 200);
  for (int q : {1, 4}) {
    CFilSpec spec = MaxedWizardSpec(Xform(), 13, *in);
    s_iStopAtReport = 0;
    spec.m_Context.m_pStop = &s_iStopAtReport;
    std::atomic<int> iPercent{0};
    spec.m_Context.m_pPercent = &iPercent;
    SetProgressHook(&StopAtFirstReport);
    const int iResult = RunXform(spec, *in, q).m_iResult;
    SetProgressHook(nullptr);
    ASSERT_EQ(s_iStopAtReport, 1) << "q" << q << ": no progress report";
    EXPECT_EQ(iResult, 0) << "q" << q;
    const double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - s_tStopAsked).count();
    EXPECT_LT(dSeconds, 1.0) << "q" << q;
  }
  TakeMessages();
}

// At quality 2 and 4 an idea covers the whole larger surface: no part of it
// stays black where quality 1 draws (an Xform that ignored the scale would
// draw into a corner of it only).
TEST_P(XformSuite, HigherQualityCoversTheSurface) {
  auto in = MakeTestPicture(60, 40);
  const CFilSpec spec = WizardSpec(Xform(), 21, *in);
  const CXformRun one = RunXform(spec, *in, 1);
  ASSERT_EQ(one.m_iResult, 1);
  const int g = 4;
  const std::vector<double> aOne = LitShares(*one.m_pOut, g);
  for (int q : {2, 4}) {
    const CXformRun run = RunXform(spec, *in, q);
    ASSERT_EQ(run.m_iResult, 1) << "q" << q;
    const std::vector<double> aLit = LitShares(*run.m_pOut, g);
    for (int k = 0; k < g * g; ++k)
      EXPECT_TRUE(aOne[k] < 0.2 || aLit[k] >= aOne[k] / 4)
          << "q" << q << " cell " << k % g << "," << k / g << ": " << aLit[k] << " lit, "
          << aOne[k] << " at q1";
  }
  EXPECT_TRUE(TakeMessages().empty());
}

// Validation leaves every number inside its form's range (with what the
// wizard may choose beyond the slider), whatever the record held: the form
// is the one place that says what a value may be.
TEST_P(XformSuite, ValidationKeepsNumbersInTheFormRange) {
  const CFormRef form = CFilSpec::Form(Xform());
  for (const double dFar : {-1e9, 1e9}) {
    CFilSpec spec = SpecFor(Xform(), 1);
    void* pRecord = spec.Record(Xform());
    for (std::size_t i = 0; i < form.Count(); ++i) {
      if (form.Field(i).m_eKind == EField::IntPair)
        *static_cast<std::int32_t*>(form.Address(i, pRecord)) = static_cast<std::int32_t>(dFar);
      else if (form.Field(i).m_eKind == EField::RealPair)
        *static_cast<double*>(form.Address(i, pRecord)) = dFar;
    }
    if (!spec.Effect(300, 200)) continue;  // a refusal keeps nothing
    for (std::size_t i = 0; i < form.Count(); ++i) {
      const FieldDesc& f = form.Field(i);
      double v;
      if (f.m_eKind == EField::IntPair)
        v = *static_cast<const std::int32_t*>(form.Address(i, pRecord));
      else if (f.m_eKind == EField::RealPair)
        v = *static_cast<const double*>(form.Address(i, pRecord));
      else
        continue;
      const double dLo = std::min(f.m_dMin, f.m_dWizardMin);
      const double dHi = std::max(f.m_dMax, f.m_dWizardMax);
      EXPECT_TRUE(v >= dLo && v <= dHi)
          << f.m_szName << " = " << v << " after " << dFar << ", outside " << dLo << ".." << dHi;
    }
  }
  TakeMessages();
}

INSTANTIATE_TEST_SUITE_P(Catalogue, XformSuite, testing::ValuesIn(BuiltXforms()),
                         [](const testing::TestParamInfo<int>& info) { return KeyOf(info.param); });
