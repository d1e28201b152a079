#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "support/recording_reporter.h"
#include "engine/filspec.h"
#include "xforms/clouds.h"
#include "xforms/form.h"
#include "xforms/ivy.h"
#include "xforms/mosaic.h"

namespace {

// A record with every kind of declared item.
struct KitchenSink {
  std::int32_t m_iCount = 10;
  double m_dAmount = 0.5;
  std::int32_t m_iShape = 2001;
  std::int32_t m_iMode = 1;
  std::int32_t m_bShadow = 0;
  COLORREF m_crInk = RGB(1, 2, 3);
  COLORREF m_crFade = 0x00FFFFFF;
  COLORREF m_crLetters = RGB(9, 8, 7);
  std::int32_t m_bRandomLetters = 0;
  BackgroundSpec m_Paper;
  char m_szPhrase[8] = "abc";
  LOGFONT m_Font = {12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"};
  std::int32_t m_bWizard = 1;
};

constexpr auto kSinkForm = MakeForm<KitchenSink>(
    500, "Sink",
    Group("Numbers", IntPair(&KitchenSink::m_iCount, "count", 1, 2, "&Count", 1, 99).EditAccepts(0, 200),
          RealPair(&KitchenSink::m_dAmount, "amount", 3, 4, "Amount", 0.0, 1.0)),
    Radios(&KitchenSink::m_iShape, "shape", "Shape", {{2001, "&Round"}, {2002, "Rect. &and Square"}}),
    Choice(&KitchenSink::m_iMode, "mode", 5, "Mode",
           {{0, "Fixed colour"}, {1, "From picture"}, {2, "Random", "rnd"}}),
    Check(&KitchenSink::m_bShadow, "shadow", 6, "&Shadow")
        .EnabledWhen([](const KitchenSink& s) { return s.m_iShape == 2002; }),
    Colour(&KitchenSink::m_crInk, "ink", 7, 8, "Ink"),
    HexColour(&KitchenSink::m_crFade, "fade", 9, 10, 11, "Fade"),
    ColourChoice(&KitchenSink::m_crLetters, &KitchenSink::m_bRandomLetters, "letters", 12, 13,
                 "Letters", "letters_random", 14, "&Random"),
    Background(&KitchenSink::m_Paper, "paper", 15, 16, "Paper", "paper_picture", 17, "&Picture"),
    Text<&KitchenSink::m_szPhrase>("phrase", 18, "Phrase", 7),
    Font<&KitchenSink::m_Font>("font", 19, 20, "&Font:"), Note<KitchenSink>("F1 for help"),
    WizardSwitch(&KitchenSink::m_bWizard));

const CFormRef kSink(kSinkForm);

bool Set(KitchenSink& s, const char* szName, const char* szValue, std::string* pError = nullptr) {
  std::string csError;
  const bool b = SetFieldFromText(kSink, &s, szName, szValue, csError);
  if (pError) *pError = csError;
  return b;
}

}  // namespace

TEST(Form, DeclarationIsFlatAndTyped) {
  static_assert(kSinkForm.m_aFields.size() == 15);  // 12 items + note + group begin and end
  EXPECT_EQ(kSink.Count(), 15u);
  EXPECT_EQ(kSink.DialogId(), 500);
  EXPECT_STREQ(kSink.Caption(), "Sink");
  EXPECT_EQ(kSink.Field(0).m_eKind, EField::GroupBegin);
  EXPECT_STREQ(kSink.Field(0).m_szLabel, "Numbers");
  EXPECT_EQ(kSink.Field(3).m_eKind, EField::GroupEnd);
  EXPECT_EQ(kSink.Field(1).m_dHardMax, 200);
  EXPECT_EQ(kSink.Field(1).m_dMax, 99);
  EXPECT_EQ(kSink.Field(4).m_iId, 2001);  // a radio group's first button
  EXPECT_EQ(kSink.WizardIndex(), 14);
  EXPECT_EQ(kSink.Find("letters_random"), 9);
  EXPECT_EQ(kSink.Find("nothing"), -1);
  const FieldDesc& text = kSink.Field(kSink.Find("phrase"));
  EXPECT_EQ(text.m_iSize, 8);
  EXPECT_EQ(kSink.Field(kSink.Find("font")).m_iSize, 60);

  KitchenSink s;
  EXPECT_EQ(kSink.Address(kSink.Find("amount"), &s), &s.m_dAmount);
  EXPECT_EQ(kSink.Address(kSink.Find("phrase"), &s), &s.m_szPhrase[0]);
  EXPECT_EQ(kSink.FlagAddress(kSink.Find("paper"), &s), &s.m_Paper.m_bUsePicture);
  EXPECT_EQ(kSink.WizardFlag(&s), &s.m_bWizard);
}

TEST(Form, EnablingFollowsWizardAndHooks) {
  KitchenSink s;
  const std::size_t iShadow = kSink.Find("shadow"), iCount = kSink.Find("count");
  const std::size_t iWizard = kSink.WizardIndex();
  EXPECT_FALSE(kSink.IsEnabled(iCount, &s));  // wizard chooses
  EXPECT_TRUE(kSink.IsEnabled(iWizard, &s));
  s.m_bWizard = 0;
  EXPECT_TRUE(kSink.IsEnabled(iCount, &s));
  EXPECT_FALSE(kSink.IsEnabled(iShadow, &s));
  s.m_iShape = 2002;
  EXPECT_TRUE(kSink.IsEnabled(iShadow, &s));

  // Mosaic: the highlight colour only with a highlight direction.
  const CFormRef mosaic(kMosaicForm);
  MosaicParams p;
  p.m_bWizard = 0;
  const std::size_t iColour = mosaic.Find("highlight_colour");
  EXPECT_FALSE(mosaic.IsEnabled(iColour, &p));
  p.m_iHighLight = HIGHLIGHT_TOP;
  EXPECT_TRUE(mosaic.IsEnabled(iColour, &p));
  p.m_bWizard = 1;
  EXPECT_FALSE(mosaic.IsEnabled(iColour, &p));
  // Mosaic's wizard locks the tile size's edit, not its slider; Clouds locks both.
  EXPECT_FALSE(mosaic.IsEnabled(mosaic.Find("tile_size"), &p));
  EXPECT_TRUE(mosaic.IsEnabled(mosaic.Find("tile_size"), &p, true));
  const CFormRef clouds(kCloudsForm);
  const CloudsParams c;
  EXPECT_FALSE(clouds.IsEnabled(clouds.Find("coverage"), &c, true));
}

TEST(Form, ValuesFromText) {
  KitchenSink s;
  std::string csError;
  EXPECT_TRUE(Set(s, "count", " 42 "));
  EXPECT_EQ(s.m_iCount, 42);
  EXPECT_FALSE(Set(s, "count", "100", &csError));
  EXPECT_EQ(csError, "count must lie in 1 .. 99");
  EXPECT_FALSE(Set(s, "count", "4x", &csError));
  EXPECT_TRUE(Set(s, "amount", "0.25"));
  EXPECT_EQ(s.m_dAmount, 0.25);
  EXPECT_FALSE(Set(s, "amount", "nan"));
  EXPECT_TRUE(Set(s, "shape", "rect-and-square"));
  EXPECT_EQ(s.m_iShape, 2002);
  EXPECT_TRUE(Set(s, "shape", "2001"));
  EXPECT_EQ(s.m_iShape, 2001);
  EXPECT_FALSE(Set(s, "shape", "oval", &csError));
  EXPECT_EQ(csError, "unknown value \"oval\" for shape (one of round, rect-and-square)");
  EXPECT_TRUE(Set(s, "mode", "rnd"));
  EXPECT_EQ(s.m_iMode, 2);
  EXPECT_TRUE(Set(s, "mode", "from-picture"));
  EXPECT_EQ(s.m_iMode, 1);
  EXPECT_TRUE(Set(s, "shadow", "yes"));
  EXPECT_EQ(s.m_bShadow, 1);
  EXPECT_TRUE(Set(s, "ink", "#FF8000"));
  EXPECT_EQ(s.m_crInk, RGB(255, 128, 0));
  EXPECT_TRUE(Set(s, "ink", "1,2,3"));
  EXPECT_EQ(s.m_crInk, RGB(1, 2, 3));
  EXPECT_FALSE(Set(s, "ink", "1,2,300"));
  EXPECT_TRUE(Set(s, "fade", "00FF00"));
  EXPECT_EQ(s.m_crFade, 0x00FF00u);
  EXPECT_TRUE(Set(s, "letters-random", "on"));  // dashes as underscores
  EXPECT_EQ(s.m_bRandomLetters, 1);
  EXPECT_TRUE(Set(s, "paper", "#000010"));
  EXPECT_TRUE(Set(s, "paper_picture", "1"));
  EXPECT_EQ(s.m_Paper.m_crColour, RGB(0, 0, 16));
  EXPECT_EQ(s.m_Paper.m_bUsePicture, 1);
  EXPECT_TRUE(Set(s, "phrase", " hi you"));
  EXPECT_STREQ(s.m_szPhrase, " hi you");
  EXPECT_FALSE(Set(s, "phrase", "too long!", &csError));
  EXPECT_EQ(csError, "phrase holds at most 7 characters");
  EXPECT_FALSE(Set(s, "font", "00", &csError));
  EXPECT_FALSE(Set(s, "wizard", "maybe"));
  EXPECT_FALSE(Set(s, "F1", "x", &csError));
  EXPECT_EQ(csError, "unknown parameter \"F1\"");
}

TEST(Form, TextRoundTripRestoresTheRecordBytes) {
  // Both records start from zeroed memory, so that padding compares equal.
  alignas(KitchenSink) unsigned char aBufA[sizeof(KitchenSink)] = {};
  alignas(KitchenSink) unsigned char aBufB[sizeof(KitchenSink)] = {};
  KitchenSink& a = *new (aBufA) KitchenSink;
  a.m_dAmount = 0.1 + 0.2;  // needs all 17 digits
  a.m_iShape = 2002;
  a.m_crFade = 0x123456;
  a.m_bRandomLetters = 1;
  a.m_Paper = {RGB(5, 6, 7), 1};
  std::strcpy(a.m_szPhrase, "xyz");
  a.m_Font.lfHeight = -17;
  a.m_bWizard = 0;
  KitchenSink& b = *new (aBufB) KitchenSink;
  b.m_dAmount = 0;
  b.m_iShape = 0;
  std::memset(b.m_szPhrase, 0, sizeof b.m_szPhrase);
  std::string csError;
  for (const NamedValue& v : FormValues(kSink, &a))
    ASSERT_TRUE(SetFieldFromText(kSink, &b, v.m_csName, v.m_csValue, csError, false)) << csError;
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);

  // Recipes take what the wizard may choose beyond a slider's range, and
  // nothing else; the command line keeps to the slider.
  IvyParams ivy;
  const CFormRef ivyForm(kIvyForm);
  EXPECT_TRUE(SetFieldFromText(ivyForm, &ivy, "area_covered", "5", csError, false));
  EXPECT_EQ(ivy.m_iAreaCovered, 5);
  EXPECT_FALSE(SetFieldFromText(ivyForm, &ivy, "area_covered", "5", csError, true));
  EXPECT_EQ(csError, "area_covered must lie in 10 .. 90");
  EXPECT_FALSE(SetFieldFromText(ivyForm, &ivy, "area_covered", "4", csError, false));
  EXPECT_EQ(csError, "area_covered must lie in 5 .. 90");
  MosaicParams p;
  const CFormRef mosaic(kMosaicForm);
  EXPECT_FALSE(SetFieldFromText(mosaic, &p, "tile_size", "9.5", csError, false));
  EXPECT_FALSE(SetFieldFromText(mosaic, &p, "geometry", "1031", csError, false));
  p.m_dTileSize = 9.5;
  p.m_iGeometry = 1031;
  EXPECT_EQ(FieldText(mosaic, &p, mosaic.Find("geometry")), "1031");
  EXPECT_EQ(ClampToForm(mosaic, &p), 2);
  EXPECT_EQ(p.m_dTileSize, 7.0);
  EXPECT_EQ(p.m_iGeometry, MOSAIC_RECTANGULAR);
}

TEST(Form, OptionNamesAndDescription) {
  EXPECT_EQ(OptionName({1030, "Rect. &and Circle"}), "rect-and-circle");
  EXPECT_EQ(OptionName({1106, "Bot.", "bottom"}), "bottom");
  const CloudsParams defaults;
  const std::string cs = DescribeForm(CFormRef(kCloudsForm), &defaults);
  EXPECT_THAT(cs, ::testing::HasSubstr("coverage"));
  EXPECT_THAT(cs, ::testing::HasSubstr("integer 10 .. 90"));
  EXPECT_THAT(cs, ::testing::HasSubstr("#3232FF"));
  const MosaicParams m;
  const std::string csM = DescribeForm(CFormRef(kMosaicForm), &m);
  EXPECT_THAT(csM, ::testing::HasSubstr("Sizes:"));
  EXPECT_THAT(csM, ::testing::HasSubstr("top-left|top|top-right|left|off|right|bottom-left|bottom|bottom-right"));
  EXPECT_THAT(csM, ::testing::HasSubstr("background_picture"));
}

TEST(Form, FontsReadAsFields) {
  KitchenSink s;
  std::string csError;
  ASSERT_TRUE(Set(s, "font", "Liberation Serif, bold,italic , -24", &csError)) << csError;
  EXPECT_STREQ(s.m_Font.lfFaceName, "Liberation Serif");
  EXPECT_EQ(s.m_Font.lfWeight, FW_BOLD);
  EXPECT_EQ(s.m_Font.lfItalic, 1);
  EXPECT_EQ(s.m_Font.lfHeight, -24);
  EXPECT_EQ(s.m_Font.lfUnderline, 0);
  const std::size_t iFont = kSink.Find("font");
  EXPECT_EQ(FieldText(kSink, &s, iFont), "Liberation Serif,bold,italic,-24");
  // Any field by key, faces in any case (stored as shipped).
  ASSERT_TRUE(Set(s, "font", "times new roman,weight=600,charset=2,escapement=-900", &csError));
  EXPECT_STREQ(s.m_Font.lfFaceName, "Times New Roman");
  EXPECT_EQ(FieldText(kSink, &s, iFont), "Times New Roman,escapement=-900,weight=600,charset=2");

  EXPECT_FALSE(Set(s, "font", "Comic Sans,bold", &csError));
  EXPECT_EQ(csError,
            "font: unknown font face \"Comic Sans\" (shipped faces: Liberation Sans, Liberation "
            "Serif, Liberation Mono, Arial, Helvetica, Times New Roman, Times, Courier New, "
            "Courier)");
  EXPECT_FALSE(Set(s, "font", "Arial,heavy", &csError));
  EXPECT_FALSE(Set(s, "font", "Arial,italic=256", &csError));
  EXPECT_FALSE(Set(s, "font", "bold=1", &csError));
  EXPECT_STREQ(s.m_Font.lfFaceName, "Times New Roman");  // refusals change nothing

  // The old form, the record's bytes in hex, still reads; a record the fields
  // cannot restore exactly (bytes after the terminator) is written that way.
  // Its face must be a shipped one all the same.
  LOGFONT lf{};
  lf.lfHeight = 7;
  std::strcpy(lf.lfFaceName, "Arial");
  lf.lfFaceName[30] = 'x';
  const std::string csHex = FontText(lf);
  EXPECT_EQ(csHex.size(), 120u);
  ASSERT_TRUE(Set(s, "font", csHex.c_str(), &csError)) << csError;
  EXPECT_EQ(std::memcmp(&s.m_Font, &lf, sizeof lf), 0);
  EXPECT_EQ(FieldText(kSink, &s, iFont), csHex);
}

TEST(Form, ColoursPairsAndFlagRadios) {
  struct Rec {
    COLORREF m_crWeb = 0x00FFFFFF;  // RRGGBB
    std::int32_t m_bSolid = 1;
    BackgroundSpec m_Back;
  };
  static constexpr auto kForm = MakeForm<Rec>(
      1, "Rec", HexColour(&Rec::m_crWeb, "web", 2, 3, 4, "Web"),
      // The first button (lower id) means on.
      RadioPair(&Rec::m_bSolid, "source", "Source", {11, "Image"}, {10, "Solid color", "solid"}),
      Background(&Rec::m_Back, "back", 5, 6, "Select", "back_picture")
          .FlagRadios({7, "&Solid color"}, {8, "&Image"}));
  const CFormRef form(kForm);
  Rec r;
  std::string csError;
  // A hex colour reads and writes as every other colour, red first.
  ASSERT_TRUE(SetFieldFromText(form, &r, "web", "#FF8000", csError)) << csError;
  EXPECT_EQ(r.m_crWeb, 0xFF8000u);
  ASSERT_TRUE(SetFieldFromText(form, &r, "web", "1,2,3", csError)) << csError;
  EXPECT_EQ(r.m_crWeb, 0x010203u);
  EXPECT_EQ(FieldText(form, &r, 0), "#010203");
  EXPECT_FALSE(SetFieldFromText(form, &r, "web", "#1000000", csError));

  ASSERT_TRUE(SetFieldFromText(form, &r, "source", "image", csError)) << csError;
  EXPECT_EQ(r.m_bSolid, 0);
  EXPECT_EQ(FieldText(form, &r, 1), "image");
  ASSERT_TRUE(SetFieldFromText(form, &r, "back_picture", "image", csError)) << csError;
  EXPECT_EQ(r.m_Back.m_bUsePicture, 1);
  EXPECT_EQ(FieldText(form, &r, 2, true), "image");
  ASSERT_TRUE(SetFieldFromText(form, &r, "back_picture", "0", csError));  // older recipes
  EXPECT_EQ(FieldText(form, &r, 2, true), "solid-color");
  EXPECT_TRUE(form.ShowsFlag(2));

  // A background's colour button only while it is a colour.
  EXPECT_TRUE(form.IsColourEnabled(2, &r));
  r.m_Back.m_bUsePicture = 1;
  EXPECT_FALSE(form.IsColourEnabled(2, &r));
  EXPECT_TRUE(form.IsEnabled(2, &r));

  const std::string cs = DescribeForm(form, &r);
  EXPECT_THAT(cs, ::testing::HasSubstr("radios solid|image"));
  EXPECT_THAT(cs, ::testing::HasSubstr("radios solid-color|image"));
  KitchenSink s;
  EXPECT_THAT(DescribeForm(kSink, &s), ::testing::HasSubstr("list fixed-colour|from-picture|rnd"));
  EXPECT_THAT(DescribeForm(kSink, &s), ::testing::HasSubstr("default Arial,12"));
}

TEST(Form, SettingsHandBackTakesFlagsShownAsRadios) {
  CFilSpec f;
  f.m_iXform = XFORM_BUBBLE;
  BubbleParams edited = f.m_Bubble;
  edited.m_Background = {RGB(1, 2, 3), 1};
  f.AcceptSettings(&edited);
  EXPECT_EQ(f.m_Bubble.m_Background.m_crColour, RGB(1, 2, 3));
  EXPECT_EQ(f.m_Bubble.m_Background.m_bUsePicture, 1);
}
