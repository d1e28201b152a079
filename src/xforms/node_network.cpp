#include "xforms/node_network.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

namespace {

constexpr int kMaxRings = 35;
constexpr int kMaxLinksPerNode = 8;

}  // namespace

CRingGrid::CRingGrid(int iWidth, int iHeight, int iTarget) {
  if (iTarget < 8) iTarget = 8;
  const double a = iWidth / std::sqrt(static_cast<double>(iTarget));
  const double D =
      std::sqrt(static_cast<double>(iWidth) * iWidth + static_cast<double>(iHeight) * iHeight);
  int n = static_cast<int>(D / a + 0.5);
  if (n > kMaxRings) n = kMaxRings;
  if (D / a < 1) n = 1;
  m_dSpacing = a;
  m_iRings = n;
  m_aRings.resize(static_cast<std::size_t>(n));
  // Ring 0 is a single cell outside the picture: it never yields a node.
  m_aRings[0].push_back({iWidth, iHeight});
  const double R = D / 2;
  for (int i = 1; i < n; ++i) {
    int c = static_cast<int>(((i - 1) * a + a / 2) * TWO_PI / a);
    if (c < 2) c = 2;
    std::vector<POINT>& aCells = m_aRings[static_cast<std::size_t>(i)];
    aCells.reserve(static_cast<std::size_t>(c));
    const double r = R * i / (n - 1);
    for (int k = 0; k < c; ++k)
      aCells.push_back({static_cast<LONG>(r * std::sin(k * TWO_PI / c) + iWidth / 2),
                        static_cast<LONG>(r * std::cos(k * TWO_PI / c) + iHeight / 2)});
  }
}

CNodeNetwork::CNodeNetwork(CLinkDrawer* pLinkDrawer, CNodeDrawer* pNodeDrawer,
                           std::atomic<int>* pPercent, const std::atomic<int>* pStop,
                           const char* szLinks, const char* szNodes, const char* szBuild)
    : m_pLinkDrawer(pLinkDrawer),
      m_pNodeDrawer(pNodeDrawer),
      m_pPercent(pPercent),
      m_pStop(pStop),
      m_szLinks(szLinks),
      m_szNodes(szNodes),
      m_szBuild(szBuild) {}

NodeNetworkSettings RingNetworkSettings(const std::uint8_t* pField, int iWidth, int iHeight,
                                        int iAreaCovered, int iTarget, int iLinksPerNode) {
  NodeNetworkSettings settings;
  settings.m_pField = pField;
  settings.m_iWidth = iWidth;
  settings.m_iHeight = iHeight;
  settings.m_iThreshold =
      ForceFieldThreshold(iAreaCovered, pField, static_cast<std::size_t>(iWidth) * iHeight);
  settings.m_dJitter = 1.0;
  settings.m_iTarget = iTarget;
  settings.m_iLinksPerNode = iLinksPerNode;
  settings.m_iMode = NODE_NETWORK_RINGS;
  return settings;
}

int CNodeNetwork::Build(const NodeNetworkSettings& settings) {
  m_aNodes.clear();
  m_aLinks.clear();
  m_iLinkDistance = 0;
  m_iPasses = 0;
  if (!settings.m_pField || settings.m_iWidth <= 0 || settings.m_iHeight <= 0) return 0;
  PickNodes(settings);
  const int m = settings.m_iLinksPerNode >= 2 && settings.m_iLinksPerNode <= kMaxLinksPerNode
                    ? settings.m_iLinksPerNode
                    : 3;
  if (!Stopped()) LinkNodes(m);
  return Stopped() ? 0 : 1;
}

void CNodeNetwork::PickNodes(const NodeNetworkSettings& settings) {
  const int w = settings.m_iWidth, h = settings.m_iHeight;
  int b = settings.m_iThreshold >= 0 && settings.m_iThreshold <= 255 ? settings.m_iThreshold : 127;
  const double dJitter =
      settings.m_dJitter >= 0.0 && settings.m_dJitter <= 25.0 ? settings.m_dJitter : 12.5;
  const int T0 = settings.m_iTarget >= 5 && settings.m_iTarget <= 749 ? settings.m_iTarget : 377;
  const int j = static_cast<int>(
      std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) * dJitter * 0.01);
  int T = T0;
  // Each pass lays the ring grid out afresh; too many nodes raise the
  // threshold and shrink the target, too few do the opposite, until the count
  // lies within 10 % of the original target or the passes run out.
  for (int iPass = 0; iPass < kMaxPasses; ++iPass) {
    m_aNodes.clear();
    const CRingGrid grid(w, h, T);
    for (const std::vector<POINT>& aCells : grid.m_aRings) {
      for (POINT pt : aCells) {
        if (pt.x < 0 || pt.x >= w || pt.y < 0 || pt.y >= h) continue;
        JitterPoint(pt, j, w, h);
        const int v = ForceAt(settings.m_pField, pt.x, pt.y, w);
        if (v <= b) continue;
        const bool bFull = m_aNodes.size() > static_cast<std::size_t>(kMaxNodes);
        m_aNodes.push_back({v, pt.x, pt.y});
        if (bFull) break;  // the rest of this ring adds nothing
      }
    }
    m_iLinkDistance = static_cast<int>(grid.m_dSpacing);
    m_iPasses = iPass + 1;
    const int iCount = static_cast<int>(m_aNodes.size());
    if (iCount > 110 * T0 / 100) {
      T = T * 96 / 100;
      if (b < 255) b = b * 104 / 100;
    } else if (iCount < T0 * 90 / 100) {
      T = T * 104 / 100;
      if (b > 0) b = b * 96 / 100;
    } else {
      break;
    }
    if (Stopped()) break;
  }
}

void CNodeNetwork::LinkNodes(int m) {
  const int n = static_cast<int>(m_aNodes.size());
  const int L = m_iLinkDistance;
  // Each node's partners so far (at most m of them).
  std::vector<std::array<std::int32_t, kMaxLinksPerNode>> aPartners(static_cast<std::size_t>(n));
  std::vector<int> aCount(static_cast<std::size_t>(n), 0);
  auto linked = [&](int i, int p) {
    for (int k = 0; k < aCount[i]; ++k)
      if (aPartners[i][k] == p) return true;
    return false;
  };
  for (int i = 0; i < n; ++i) {
    const CNetNode& a = m_aNodes[i];
    for (int iTry = m - aCount[i]; iTry > 0 && aCount[i] < m; --iTry) {
      // The nearest free node within the link distance; the first on ties.
      int iBest = -1, iBestDist = 0;
      for (int p = 0; p < n; ++p) {
        if (p == i || aCount[p] >= m) continue;
        const int dx = m_aNodes[p].m_iX - a.m_iX, dy = m_aNodes[p].m_iY - a.m_iY;
        if (std::abs(dx) > L || std::abs(dy) > L) continue;
        const int d = static_cast<int>(
            std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
        if (d <= 0 || d >= L || (iBest >= 0 && d >= iBestDist) || linked(i, p)) continue;
        iBest = p;
        iBestDist = d;
      }
      if (iBest < 0) break;
      aPartners[i][aCount[i]++] = iBest;
      aPartners[iBest][aCount[iBest]++] = i;
      m_aLinks.push_back({i, iBest});
    }
    if (m_aLinks.size() >= static_cast<std::size_t>(kMaxLinks) || Stopped()) break;
    SetPercent(m_pPercent, 20, 80, 100 * i / n, m_szBuild);
  }
}

void CNodeNetwork::Draw(CDC& dc, int s) {
  if (m_pLinkDrawer) {
    SetPercent(m_pPercent, 80, 90, 85, m_szLinks);
    m_pLinkDrawer->DrawLinks(dc, s, m_aNodes, m_aLinks);
  }
  if (Stopped() || !m_pNodeDrawer) return;
  const int iSaved = dc.SaveDC();
  m_pNodeDrawer->Begin(dc, s);
  const int n = static_cast<int>(m_aNodes.size());
  for (int i = 0; i < n; ++i) {
    m_pNodeDrawer->DrawNode(dc, s, m_aNodes[i]);
    SetPercent(m_pPercent, 90, 100, 100 * i / n, m_szNodes);
    if (Stopped()) break;
  }
  dc.RestoreDC(iSaved);
  m_pNodeDrawer->End(dc);
}
