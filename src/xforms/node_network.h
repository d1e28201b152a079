// A network of nodes and links laid over a picture: nodes are picked on rings
// around the picture's centre where the force field is above a threshold
// (the threshold and the ring spacing adapt until the node count is near a
// target), each node is linked to its nearest free neighbours, and the links
// and nodes are drawn by drawers that the Xform supplies (Primitive Art's
// graded strokes and shapes, Ivy's stems and leaves).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/dc.h"

// One node: its force value and its place in input pixels.
struct CNetNode {
  std::int32_t m_iV;
  std::int32_t m_iX;
  std::int32_t m_iY;
};
static_assert(sizeof(CNetNode) == 12);

// A link between two nodes (indices into the node list).
struct CNetLink {
  std::int32_t m_iA;
  std::int32_t m_iB;
};

// Draws all the links of a network (positions times s).
class CLinkDrawer {
 public:
  virtual ~CLinkDrawer() = default;
  virtual void DrawLinks(CDC& dc, int s, const std::vector<CNetNode>& aNodes,
                         const std::vector<CNetLink>& aLinks) = 0;
};

// Draws the nodes one by one. The network saves the DC's state before Begin
// and restores it before End, so a drawer may select what it likes and
// delete its own objects in End.
class CNodeDrawer {
 public:
  virtual ~CNodeDrawer() = default;
  virtual void Begin(CDC& /*dc*/, int /*s*/) {}
  virtual void DrawNode(CDC& dc, int s, const CNetNode& node) = 0;
  virtual void End(CDC& /*dc*/) {}
};

// The ring layout, the one node layout there is.
constexpr int NODE_NETWORK_RINGS = 4;

struct NodeNetworkSettings {
  const std::uint8_t* m_pField = nullptr;  // force field, m_iWidth x m_iHeight
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iThreshold = 127;            // 0..255, anything else means 127
  double m_dJitter = 12.5;           // percent of the diagonal, 0..25, anything else means 12.5
  int m_iTarget = 377;               // node count aimed at, 5..749, anything else means 377
  int m_iLinksPerNode = 3;           // 2..8, anything else means 3
  int m_iMode = NODE_NETWORK_RINGS;  // every mode lays its nodes out on rings
};

// The settings both plant-like networks use: nodes on rings over the parts of
// the field above the level that leaves iAreaCovered percent of it, jitter 1.
NodeNetworkSettings RingNetworkSettings(const std::uint8_t* pField, int iWidth, int iHeight,
                                        int iAreaCovered, int iTarget, int iLinksPerNode);

// The cells of the ring grid for a w x h picture and a target count T (raised
// to 8 when below 8), ring by ring from ring 0 (one cell at (w, h), outside
// the picture) outwards; the spacing is w / sqrt(T).
struct CRingGrid {
  CRingGrid(int iWidth, int iHeight, int iTarget);
  double m_dSpacing;
  int m_iRings;
  std::vector<std::vector<POINT>> m_aRings;
};

class CNodeNetwork {
 public:
  // Either drawer may be null. Progress goes to pPercent with the texts
  // szLinks (drawing links), szNodes (drawing nodes) and szBuild (linking);
  // the texts must outlive the network. Building and drawing end early once
  // *pStop is set (a null pStop never stops).
  CNodeNetwork(CLinkDrawer* pLinkDrawer, CNodeDrawer* pNodeDrawer, std::atomic<int>* pPercent,
               const std::atomic<int>* pStop, const char* szLinks, const char* szNodes,
               const char* szBuild);

  // Picks the nodes (up to 30 passes adapting threshold and target) and links
  // them. 0 when there is no field or when the stop flag ends it, else 1.
  int Build(const NodeNetworkSettings& settings);
  // The links, then (unless stopped) the nodes, at positions times s.
  void Draw(CDC& dc, int s);

  const std::vector<CNetNode>& Nodes() const { return m_aNodes; }
  const std::vector<CNetLink>& Links() const { return m_aLinks; }
  int LinkDistance() const { return m_iLinkDistance; }
  int Passes() const { return m_iPasses; }

  static constexpr int kMaxPasses = 30;
  static constexpr int kMaxNodes = 750;  // a ring stops adding nodes beyond this
  static constexpr int kMaxLinks = 500;

 private:
  void PickNodes(const NodeNetworkSettings& settings);
  void LinkNodes(int iLinksPerNode);
  bool Stopped() const { return m_pStop && m_pStop->load(std::memory_order_relaxed) != 0; }

  CLinkDrawer* m_pLinkDrawer;
  CNodeDrawer* m_pNodeDrawer;
  std::atomic<int>* m_pPercent;
  const std::atomic<int>* m_pStop;
  const char* m_szLinks;
  const char* m_szNodes;
  const char* m_szBuild;
  std::vector<CNetNode> m_aNodes;
  std::vector<CNetLink> m_aLinks;
  int m_iLinkDistance = 0;
  int m_iPasses = 0;
};
