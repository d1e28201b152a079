#include "engine/document_base.h"

#include <gtest/gtest.h>

#include "imaging/dadc.h"
#include "platform/global_block.h"
#include "support/recording_reporter.h"

namespace {

class CFakeView final : public IDocumentView {
 public:
  CDADC* DrawingSurface() override { return &m_surface; }
  int CreateViewBitmap(const CDADC&) override { return 1; }
  void Invalidate(bool) override {}
  void SetTitle(const std::string& csTitle) override { m_csTitle = csTitle; }
  bool SaveImage() override {
    ++m_iSaves;
    return m_bSaveWorks;
  }
  CDADC m_surface{640, 480};
  std::string m_csTitle;
  bool m_bSaveWorks = true;
  int m_iSaves = 0;
};

// A sequence of named placeholders instead of recipes: what the base
// needs to know is its size, which element is current and what is shown.
class CFakeDoc final : public CIdeaSequenceDoc {
 public:
  explicit CFakeDoc(IDocumentView* pView, int iSize) : CIdeaSequenceDoc(pView), m_iSize(iSize) {
    m_szName = "Photo";
  }
  std::string GetXformName() const override { return m_iSpec == 0 ? "Null" : "Mosaic"; }
  std::string ShownXformName() const override { return m_iCurrent == 0 ? "" : "Mosaic"; }
  void SetSpecFromSequence() override { m_iSpec = m_iCurrent; }
  void ShowCurrent() override { m_aShown.push_back(m_iCurrent); }
  void OnGenerationDone(bool) override {}
  int SequenceSize() const override { return m_iSize; }
  bool IsXforming() const override { return m_bXforming; }

  int m_iSize;
  int m_iSpec = 0;
  bool m_bXforming = false;
  std::vector<int> m_aShown;
};

TEST(DocumentBase, NavigationFollowsItsEnablingRules) {
  CFakeView view;
  CFakeDoc doc(&view, 4);
  doc.m_iCurrent = 3;
  EXPECT_TRUE(doc.CanGoBack());
  EXPECT_FALSE(doc.CanGoForward());
  EXPECT_FALSE(doc.CanGoToLast());
  doc.OnGoForward();
  doc.OnToLast();
  EXPECT_EQ(TakeMessages(),
            (std::vector<std::string>{"OGF (4)\nI just can't go on...", "OnToLast failed"}));

  doc.OnGoBack();
  EXPECT_EQ(doc.m_iCurrent, 2);
  EXPECT_EQ(doc.m_iPrevious, 3);
  EXPECT_EQ(doc.m_iGenMode, CIdeaSequenceDoc::GEN_SEQUENCE);
  doc.OnToFirst();
  EXPECT_EQ(doc.m_iSpec, 0);
  doc.OnGoBack();  // nothing before the original: silently nothing
  doc.OnToFirst();
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"OnToFirst, but nothing in buffer!"});
  doc.OnGoForward();
  doc.OnToLast();
  doc.GoTo(1);
  doc.GoTo(4);   // past the end: ignored
  doc.GoTo(-1);
  EXPECT_EQ(doc.m_aShown, (std::vector<int>{2, 0, 1, 3, 1}));
  EXPECT_EQ(doc.m_iPrevious, 3);

  // While a generation runs every move is refused.
  doc.m_bXforming = true;
  EXPECT_FALSE(doc.CanGoBack() || doc.CanGoForward() || doc.CanGoToFirst() || doc.CanGoToLast());
  CFakeDoc single(&view, 1);
  EXPECT_FALSE(single.CanGoForward() || single.CanGoToLast() || single.CanGoBack());
}

TEST(DocumentBase, TitlesNamesAndProperties) {
  CFakeView view;
  CFakeDoc doc(&view, 3);
  doc.UpdateTitle(100);
  EXPECT_EQ(view.m_csTitle, "Photo, (Original)");
  EXPECT_EQ(doc.GetSaveName(), "Photo");
  doc.GoTo(1);
  EXPECT_EQ(doc.Title(50), "Photo, (Mosaic), #1 of 2[50%]");
  EXPECT_EQ(doc.GetSaveName(), "Photo1");
  CImageProperties props = doc.GetImageProperties();
  EXPECT_EQ(props.m_csSavedAs, "(unsaved)");
  EXPECT_EQ(props.m_csPosition, "Image #1 in the sequence");
  EXPECT_EQ(props.m_csPixels, "640 by 480");
  EXPECT_EQ(props.m_csBytes, "900Kbytes");

  ASSERT_EQ(doc.SetSavedAs(1, "cat.png", 2), 1);
  EXPECT_EQ(doc.Title(100), "Photo, (Mosaic), saved as:\"cat.png\"");
  EXPECT_EQ(doc.GetSaveName(), "cat.png");
  EXPECT_EQ(doc.GetImageProperties().m_csSavedAs, "cat.png");
  EXPECT_EQ(doc.GetSavedAs(1).m_iAALevel, 2);
  EXPECT_EQ(doc.GetSavedAs(2).m_iAALevel, 0);  // never saved

  // Bad records keep the old values; positions beyond 16 have records too.
  EXPECT_EQ(doc.SetSavedAs(1, "x.png", 3), 0);
  EXPECT_EQ(doc.SetSavedAs(1, "", 1), 0);
  EXPECT_EQ(doc.SetSavedAs(1, std::string(56, 'a'), 1), 0);
  EXPECT_EQ(TakeMessages(), (std::vector<std::string>{"SetData: Bad iAALevel : 3",
                                                      "SetData: Bad csName", "SetData: Bad csName"}));
  EXPECT_EQ(doc.GetSavedAs(1).m_csName, "cat.png");
  EXPECT_EQ(doc.SetSavedAs(40, std::string(55, 'a'), 4), 1);
  EXPECT_EQ(doc.GetSavedAs(40).m_iAALevel, 4);
}

TEST(DocumentBase, ClosingAsksToSaveAndWaitsForTheGeneration) {
  CFakeView view;
  CFakeDoc doc(&view, 2);
  doc.m_bXforming = true;
  EXPECT_FALSE(doc.CanCloseFrame());
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{kStillCreatingImage});
  doc.m_bXforming = false;
  EXPECT_TRUE(doc.CanCloseFrame());

  Reporter().m_iAnswer = IDYES;
  view.m_bSaveWorks = false;
  EXPECT_FALSE(doc.SaveModified());
  view.m_bSaveWorks = true;
  EXPECT_TRUE(doc.SaveModified());
  Reporter().m_iAnswer = IDNO;
  EXPECT_TRUE(doc.SaveModified());
  Reporter().m_iAnswer = IDCANCEL;
  EXPECT_FALSE(doc.SaveModified());
  Reporter().m_iAnswer = IDYES;
  EXPECT_EQ(view.m_iSaves, 2);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>(4, "Save this image:\nPhoto, (Original)?"));

  CFakeDoc viewless(nullptr, 1);
  viewless.UpdateTitle(100);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"GV:Cannot get primage view"});
}

}  // namespace
