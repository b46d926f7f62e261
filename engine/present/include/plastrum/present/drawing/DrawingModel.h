// The nodes of one map, shared by every canvas that shows it: four lists by family
// (topics, branches, relations, boundaries) and a reference count held by the canvases.
//
// A removed node leaves its list but not memory: canvases, their previews and the host
// still hold its pointer, and every reader tests its deleted byte. Removed nodes are kept
// on the model's list of removed nodes and freed with the model's other nodes when the
// last canvas lets go.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <unordered_set>
#include <vector>

#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class PLASTRUM_API DrawingModel {
 public:
  static constexpr int kFamilies = 4;

  DrawingModel() = default;
  ~DrawingModel();
  DrawingModel(const DrawingModel&) = delete;
  DrawingModel& operator=(const DrawingModel&) = delete;

  void AddRef() { ++refCount; }
  // Drops a reference; the last one clears the lists and deletes the model.
  void Release();

  // Appends the node to its family's list (the model owns it then); false for a family
  // outside 1..4 (the node stays the caller's) or when memory runs out.
  bool Add(Diagram* node);
  // Marks the node deleted and, unless the keep-nodes flag is set, takes it out of its list
  // and onto the removed nodes. True when a list held it (or, with keep-nodes, always).
  bool Remove(Diagram* node);
  // Frees every node, listed or removed, and empties the lists.
  void Clear();
  // Whether the node is the model's and not deleted (a listed node).
  bool Holds(const Diagram* node) const;
  // Whether the node is the model's at all, listed or removed.
  bool Owns(const Diagram* node) const { return node && all_.count(node) != 0; }

  // The list of a family (1..4).
  const std::list<Diagram*>& List(int family) const { return lists_[static_cast<size_t>(family - 1)]; }
  int32_t Count(int family) const { return static_cast<int32_t>(List(family).size()); }

  int32_t refCount = 1;

 private:
  std::array<std::list<Diagram*>, kFamilies> lists_;
  std::vector<Diagram*> removed_;
  // Every node of the model, listed or removed: lookups never read a foreign pointer.
  std::unordered_set<const Diagram*> all_;
};

}  // namespace Present::Drawing
