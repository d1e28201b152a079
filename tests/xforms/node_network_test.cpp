#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "imaging/constants.h"
#include "imaging/dadc.h"
#include "imaging/random.h"
#include "xforms/node_network.h"
#include "xforms/progress.h"

namespace {
std::vector<std::uint8_t> UniformField(int w, int h, int v) {
  return std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h, static_cast<std::uint8_t>(v));
}

NodeNetworkSettings Settings(const std::vector<std::uint8_t>& aField, int w, int h, int iTarget,
                             int iThreshold, int iLinks) {
  NodeNetworkSettings s;
  s.m_pField = aField.data();
  s.m_iWidth = w;
  s.m_iHeight = h;
  s.m_iThreshold = iThreshold;
  s.m_dJitter = 1.0;
  s.m_iTarget = iTarget;
  s.m_iLinksPerNode = iLinks;
  return s;
}
}  // namespace

TEST(NodeNetwork, RingGrid) {
  // 100 x 100 for 25 nodes: spacing 20, 7 rings; ring i has trunc((i - 0.5) 2 pi) cells.
  const CRingGrid grid(100, 100, 25);
  EXPECT_DOUBLE_EQ(grid.m_dSpacing, 20.0);
  ASSERT_EQ(grid.m_iRings, 7);
  ASSERT_EQ(grid.m_aRings[0].size(), 1u);
  EXPECT_EQ(grid.m_aRings[0][0].x, 100);  // outside the picture
  EXPECT_EQ(grid.m_aRings[0][0].y, 100);
  const std::size_t aCells[] = {1, 3, 9, 15, 21, 28, 34};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(grid.m_aRings[i].size(), aCells[i]) << i;
  // The outermost ring runs through the corners (radius half the diagonal).
  EXPECT_EQ(grid.m_aRings[6][0].x, 50);
  EXPECT_EQ(grid.m_aRings[6][0].y, static_cast<int>(std::sqrt(20000.0) / 2 + 50));
  EXPECT_EQ(grid.m_aRings[1][0].y, static_cast<int>(std::sqrt(20000.0) / 2 / 6 + 50));
  // Targets below 8 count as 8; at most 35 rings.
  EXPECT_EQ(CRingGrid(100, 100, 3).m_dSpacing, CRingGrid(100, 100, 8).m_dSpacing);
  EXPECT_EQ(CRingGrid(100, 1000, 749).m_iRings, 35);
}

TEST(NodeNetwork, AdaptsThresholdAndTarget) {
  // A picture with nothing above any threshold: 30 passes, then give up.
  {
    const auto aField = UniformField(80, 60, 0);
    CNodeNetwork net(nullptr, nullptr, nullptr, "", "", "");
    SeedRandom(1);
    EXPECT_EQ(net.Build(Settings(aField, 80, 60, 50, 100, 2)), 1);
    EXPECT_EQ(net.Passes(), CNodeNetwork::kMaxPasses);
    EXPECT_TRUE(net.Nodes().empty());
    EXPECT_TRUE(net.Links().empty());
  }
  // A bright picture with threshold 0: every cell inside is a node, so the
  // target shrinks until the count lies within 10 % of the original target.
  {
    const auto aField = UniformField(200, 150, 200);
    CNodeNetwork net(nullptr, nullptr, nullptr, "", "", "");
    SeedRandom(2);
    ASSERT_EQ(net.Build(Settings(aField, 200, 150, 100, 0, 2)), 1);
    const int n = static_cast<int>(net.Nodes().size());
    EXPECT_GE(n, 90);
    EXPECT_LE(n, 110);
    EXPECT_GT(net.Passes(), 1);
    for (const CNetNode& node : net.Nodes()) {
      ASSERT_EQ(node.m_iV, 200);
      ASSERT_TRUE(node.m_iX >= 0 && node.m_iX < 200 && node.m_iY >= 0 && node.m_iY < 150);
    }
  }
  // A threshold at the field's value yields nothing at first; it drops until nodes appear.
  {
    const auto aField = UniformField(200, 150, 120);
    CNodeNetwork net(nullptr, nullptr, nullptr, "", "", "");
    SeedRandom(3);
    net.Build(Settings(aField, 200, 150, 100, 120, 2));
    EXPECT_FALSE(net.Nodes().empty());
  }
}

TEST(NodeNetwork, NodeAndLinkLimits) {
  // 749 nodes wanted on a bright square: the ring that passes 750 nodes stops
  // there and every later ring adds one node more at most.
  const auto aField = UniformField(300, 300, 255);
  CNodeNetwork net(nullptr, nullptr, nullptr, "", "", "");
  SeedRandom(4);
  ASSERT_EQ(net.Build(Settings(aField, 300, 300, 749, 0, 2)), 1);
  EXPECT_EQ(net.Passes(), 1);
  EXPECT_GT(net.Nodes().size(), 751u);
  EXPECT_LT(net.Nodes().size(), 751u + 35u);
  // Linking ends once 500 links exist (the last node may add one more).
  EXPECT_GE(net.Links().size(), 500u);
  EXPECT_LE(net.Links().size(), 501u);

  // Links: within the link distance, at most m per node, no pair twice.
  const int L = net.LinkDistance();
  EXPECT_EQ(L, static_cast<int>(300 / std::sqrt(749.0)));
  std::vector<int> aCount(net.Nodes().size(), 0);
  std::set<std::pair<int, int>> aPairs;
  for (const CNetLink& link : net.Links()) {
    const CNetNode& a = net.Nodes()[link.m_iA];
    const CNetNode& b = net.Nodes()[link.m_iB];
    const int d = static_cast<int>(std::hypot(a.m_iX - b.m_iX, a.m_iY - b.m_iY));
    EXPECT_GT(d, 0);
    EXPECT_LT(d, L);
    EXPECT_TRUE(
        aPairs.insert({std::min(link.m_iA, link.m_iB), std::max(link.m_iA, link.m_iB)}).second);
    ++aCount[link.m_iA];
    ++aCount[link.m_iB];
  }
  for (int c : aCount) ASSERT_LE(c, 2);
}

TEST(NodeNetwork, NearestFreeNodeWins) {
  // The first link is made while every node is free and unlinked: it goes to
  // the nearest node of all, the lowest index on ties.
  const int w = 60, h = 60;
  CNodeNetwork net(nullptr, nullptr, nullptr, "", "", "");
  auto aField = UniformField(w, h, 255);
  NodeNetworkSettings s = Settings(aField, w, h, 40, 0, 2);
  SeedRandom(9);
  ASSERT_EQ(net.Build(s), 1);
  ASSERT_FALSE(net.Links().empty());
  const CNetLink first = net.Links()[0];
  const CNetNode& a = net.Nodes()[first.m_iA];
  auto dist = [&a](const CNetNode& b) {
    return static_cast<int>(std::hypot(a.m_iX - b.m_iX, a.m_iY - b.m_iY));
  };
  const int d = dist(net.Nodes()[first.m_iB]);
  for (std::size_t p = 0; p < net.Nodes().size(); ++p) {
    const int dp = dist(net.Nodes()[p]);
    if (static_cast<int>(p) == first.m_iA || dp <= 0) continue;
    EXPECT_GE(dp, d);
    if (dp == d) {
      EXPECT_GE(static_cast<int>(p), first.m_iB);  // the first on ties
    }
  }
}

TEST(NodeNetwork, OutOfRangeSettingsTakeTheirDefaults) {
  const auto aField = UniformField(120, 90, 180);
  NodeNetworkSettings bad = Settings(aField, 120, 90, 3, 300, 9);
  bad.m_dJitter = 30;
  NodeNetworkSettings good = Settings(aField, 120, 90, 377, 127, 3);
  good.m_dJitter = 12.5;
  CNodeNetwork a(nullptr, nullptr, nullptr, "", "", ""), b(nullptr, nullptr, nullptr, "", "", "");
  SeedRandom(5);
  a.Build(bad);
  SeedRandom(5);
  b.Build(good);
  ASSERT_EQ(a.Nodes().size(), b.Nodes().size());
  ASSERT_EQ(a.Links().size(), b.Links().size());
  for (std::size_t i = 0; i < a.Nodes().size(); ++i) {
    EXPECT_EQ(a.Nodes()[i].m_iX, b.Nodes()[i].m_iX);
    EXPECT_EQ(a.Nodes()[i].m_iY, b.Nodes()[i].m_iY);
  }
  // Without a field nothing is built.
  NodeNetworkSettings none;
  EXPECT_EQ(a.Build(none), 0);
  EXPECT_TRUE(a.Nodes().empty());
}

namespace {
// Records what the network hands to its drawers; the node drawer leaves a
// pen and raster operation of its own in the DC.
struct CRecordingDrawers : CLinkDrawer, CNodeDrawer {
  void DrawLinks(CDC&, int s, const std::vector<CNetNode>&,
                 const std::vector<CNetLink>& aLinks) override {
    m_aCalls.push_back("links " + std::to_string(aLinks.size()) + " s" + std::to_string(s));
    if (m_bStopInLinks) g_bStop = 1;
  }
  void Begin(CDC&, int) override { m_aCalls.push_back("begin"); }
  void DrawNode(CDC& dc, int, const CNetNode& node) override {
    m_aNodes.push_back(node.m_iX);
    m_hPen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    dc.SelectObject(m_hPen);
    dc.SetROP2(R2_MERGEPEN);
  }
  void End(CDC&) override {
    m_aCalls.push_back("end");
    m_bPenFreed = DeleteObject(m_hPen) != 0;
  }
  std::vector<std::string> m_aCalls;
  std::vector<int> m_aNodes;
  HPEN m_hPen;
  bool m_bPenFreed = false;
  bool m_bStopInLinks = false;
};

std::vector<std::string> g_aTexts;
void RecordTexts(int, const char* szText) {
  if (szText && (g_aTexts.empty() || g_aTexts.back() != szText)) g_aTexts.push_back(szText);
}
}  // namespace

TEST(NodeNetwork, DrawsLinksThenNodesInASavedState) {
  const auto aField = UniformField(100, 80, 200);
  CRecordingDrawers drawers;
  std::atomic<int> iPercent{0};
  CNodeNetwork net(&drawers, &drawers, &iPercent, "links...", "nodes...", "build...");
  g_aTexts.clear();
  SetProgressHook(&RecordTexts);
  SeedRandom(6);
  ASSERT_EQ(net.Build(Settings(aField, 100, 80, 30, 127, 3)), 1);
  CDADC out(200, 160);
  CDC& dc = *out.m_pDC;
  const HPEN hPen = dc.GetCurrentPen();
  net.Draw(dc, 2);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_aTexts, (std::vector<std::string>{"build...", "links...", "nodes..."}));
  ASSERT_EQ(drawers.m_aCalls.size(), 3u);
  EXPECT_EQ(drawers.m_aCalls[0], "links " + std::to_string(net.Links().size()) + " s2");
  EXPECT_EQ(drawers.m_aCalls[1], "begin");
  EXPECT_EQ(drawers.m_aCalls[2], "end");
  ASSERT_EQ(drawers.m_aNodes.size(), net.Nodes().size());
  for (std::size_t i = 0; i < net.Nodes().size(); ++i)
    EXPECT_EQ(drawers.m_aNodes[i], net.Nodes()[i].m_iX);
  // The state was restored before End: the drawer's pen could be freed.
  EXPECT_EQ(dc.GetCurrentPen(), hPen);
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
  EXPECT_TRUE(drawers.m_bPenFreed);
  EXPECT_EQ(iPercent, 90 + 10 *
                               (100 * (static_cast<int>(net.Nodes().size()) - 1) /
                                static_cast<int>(net.Nodes().size())) /
                               100);

  // A stop while the links are drawn leaves the nodes out.
  CRecordingDrawers stopping;
  stopping.m_bStopInLinks = true;
  CNodeNetwork net2(&stopping, &stopping, &iPercent, "", "", "");
  SeedRandom(6);
  net2.Build(Settings(aField, 100, 80, 30, 127, 3));
  net2.Draw(dc, 1);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopping.m_aCalls.size(), 1u);
  EXPECT_TRUE(stopping.m_aNodes.empty());
}
