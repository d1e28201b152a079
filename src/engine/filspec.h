// CFilSpec: the complete recipe of one image idea — which Xform, the
// parameters of every Xform, the mix, the area selection and the random seed.
// Plain data: the document stores a bitwise copy of it for every image of
// its sequence, and re-seeding from m_iSeed regenerates the same picture.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "engine/catalogue.h"
#include "imaging/area_selection.h"
#include "xforms/banya.h"
#include "xforms/bubble.h"
#include "xforms/clouds.h"
#include "xforms/explode.h"
#include "xforms/fallen_leaves.h"
#include "xforms/fallen_letters.h"
#include "xforms/flowers.h"
#include "xforms/form.h"
#include "xforms/haaisi.h"
#include "xforms/ivy.h"
#include "xforms/klee.h"
#include "xforms/liquid_energy.h"
#include "xforms/mad_painter.h"
#include "xforms/marilyn_warhol.h"
#include "xforms/mist.h"
#include "xforms/mosaic.h"
#include "xforms/net.h"
#include "xforms/old_film.h"
#include "xforms/op_art.h"
#include "xforms/pearls.h"
#include "xforms/phases.h"
#include "xforms/primitive_art.h"
#include "xforms/relief_map.h"
#include "xforms/stardust.h"
#include "xforms/swarm.h"
#include "xforms/tekno_frag.h"
#include "xforms/text.h"
#include "xforms/web_fade.h"
#include "xforms/wood.h"
#include "xforms/xform_context.h"

class CDADC;

struct CFilSpec {
  std::int32_t m_iXform = XFORM_NULL;
  std::int32_t m_bWizardAll = 1;
  MixSettings m_Mix;
  AreaSelection m_Select;
  XformContext m_Context;
  std::int32_t m_iSeed = 0;

  // One record per Xform, in catalogue order, then the spare Web Fade record.
  BanyaParams m_Banya;
  BubbleParams m_Bubble;
  CloudsParams m_Clouds;
  ExplodeParams m_Explode;
  FallenLeavesParams m_FallenLeaves;
  FallenLettersParams m_FallenLetters;
  FlowersParams m_Flowers;
  HaaisiParams m_Haaisi;
  IvyParams m_Ivy;
  KleeParams m_Klee;
  LiquidEnergyParams m_LiquidEnergy;
  MadPainterParams m_MadPainter;
  MarilynParams m_MarilynWarhol;
  MistParams m_Mist;
  MosaicParams m_Mosaic;
  NetParams m_Net;
  OldFilmParams m_OldFilm;
  OpArtParams m_OpArt;
  PearlsParams m_Pearls;
  PhasesParams m_Phases;
  PrimitiveArtParams m_PrimitiveArt;
  ReliefMapParams m_ReliefMap;
  StarDustParams m_StarDust;
  SwarmParams m_Swarm;
  TeknoFragParams m_TeknoFrag;
  TextParams m_Text;
  WebFadeParams m_WebFade;
  WoodParams m_Wood;
  WebFadeParams m_WebFadeSpare;  // constructed, never read or written

  // Runs the current Xform on m_Context after seeding this thread's generator
  // from m_iSeed. Nonzero on success; 0 after a stop, whatever the Xform
  // returned. Worker thread.
  int Apply();
  // Clamps every int and real pair of the current Xform's record into what
  // its form accepts (the slider's range, widened to the wizard's), then
  // validates the record for an original of this size (the Xform's own
  // rules); 0 refuses the generation, and then *pcsWhy (when given) says why:
  // the Xform's name, the field(s) and the rule broken ("Relief Map: the
  // levels must rise in order: sea_level <= hill <= rock <= snow_line").
  int Effect(int iWidth, int iHeight, std::string* pcsWhy = nullptr);
  // Why the last Apply made no picture, when the Xform gave up and said so
  // ("Op Art: the picture is narrower than its squares"); empty otherwise.
  std::string ApplyRefusal() const;
  // Random parameters for the current Xform when its wizard flag (or the
  // wizard-all flag) is set.
  void Autochoose(const CDADC* pOriginal);
  // Stores the three surfaces of a run (all must be given).
  void SetDCs(CDADC* pDrw, CDADC* pOut, CDADC* pIn);
  // Frees the context's out surface, which the caller of SetDCs handed over
  // for this run, and forgets it. Worker thread.
  void DeleteXformDC();
  // m_iSeed := calendar seconds + processor milliseconds, or a seed far from
  // the previous one when that is the same.
  void NewSeed();
  // m_bWizardAll := bFlag, and every Xform's wizard flag := 1.
  void SetWizardAll(int bFlag);
  // A least used Xform, a random mix (or the vignette mix), all wizard flags
  // on, a fresh selection (inverted one time in five). aUsage: 28 counts.
  void ChooseRandomXform(const std::int32_t* aUsage, bool bVignette);

  // The engine side of the settings dialog (the dialog itself is the shell's,
  // built from Form(m_iXform) on a copy of Record(m_iXform)):
  // 1 when the current Xform has settings; otherwise "CFilSpec::OCP, Xforms
  // %d not\n(yet) supported" and 0.
  int CanEditSettings() const;
  // OK of the dialog: every field the form shows is copied back from the
  // edited copy (a background's use-picture flag only when the form has a
  // control for it); a cleared wizard flag clears m_bWizardAll.
  void AcceptSettings(const void* pEdited);

  // For dialogs, the command line and recipes.
  // Whether Xform i is built (has Apply, validation and Autochoose).
  static bool IsBuilt(int iXform);
  // The declared form of Xform i (empty when not built).
  static CFormRef Form(int iXform);
  // The record of Xform i (null for an index outside 0..27).
  void* Record(int iXform);
  const void* Record(int iXform) const { return const_cast<CFilSpec*>(this)->Record(iXform); }
  // The wizard flag of Xform i, null when it has none.
  std::int32_t* WizardFlag(int iXform);
  // The check a settings dialog makes on OK, on a record of Xform i: the
  // message to show (the dialog then stays open), or null when it may close.
  // The check may tidy the record (e.g. cut a text to its size).
  static const char* CheckSettings(int iXform, void* pRecord);
};

static_assert(std::is_trivially_copyable_v<CFilSpec>,
              "the document copies recipes bitwise");

// For tests of what happens with an Xform that is not built: while one of
// these lives, the given Xform counts as not built (IsBuilt false, an empty
// form, Effect, Apply, Autochoose and its settings refused as for an Xform
// not written yet), whichever Xforms the catalogue has. One at a time.
class CXformNotBuiltForTests {
 public:
  explicit CXformNotBuiltForTests(int iXform);
  ~CXformNotBuiltForTests();
  CXformNotBuiltForTests(const CXformNotBuiltForTests&) = delete;
  CXformNotBuiltForTests& operator=(const CXformNotBuiltForTests&) = delete;
};

// Smallest of the 28 counts (starting from 64000); RandomInt(0, 27) drawn
// until it hits an Xform with that count, at most 2801 times (the last draw
// stays).
int PickLeastUsedXform(const std::int32_t* aUsage);
// Usage counts for a new document: 0, except 1,000,000 for Mist and Web Fade
// (never picked at random in practice).
void InitUsageCounts(std::int32_t* aUsage);
