#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/recording_reporter.h"
#include "xforms/progress.h"
#include "xforms/xform_context.h"

using ::testing::ElementsAre;

TEST(Progress, SetPercentMapsTheStageRange) {
  std::atomic<int> p{-1};
  EXPECT_EQ(SetPercent(&p, 10, 40, 50), 25);
  EXPECT_EQ(p, 25);
  EXPECT_EQ(SetPercent(&p, 0, 100, 101), 101);
  EXPECT_EQ(p, 101);
  EXPECT_EQ(SetPercent(nullptr, 0, 100, 50, "ignored"), 0);
  EXPECT_TRUE(TakeMessages().empty());
  SetPercent(&p, 40, 40, 10, "Wind...");
  EXPECT_THAT(TakeMessages(), ElementsAre("SetPercent (ptr,40,40,10)"));
  EXPECT_EQ(p, 101);  // not stored
  SetPercent(&p, 0, 100, 5, "Breeze...");
  EXPECT_EQ(GetStatusText(), "Breeze...");
}

TEST(Progress, StatusTextIsCutTo40AndScrolls) {
  const std::string csLong(50, 'x');
  SetStatusText(csLong.c_str());
  EXPECT_EQ(GetStatusText(), std::string(40, 'x'));
  SetStatusText("abc");
  EXPECT_EQ(NextScrolledStatusText(), "abc");
  EXPECT_EQ(NextScrolledStatusText(), "bca");
  // The same text again keeps the scrolling where it is; a new one restarts it.
  SetStatusText("abc");
  EXPECT_EQ(NextScrolledStatusText(), "cab");
  SetStatusText("xyz");
  EXPECT_EQ(NextScrolledStatusText(), "xyz");
  SetStatusText(nullptr);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_EQ(NextScrolledStatusText(), "");
}

namespace {
int s_iHookPercent = 0;
std::string s_csHookText;
}  // namespace

TEST(Progress, HookSeesValuesAndTexts) {
  SetProgressHook([](int iPercent, const char* sz) {
    if (sz)
      s_csHookText = sz;
    else
      s_iHookPercent = iPercent;
  });
  std::atomic<int> p{0};
  SetPercent(&p, 0, 50, 50, "Mixing...");
  SetProgressHook(nullptr);
  SetPercent(&p, 0, 100, 99);
  EXPECT_EQ(s_iHookPercent, 25);
  EXPECT_EQ(s_csHookText, "Mixing...");
}

TEST(XformContext, ValidityAndScale) {
  CDADC in(10, 10), out2(20, 20), out3(30, 30), wide(20, 10), drw(10, 10);
  XformContext ctx;
  EXPECT_EQ(ctx.m_pPercent, &g_iProgress);
  EXPECT_FALSE(ctx.IsValid());
  EXPECT_EQ(ctx.ScaleFactor(), 1);
  ctx.m_pIn = &in;
  ctx.m_pDrw = &drw;
  ctx.m_pOut = &out2;
  EXPECT_TRUE(ctx.IsValid());
  EXPECT_EQ(ctx.ScaleFactor(), 2);
  ctx.m_pOut = &out3;  // a ratio of 3
  EXPECT_FALSE(ctx.IsValid());
  EXPECT_EQ(ctx.ScaleFactor(), 1);
  ctx.m_pOut = &wide;  // 2:1 across, 1:1 down
  EXPECT_FALSE(ctx.IsValid());
  EXPECT_EQ(ctx.ScaleFactor(), 1);
  ctx.m_pOut = &out2;
  ctx.m_pDrw = nullptr;
  EXPECT_FALSE(ctx.IsValid());
}
