// The tree view: items in a hierarchy with text, images and data; expanded and collapsed by
// their buttons, a double click or the keys (with TVN_ITEMEXPANDING the owner may refuse);
// a selection with TVN_SELCHANGEDW; lines and buttons; its own vertical scroll bar; and its
// background, text and line colours. Painting visits only the rows it shows.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct Node {
  std::u16string text;
  int image = 0;
  int selectedImage = 0;
  int children = 0;  // what the owner says (TVIF_CHILDREN), beside the real children
  LPARAM param = 0;
  UINT state = 0;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> kids;
};

HTREEITEM ItemHandle(Node* n) { return reinterpret_cast<HTREEITEM>(n); }

class TreeView {
 public:
  TreeView(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_SIZE:
        Relayout();
        return 0;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        rowHeight_ = 0;
        Relayout();
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_GETDLGCODE:
        return 0x0001;  // DLGC_WANTARROWS
      case WM_VSCROLL:
        return VScroll(LOWORD(wParam));
      case WM_LBUTTONDOWN:
        return Click(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, false);
      case WM_LBUTTONDBLCLK:
        return Click(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
      case WM_KEYDOWN:
        return Key(static_cast<UINT>(wParam));

      case TVM_INSERTITEMW:
        return reinterpret_cast<LRESULT>(Insert(reinterpret_cast<const TVINSERTSTRUCTW*>(lParam)));
      case TVM_DELETEITEM:
        return Delete(reinterpret_cast<HTREEITEM>(lParam));
      case TVM_EXPAND:
        return Expand(Find(reinterpret_cast<HTREEITEM>(lParam)), static_cast<UINT>(wParam) & 3);
      case TVM_GETCOUNT:
        return static_cast<LRESULT>(live_.size());
      case TVM_GETITEMW:
        return GetItem(reinterpret_cast<TVITEMW*>(lParam));
      case TVM_SETITEMW:
        return SetItem(reinterpret_cast<const TVITEMW*>(lParam));
      case TVM_GETNEXTITEM:
        return reinterpret_cast<LRESULT>(Next(static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam)));
      case TVM_SELECTITEM:
        if (wParam != TVGN_CARET) return FALSE;
        if (!lParam) {
          Select(nullptr);
          return TRUE;
        }
        if (!Find(reinterpret_cast<HTREEITEM>(lParam))) return FALSE;
        Select(Find(reinterpret_cast<HTREEITEM>(lParam)));
        return TRUE;
      case TVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return FALSE;
        HTREEITEM asked = nullptr;
        std::memcpy(&asked, r, sizeof(asked));  // the item comes in where the rectangle goes out
        Node* n = Find(asked);
        const int row = RowOf(n);
        if (row < 0 || row < top_) return FALSE;
        *r = RowRect(row, n, wParam != 0);
        return TRUE;
      }
      case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
        if (!info) return 0;
        info->hItem = HitTest(info->pt, &info->flags);
        return reinterpret_cast<LRESULT>(info->hItem);
      }
      case TVM_GETVISIBLECOUNT:
        return RowsPerPage();
      case TVM_ENSUREVISIBLE: {
        Node* n = Find(reinterpret_cast<HTREEITEM>(lParam));
        if (!n) return FALSE;
        for (Node* p = n->parent; p; p = p->parent) Expand(p, TVE_EXPAND);
        const int row = RowOf(n);
        if (row < top_) ScrollTo(row);
        if (row >= top_ + RowsPerPage()) ScrollTo(row - RowsPerPage() + 1);
        return TRUE;
      }
      case TVM_GETINDENT:
        return indent_;
      case TVM_SETINDENT:
        indent_ = std::max(5, static_cast<int>(wParam));
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case TVM_GETITEMHEIGHT:
        return RowHeight();
      case TVM_SETIMAGELIST: {
        const HIMAGELIST old = images_;
        images_ = reinterpret_cast<HIMAGELIST>(lParam);
        rowHeight_ = 0;
        Relayout();
        return reinterpret_cast<LRESULT>(old);
      }
      case TVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(images_);
      case TVM_SETBKCOLOR:
        return SwapColour(background_, static_cast<COLORREF>(lParam));
      case TVM_GETBKCOLOR:
        return static_cast<LRESULT>(static_cast<int32_t>(background_));
      case TVM_SETTEXTCOLOR:
        return SwapColour(text_, static_cast<COLORREF>(lParam));
      case TVM_GETTEXTCOLOR:
        return static_cast<LRESULT>(static_cast<int32_t>(text_));
      case TVM_SETLINECOLOR:
        return static_cast<LRESULT>(static_cast<COLORREF>(SwapColour(line_, static_cast<COLORREF>(lParam))));
      case TVM_GETLINECOLOR:
        return line_;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }

  // -1 and CLR_DEFAULT are the system's colour.
  static COLORREF Resolve(COLORREF c, int system) {
    return c == CLR_DEFAULT || c == CLR_NONE ? GetSysColor(system) : c;
  }
  LRESULT SwapColour(COLORREF& slot, COLORREF value) {
    const COLORREF old = slot;
    slot = value;
    InvalidateRect(hwnd_, nullptr, FALSE);
    return static_cast<LRESULT>(static_cast<int32_t>(old));
  }

  Node* Find(HTREEITEM h) const {
    auto* n = reinterpret_cast<Node*>(h);
    return live_.count(n) ? n : nullptr;
  }

  bool HasChildren(const Node* n) const { return !n->kids.empty() || n->children > 0; }
  bool Expanded(const Node* n) const { return (n->state & TVIS_EXPANDED) != 0; }

  // The shown rows: every item whose ancestors are all expanded, in order.
  std::vector<Node*> Rows() const {
    std::vector<Node*> out;
    std::vector<std::pair<const std::vector<std::unique_ptr<Node>>*, size_t>> stack{{&root_.kids, 0}};
    while (!stack.empty()) {
      auto& [kids, at] = stack.back();
      if (at >= kids->size()) {
        stack.pop_back();
        continue;
      }
      Node* n = (*kids)[at++].get();
      out.push_back(n);
      if (Expanded(n) && !n->kids.empty()) stack.emplace_back(&n->kids, 0);
    }
    return out;
  }

  int RowOf(Node* n) const {
    if (!n) return -1;
    const std::vector<Node*> rows = Rows();
    const auto at = std::find(rows.begin(), rows.end(), n);
    return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
  }

  int Depth(const Node* n) const {
    int depth = 0;
    for (const Node* p = n->parent; p && p != &root_; p = p->parent) ++depth;
    return depth;
  }

  int RowHeight() {
    if (rowHeight_ > 0) return rowHeight_;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    int cx = 0, cy = 0;
    if (images_) ImageList_GetIconSize(images_, &cx, &cy);
    rowHeight_ = std::max(static_cast<int>(tm.tmHeight) + 2, cy);
    return rowHeight_;
  }

  int RowsPerPage() {
    RECT r;
    GetClientRect(hwnd_, &r);
    return std::max(1, static_cast<int>(r.bottom - r.top) / RowHeight());
  }

  // Where a row's item starts: its depth's indent, one more with lines at the root.
  int ItemLeft(const Node* n) const {
    const int levels = Depth(n) + ((Style() & TVS_LINESATROOT) ? 1 : 0);
    return levels * indent_;
  }

  RECT RowRect(int row, Node* n, bool textOnly) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int y = (row - top_) * RowHeight();
    if (!textOnly) return RECT{0, y, client.right, y + RowHeight()};
    int left = ItemLeft(n);
    if (images_) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images_, &cx, &cy);
      left += cx + 3;
    }
    SIZE size{0, 0};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    if (!n->text.empty()) GetTextExtentPoint32W(dc, n->text.data(), static_cast<int>(n->text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return RECT{left, y, left + size.cx + 4, y + RowHeight()};
  }

  HTREEITEM HitTest(POINT pt, UINT* flags) {
    const std::vector<Node*> rows = Rows();
    const int row = top_ + (pt.y >= 0 ? pt.y / RowHeight() : -1);
    if (pt.y < 0 || row >= static_cast<int>(rows.size())) {
      *flags = TVHT_NOWHERE;
      return nullptr;
    }
    Node* n = rows[static_cast<size_t>(row)];
    const RECT label = RowRect(row, n, true);
    const int itemLeft = ItemLeft(n);
    if (pt.x >= label.left && pt.x < label.right)
      *flags = TVHT_ONITEMLABEL;
    else if (pt.x >= itemLeft && pt.x < label.left)
      *flags = TVHT_ONITEMICON;
    else if (pt.x >= itemLeft - indent_ && pt.x < itemLeft && HasChildren(n) && (Style() & TVS_HASBUTTONS) &&
             (n->parent != &root_ || (Style() & TVS_LINESATROOT)))
      *flags = TVHT_ONITEMBUTTON;
    else if (pt.x < itemLeft)
      *flags = TVHT_ONITEMINDENT;
    else
      *flags = TVHT_ONITEMRIGHT;
    return ItemHandle(n);
  }

  void Relayout() {
    const int rows = static_cast<int>(Rows().size());
    top_ = std::clamp(top_, 0, std::max(0, rows - RowsPerPage()));
    SCROLLINFO si{
        sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, rows - 1), static_cast<UINT>(RowsPerPage()), top_,
        0};
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void ScrollTo(int top) {
    const int rows = static_cast<int>(Rows().size());
    const int next = std::clamp(top, 0, std::max(0, rows - RowsPerPage()));
    if (next == top_) return;
    top_ = next;
    SetScrollPos(hwnd_, SB_VERT, top_, TRUE);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  LRESULT VScroll(int code) {
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd_, SB_VERT, &si);
    if (code == SB_LINEUP) ScrollTo(top_ - 1);
    if (code == SB_LINEDOWN) ScrollTo(top_ + 1);
    if (code == SB_PAGEUP) ScrollTo(top_ - RowsPerPage());
    if (code == SB_PAGEDOWN) ScrollTo(top_ + RowsPerPage());
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) ScrollTo(si.nTrackPos);
    if (code == SB_TOP) ScrollTo(0);
    if (code == SB_BOTTOM) ScrollTo(1 << 30);
    return 0;
  }

  TVITEMW Describe(Node* n) const {
    TVITEMW item{};
    if (!n) return item;
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    item.hItem = ItemHandle(n);
    item.state = n->state;
    item.lParam = n->param;
    return item;
  }

  LRESULT NotifyTree(UINT code, UINT action, Node* oldItem, Node* newItem) {
    NMTREEVIEWW nm{};
    nm.action = action;
    nm.itemOld = Describe(oldItem);
    nm.itemNew = Describe(newItem);
    return Notify(hwnd_, code, &nm.hdr);
  }

  LRESULT Expand(Node* n, UINT how) {
    if (!n || !how) return FALSE;
    const bool open = how == TVE_TOGGLE ? !Expanded(n) : how == TVE_EXPAND;
    if (open == Expanded(n)) return TRUE;
    if (!HasChildren(n)) return FALSE;
    if (NotifyTree(TVN_ITEMEXPANDINGW, open ? TVE_EXPAND : TVE_COLLAPSE, nullptr, n)) return FALSE;
    n->state = open ? (n->state | TVIS_EXPANDED) : (n->state & ~static_cast<UINT>(TVIS_EXPANDED));
    // A collapsed item takes the selection from a hidden descendant.
    if (!open && selected_)
      for (Node* p = selected_->parent; p; p = p->parent)
        if (p == n) {
          Select(n);
          break;
        }
    NotifyTree(TVN_ITEMEXPANDEDW, open ? TVE_EXPAND : TVE_COLLAPSE, nullptr, n);
    Relayout();
    return TRUE;
  }

  void Select(Node* n) {
    if (n == selected_) return;
    Node* old = selected_;
    if (old) old->state &= ~static_cast<UINT>(TVIS_SELECTED);
    selected_ = n;
    if (n) n->state |= TVIS_SELECTED;
    InvalidateRect(hwnd_, nullptr, FALSE);
    NotifyTree(TVN_SELCHANGEDW, 0, old, n);
  }

  LRESULT Click(POINT pt, bool twice) {
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    UINT flags = 0;
    Node* n = Find(HitTest(pt, &flags));
    if (!n) return 0;
    if (flags & TVHT_ONITEMBUTTON) {
      Expand(n, TVE_TOGGLE);
      return 0;
    }
    if (flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) {
      Select(n);
      if (twice) Expand(n, TVE_TOGGLE);
    }
    return 0;
  }

  LRESULT Key(UINT key) {
    const std::vector<Node*> rows = Rows();
    if (rows.empty()) return 0;
    const int row = std::max(0, RowOf(selected_));
    Node* n = selected_ ? selected_ : rows.front();
    switch (key) {
      case VK_UP:
        Select(rows[static_cast<size_t>(std::max(0, row - 1))]);
        break;
      case VK_DOWN:
        Select(rows[static_cast<size_t>(std::min(static_cast<int>(rows.size()) - 1, row + 1))]);
        break;
      case VK_RIGHT:
        if (HasChildren(n) && !Expanded(n))
          Expand(n, TVE_EXPAND);
        else if (!n->kids.empty())
          Select(n->kids.front().get());
        break;
      case VK_LEFT:
        if (Expanded(n))
          Expand(n, TVE_COLLAPSE);
        else if (n->parent && n->parent != &root_)
          Select(n->parent);
        break;
      case VK_ADD:
        Expand(n, TVE_EXPAND);
        break;
      case VK_SUBTRACT:
        Expand(n, TVE_COLLAPSE);
        break;
      default:
        return 0;
    }
    if (selected_) SendMessageW(hwnd_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(ItemHandle(selected_)));
    return 0;
  }

  void Apply(Node& n, const TVITEMW& item) {
    if (item.mask & TVIF_TEXT) n.text = item.pszText == reinterpret_cast<LPWSTR>(-1) ? u"" : FromText(item.pszText);
    if (item.mask & TVIF_IMAGE) n.image = item.iImage;
    if (item.mask & TVIF_SELECTEDIMAGE) n.selectedImage = item.iSelectedImage;
    if (item.mask & TVIF_CHILDREN) n.children = item.cChildren;
    if (item.mask & TVIF_PARAM) n.param = item.lParam;
    if (item.mask & TVIF_STATE)
      n.state = (n.state & ~(item.stateMask & ~static_cast<UINT>(TVIS_SELECTED))) |
                (item.state & item.stateMask & ~static_cast<UINT>(TVIS_SELECTED));
  }

  HTREEITEM Insert(const TVINSERTSTRUCTW* given) {
    if (!given) return nullptr;
    Node* parent = given->hParent == TVI_ROOT || !given->hParent ? &root_ : Find(given->hParent);
    if (!parent) return nullptr;
    auto node = std::make_unique<Node>();
    Apply(*node, given->item);
    node->parent = parent;
    Node* made = node.get();
    auto& kids = parent->kids;
    auto at = kids.end();
    if (given->hInsertAfter == TVI_FIRST) {
      at = kids.begin();
    } else if (given->hInsertAfter != TVI_LAST) {
      // After a sibling (sorting is not kept: an unknown place means last).
      for (auto it = kids.begin(); it != kids.end(); ++it)
        if (ItemHandle(it->get()) == given->hInsertAfter) {
          at = it + 1;
          break;
        }
    }
    kids.insert(at, std::move(node));
    live_.insert(made);
    Relayout();
    return ItemHandle(made);
  }

  void Forget(Node* n) {
    for (auto& k : n->kids) Forget(k.get());
    live_.erase(n);
    if (selected_ == n) selected_ = nullptr;
  }

  LRESULT Delete(HTREEITEM h) {
    if (h == TVI_ROOT || !h) {
      for (auto& k : root_.kids) Forget(k.get());
      root_.kids.clear();
      Relayout();
      return TRUE;
    }
    Node* n = Find(h);
    if (!n) return FALSE;
    Forget(n);
    auto& kids = n->parent->kids;
    kids.erase(std::find_if(kids.begin(), kids.end(), [&](const std::unique_ptr<Node>& k) { return k.get() == n; }));
    Relayout();
    return TRUE;
  }

  LRESULT GetItem(TVITEMW* item) const {
    if (!item) return FALSE;
    const Node* n = Find(item->hItem);
    if (!n) return FALSE;
    if (item->mask & TVIF_TEXT) CopyOut(n->text, item->pszText, item->cchTextMax);
    if (item->mask & TVIF_IMAGE) item->iImage = n->image;
    if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = n->selectedImage;
    if (item->mask & TVIF_CHILDREN) item->cChildren = HasChildren(n) ? 1 : 0;
    if (item->mask & TVIF_PARAM) item->lParam = n->param;
    if (item->mask & TVIF_STATE) item->state = n->state & item->stateMask;
    return TRUE;
  }

  LRESULT SetItem(const TVITEMW* item) {
    if (!item) return FALSE;
    Node* n = Find(item->hItem);
    if (!n) return FALSE;
    Apply(*n, *item);
    Relayout();
    return TRUE;
  }

  HTREEITEM Next(UINT how, HTREEITEM from) {
    Node* n = Find(from);
    auto sibling = [&](int step) -> HTREEITEM {
      if (!n) return nullptr;
      auto& kids = n->parent->kids;
      const auto it =
          std::find_if(kids.begin(), kids.end(), [&](const std::unique_ptr<Node>& k) { return k.get() == n; });
      const ptrdiff_t at = (it - kids.begin()) + step;
      return at >= 0 && at < static_cast<ptrdiff_t>(kids.size()) ? ItemHandle(kids[static_cast<size_t>(at)].get())
                                                                 : nullptr;
    };
    switch (how) {
      case TVGN_ROOT:
        return root_.kids.empty() ? nullptr : ItemHandle(root_.kids.front().get());
      case TVGN_NEXT:
        return sibling(1);
      case TVGN_PREVIOUS:
        return sibling(-1);
      case TVGN_PARENT:
        return n && n->parent != &root_ ? ItemHandle(n->parent) : nullptr;
      case TVGN_CHILD: {
        const Node* p = from == TVI_ROOT || !from ? &root_ : n;
        return p && !p->kids.empty() ? ItemHandle(p->kids.front().get()) : nullptr;
      }
      case TVGN_CARET:
        return ItemHandle(selected_);
      case TVGN_FIRSTVISIBLE: {
        const std::vector<Node*> rows = Rows();
        return top_ < static_cast<int>(rows.size()) ? ItemHandle(rows[static_cast<size_t>(top_)]) : nullptr;
      }
      case TVGN_NEXTVISIBLE:
      case TVGN_PREVIOUSVISIBLE: {
        const std::vector<Node*> rows = Rows();
        const int row = RowOf(n);
        const int next = row + (how == TVGN_NEXTVISIBLE ? 1 : -1);
        return row >= 0 && next >= 0 && next < static_cast<int>(rows.size())
                   ? ItemHandle(rows[static_cast<size_t>(next)])
                   : nullptr;
      }
      default:
        return nullptr;
    }
  }

  // ---- Painting ----

  void Dotted(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
    for (int x = x0; x <= x1; x += 2)
      for (int y = y0; y <= y1; y += 2) SetPixel(dc, x, y, colour);
  }

  void PaintRow(HDC dc, int row, Node* n) {
    const int height = RowHeight();
    const int y = (row - top_) * height, middle = y + height / 2;
    const int left = ItemLeft(n);
    const COLORREF lines = Resolve(line_, COLOR_GRAYTEXT);
    const bool atRoot = n->parent == &root_;
    const bool rootLines = (Style() & TVS_LINESATROOT) != 0;
    if ((Style() & TVS_HASLINES) && (!atRoot || rootLines)) {
      const int x = left - indent_ / 2;
      const bool last = n->parent->kids.back().get() == n;
      Dotted(dc, x, y, x, last ? middle : y + height - 1, lines);
      Dotted(dc, x, middle, left - 2, middle, lines);
      // The lines of the ancestors that have siblings below.
      int ax = x - indent_;
      for (Node* p = n->parent; p && p != &root_ && (p->parent != &root_ || rootLines); p = p->parent, ax -= indent_)
        if (p->parent->kids.back().get() != p) Dotted(dc, ax, y, ax, y + height - 1, lines);
    }
    if ((Style() & TVS_HASBUTTONS) && HasChildren(n) && (!atRoot || rootLines)) {
      const int x = left - indent_ / 2;
      RECT box{x - 4, middle - 4, x + 5, middle + 5};
      FillSolid(dc, box, Resolve(background_, COLOR_WINDOW));
      FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
      FillSolid(dc, RECT{x - 2, middle, x + 3, middle + 1}, Resolve(text_, COLOR_WINDOWTEXT));
      if (!Expanded(n)) FillSolid(dc, RECT{x, middle - 2, x + 1, middle + 3}, Resolve(text_, COLOR_WINDOWTEXT));
    }
    int x = left;
    if (images_) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images_, &cx, &cy);
      ImageList_Draw(images_, n == selected_ ? n->selectedImage : n->image, dc, x, y + (height - cy) / 2,
                     ILD_TRANSPARENT);
      x += cx + 3;
    }
    RECT label = RowRect(row, n, true);
    const bool shown = n == selected_ && (GetFocus() == hwnd_ || (Style() & TVS_SHOWSELALWAYS));
    if (shown) FillSolid(dc, label, GetSysColor(GetFocus() == hwnd_ ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    SetTextColor(dc,
                 shown && GetFocus() == hwnd_ ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Resolve(text_, COLOR_WINDOWTEXT));
    RECT text = label;
    text.left += 2;
    if (!n->text.empty())
      DrawTextW(dc, n->text.data(), static_cast<int>(n->text.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillSolid(dc, client, Resolve(background_, COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const std::vector<Node*> rows = Rows();
    const int last = std::min(static_cast<int>(rows.size()), top_ + RowsPerPage() + 1);
    for (int row = top_; row < last; ++row) PaintRow(dc, row, rows[static_cast<size_t>(row)]);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  Node root_;
  std::unordered_set<Node*> live_;
  Node* selected_ = nullptr;
  HFONT font_ = nullptr;
  HIMAGELIST images_ = nullptr;
  COLORREF background_ = static_cast<COLORREF>(-1);
  COLORREF text_ = static_cast<COLORREF>(-1);
  COLORREF line_ = CLR_DEFAULT;
  int indent_ = 19;
  int top_ = 0;
  int rowHeight_ = 0;
};

}  // namespace

void RegisterTreeViewClass() { RegisterControl<TreeView>(WC_TREEVIEWW); }

}  // namespace comctl
