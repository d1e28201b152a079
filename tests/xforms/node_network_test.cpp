#include <gtest/gtest.h>

#include <algorithm>
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
struct CNet {
  CNet(int w, int h, int v, int iTarget, int iThreshold, int iLinks, int iSeed,
       CLinkDrawer* pLinks = nullptr, CNodeDrawer* pNodes = nullptr)
      : m_aField(static_cast<std::size_t>(w) * h, static_cast<std::uint8_t>(v)),
        m_net(pLinks, pNodes, &m_iPercent, &g_bStop, "links...", "nodes...", "build...") {
    m_settings.m_pField = m_aField.data();
    m_settings.m_iWidth = w;
    m_settings.m_iHeight = h;
    m_settings.m_iThreshold = iThreshold;
    m_settings.m_dJitter = 1.0;
    m_settings.m_iTarget = iTarget;
    m_settings.m_iLinksPerNode = iLinks;
    SeedRandom(iSeed);
    m_iResult = m_net.Build(m_settings);
  }
  std::vector<std::uint8_t> m_aField;
  std::atomic<int> m_iPercent{0};
  NodeNetworkSettings m_settings;
  CNodeNetwork m_net;
  int m_iResult;
};
}  // namespace

TEST(NodeNetwork, RingGrid) {
  // 100 x 100 for 25 nodes: spacing 20, 7 rings; ring i has trunc((i - 0.5) 2 pi) cells.
  const CRingGrid grid(100, 100, 25);
  EXPECT_DOUBLE_EQ(grid.m_dSpacing, 20.0);
  ASSERT_EQ(grid.m_iRings, 7);
  EXPECT_EQ(grid.m_aRings[0][0].x, 100);  // ring 0: one cell outside the picture
  const std::size_t aCells[] = {1, 3, 9, 15, 21, 28, 34};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(grid.m_aRings[i].size(), aCells[i]) << i;
  // The outermost ring runs through the corners (radius half the diagonal).
  EXPECT_EQ(grid.m_aRings[6][0].y, static_cast<int>(std::sqrt(20000.0) / 2 + 50));
  EXPECT_EQ(CRingGrid(100, 100, 3).m_dSpacing, CRingGrid(100, 100, 8).m_dSpacing);
  EXPECT_EQ(CRingGrid(100, 1000, 749).m_iRings, 35);
}

TEST(NodeNetwork, AdaptsToTheTargetWithinThirtyPasses) {
  // Nothing above any threshold: 30 passes, then it gives up with no nodes.
  CNet dark(80, 60, 0, 50, 100, 2, 1);
  EXPECT_EQ(dark.m_iResult, 1);
  EXPECT_EQ(dark.m_net.Passes(), CNodeNetwork::kMaxPasses);
  EXPECT_TRUE(dark.m_net.Nodes().empty());
  // Every cell is a node: the target shrinks until the count is within 10 %.
  CNet bright(200, 150, 200, 100, 0, 2, 2);
  EXPECT_GT(bright.m_net.Passes(), 1);
  EXPECT_GE(bright.m_net.Nodes().size(), 90u);
  EXPECT_LE(bright.m_net.Nodes().size(), 110u);
  // A threshold at the field's value drops until nodes appear.
  EXPECT_FALSE(CNet(200, 150, 120, 100, 120, 2, 3).m_net.Nodes().empty());
  // Without a field nothing is built.
  EXPECT_EQ(dark.m_net.Build(NodeNetworkSettings{}), 0);
}

TEST(NodeNetwork, NodeAndLinkLimits) {
  // 749 nodes wanted on a bright square: the ring that passes 750 nodes stops
  // there and every later ring adds one node at most.
  CNet net(300, 300, 255, 749, 0, 2, 4);
  const std::vector<CNetNode>& aNodes = net.m_net.Nodes();
  EXPECT_EQ(net.m_net.Passes(), 1);
  EXPECT_GT(aNodes.size(), 751u);
  EXPECT_LT(aNodes.size(), 751u + 35u);
  // Linking ends once 500 links exist (the last node may add one more).
  EXPECT_GE(net.m_net.Links().size(), 500u);
  EXPECT_LE(net.m_net.Links().size(), 501u);
  // Links lie within the link distance, at most m per node, no pair twice.
  const int L = net.m_net.LinkDistance();
  EXPECT_EQ(L, static_cast<int>(300 / std::sqrt(749.0)));
  std::vector<int> aCount(aNodes.size(), 0);
  std::set<std::pair<int, int>> aPairs;
  for (const CNetLink& link : net.m_net.Links()) {
    const CNetNode& a = aNodes[link.m_iA];
    const CNetNode& b = aNodes[link.m_iB];
    const int d = static_cast<int>(std::hypot(a.m_iX - b.m_iX, a.m_iY - b.m_iY));
    EXPECT_TRUE(d > 0 && d < L);
    EXPECT_TRUE(aPairs.insert(std::minmax(link.m_iA, link.m_iB)).second);
    ASSERT_LE(++aCount[link.m_iA], 2);
    ASSERT_LE(++aCount[link.m_iB], 2);
  }
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
  void DrawNode(CDC& dc, int, const CNetNode&) override {
    ++m_iNodes;
    m_hPen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    dc.SelectObject(m_hPen);
    dc.SetROP2(R2_MERGEPEN);
  }
  void End(CDC&) override { m_aCalls.push_back(DeleteObject(m_hPen) ? "end, pen freed" : "end"); }
  std::vector<std::string> m_aCalls;
  std::size_t m_iNodes = 0;
  HPEN m_hPen;
  bool m_bStopInLinks = false;
};

std::vector<std::string> g_aTexts;
void RecordTexts(int, const char* szText) {
  if (szText && (g_aTexts.empty() || g_aTexts.back() != szText)) g_aTexts.push_back(szText);
}
}  // namespace

TEST(NodeNetwork, DrawsLinksThenNodesInASavedState) {
  CRecordingDrawers drawers;
  g_aTexts.clear();
  SetProgressHook(&RecordTexts);
  CNet net(100, 80, 200, 30, 127, 3, 6, &drawers, &drawers);
  CDADC out(200, 160);
  CDC& dc = *out.m_pDC;
  const HPEN hPen = dc.GetCurrentPen();
  net.m_net.Draw(dc, 2);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_aTexts, (std::vector<std::string>{"build...", "links...", "nodes..."}));
  // The state is restored before End, so the drawer can free its objects there.
  EXPECT_EQ(drawers.m_aCalls,
            (std::vector<std::string>{"links " + std::to_string(net.m_net.Links().size()) + " s2",
                                      "begin", "end, pen freed"}));
  EXPECT_EQ(drawers.m_iNodes, net.m_net.Nodes().size());
  EXPECT_EQ(dc.GetCurrentPen(), hPen);
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
  const int n = static_cast<int>(net.m_net.Nodes().size());
  EXPECT_EQ(net.m_iPercent, 90 + 10 * (100 * (n - 1) / n) / 100);

  // A stop while the links are drawn leaves the nodes out.
  CRecordingDrawers stopping;
  stopping.m_bStopInLinks = true;
  CNet net2(100, 80, 200, 30, 127, 3, 6, &stopping, &stopping);
  net2.m_net.Draw(dc, 1);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopping.m_aCalls.size(), 1u);
  EXPECT_EQ(stopping.m_iNodes, 0u);
}
