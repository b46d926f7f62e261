// The inside of the object model's memory (see dom_memory.h): documents' arenas, scopes
// that carve a parse or a copy from them, and the bookkeeping of node and attribute
// objects whose document changes.
#pragma once

#include <basalt/xml/document.h>
#include <basalt/xml/dom_memory.h>

namespace Basalt::XMLDom {

struct DomDocuments {
  // The document's arena, made on first need (throws std::bad_alloc).
  static DomArena* Arena(XMLDocument& doc);
  // Frees every block the document's arena holds (nodes, texts, lists) without visiting
  // the tree; blocks of nodes taken out of the document stay until those nodes are freed.
  // The document starts over with no arena.
  static void DropArena(XMLDocument& doc) noexcept;
  // Takes the arena away (the document makes a fresh one on next need), or puts one back.
  static DomArena* TakeArena(XMLDocument& doc) noexcept;
  static void RestoreArena(XMLDocument& doc, DomArena* arena) noexcept;
  static void Drop(DomArena* arena) noexcept;

  // True for a document node itself: its own texts and lists live on the heap, outside its
  // arena, so that they outlive the arena when it is dropped.
  static bool IsDocument(const XMLNode& node) noexcept { return node.document == &node; }

  // The object (a node or an attribute) now belongs to `to` instead of `from` (either may
  // be null). Throws only before anything changed. The owner's texts and lists are not
  // moved: see MoveTexts.
  static void MoveObject(void* object, XMLDocument* from, XMLDocument* to);
  // Frees an object whose destructor has run; home is the document it belonged to.
  static void FreeObject(void* object, XMLDocument* home) noexcept;
};

// While one lives, node and attribute objects and the texts of owners at home in `home`
// are carved from home's arena (from the thread's chunks when home is null).
class ArenaScope {
 public:
  explicit ArenaScope(XMLDocument* home);
  ~ArenaScope();
  ArenaScope(const ArenaScope&) = delete;
  ArenaScope& operator=(const ArenaScope&) = delete;

 private:
  DomArena* saved_ = nullptr;
  bool arena_ = false;
};

}  // namespace Basalt::XMLDom
