#include <plastrum/present/drawing/DrawingModel.h>

#include <algorithm>
#include <new>

namespace Present::Drawing {

DrawingModel::~DrawingModel() { Clear(); }

void DrawingModel::Release() {
  if (--refCount > 0) return;
  delete this;
}

bool DrawingModel::Add(Diagram* node) {
  if (!node) return false;
  const int family = FamilyOf(node->category);
  if (family < 1 || family > kFamilies) return false;
  try {
    all_.insert(node);
    lists_[static_cast<size_t>(family - 1)].push_back(node);
  } catch (const std::bad_alloc&) {
    all_.erase(node);
    return false;
  }
  return true;
}

bool DrawingModel::Remove(Diagram* node) {
  if (!Owns(node)) return false;
  const int family = FamilyOf(node->category);
  if (family < 1 || family > kFamilies) return false;
  auto& list = lists_[static_cast<size_t>(family - 1)];
  const auto found = std::find(list.begin(), list.end(), node);
  if (found == list.end()) return false;
  node->deleted = 1;
  if (KeepNodes()) return true;
  try {
    removed_.push_back(node);
  } catch (const std::bad_alloc&) {
    return true;  // stays listed, marked deleted: never painted or hit, freed with the model
  }
  list.erase(found);
  return true;
}

bool DrawingModel::Holds(const Diagram* node) const { return Owns(node) && !node->deleted; }

void DrawingModel::Clear() {
  for (auto& list : lists_) {
    for (Diagram* node : list) delete node;
    list.clear();
  }
  for (Diagram* node : removed_) delete node;
  removed_.clear();
  all_.clear();
}

}  // namespace Present::Drawing
