// The custom controls of an item dialog.
#include <cstring>

#include "ItemDialogControls.h"
#include "kx2/Utf.h"

namespace kx2::shell {

bool DialogControls::HoldsItems(Kind kind) {
  return kind == Kind::kOpenDropDown || kind == Kind::kMenu || kind == Kind::kComboBox || kind == Kind::kRadioList;
}

DialogControls::Control* DialogControls::Find(DWORD id) {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

const DialogControls::Control* DialogControls::Find(DWORD id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

DialogControls::Item* DialogControls::FindItem(Control* control, DWORD item) {
  for (Item& each : control->items)
    if (each.id == item) return &each;
  return nullptr;
}

HRESULT DialogControls::Add(DWORD id, Kind kind, LPCWSTR label) {
  if (controls_.count(id)) return E_INVALIDARG;
  Control control{kind, std::u16string(View16(label))};
  control.group = group_;
  controls_.emplace(id, std::move(control));
  if (kind == Kind::kOpenDropDown) openDropDown_ = id;
  return S_OK;
}

HRESULT DialogControls::SetLabel(DWORD id, LPCWSTR label) {
  Control* control = Find(id);
  if (!control) return E_INVALIDARG;
  control->label = View16(label);
  return S_OK;
}

HRESULT DialogControls::GetState(DWORD id, CDCONTROLSTATEF* state) const {
  if (!state) return E_POINTER;
  const Control* control = Find(id);
  if (!control) return E_INVALIDARG;
  *state = control->state;
  return S_OK;
}

HRESULT DialogControls::SetState(DWORD id, CDCONTROLSTATEF state) {
  Control* control = Find(id);
  if (!control) return E_INVALIDARG;
  control->state = state & CDCS_ENABLEDVISIBLE;
  return S_OK;
}

HRESULT DialogControls::GetEditText(DWORD id, WCHAR** text) const {
  if (!text) return E_POINTER;
  *text = nullptr;
  const Control* control = Find(id);
  if (!control || control->kind != Kind::kEditBox) return E_INVALIDARG;
  auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((control->label.size() + 1) * sizeof(WCHAR)));
  if (!copy) return E_OUTOFMEMORY;
  std::memcpy(copy, control->label.c_str(), (control->label.size() + 1) * sizeof(WCHAR));
  *text = copy;
  return S_OK;
}

HRESULT DialogControls::SetEditText(DWORD id, LPCWSTR text) {
  Control* control = Find(id);
  if (!control || control->kind != Kind::kEditBox) return E_INVALIDARG;
  control->label = View16(text);
  return S_OK;
}

HRESULT DialogControls::GetChecked(DWORD id, BOOL* checked) const {
  if (!checked) return E_POINTER;
  const Control* control = Find(id);
  if (!control || control->kind != Kind::kCheckButton) return E_INVALIDARG;
  *checked = control->checked;
  return S_OK;
}

HRESULT DialogControls::SetChecked(DWORD id, BOOL checked) {
  Control* control = Find(id);
  if (!control || control->kind != Kind::kCheckButton) return E_INVALIDARG;
  control->checked = checked ? TRUE : FALSE;
  return S_OK;
}

HRESULT DialogControls::AddItem(DWORD id, DWORD item, LPCWSTR label) {
  Control* control = Find(id);
  if (!control || !HoldsItems(control->kind) || FindItem(control, item)) return E_INVALIDARG;
  control->items.push_back(Item{item, std::u16string(View16(label))});
  return S_OK;
}

HRESULT DialogControls::RemoveItem(DWORD id, DWORD item) {
  Control* control = Find(id);
  if (!control || !FindItem(control, item)) return E_INVALIDARG;
  std::erase_if(control->items, [&](const Item& each) { return each.id == item; });
  if (control->selected == item) control->selected.reset();
  return S_OK;
}

HRESULT DialogControls::RemoveAllItems(DWORD id) {
  Control* control = Find(id);
  if (!control || !HoldsItems(control->kind)) return E_INVALIDARG;
  control->items.clear();
  control->selected.reset();
  return S_OK;
}

HRESULT DialogControls::GetItemState(DWORD id, DWORD item, CDCONTROLSTATEF* state) const {
  if (!state) return E_POINTER;
  Control* control = const_cast<DialogControls*>(this)->Find(id);
  Item* found = control ? FindItem(control, item) : nullptr;
  if (!found) return E_INVALIDARG;
  *state = found->state;
  return S_OK;
}

HRESULT DialogControls::SetItemState(DWORD id, DWORD item, CDCONTROLSTATEF state) {
  Control* control = Find(id);
  Item* found = control ? FindItem(control, item) : nullptr;
  if (!found) return E_INVALIDARG;
  found->state = state & CDCS_ENABLEDVISIBLE;
  return S_OK;
}

HRESULT DialogControls::SetItemText(DWORD id, DWORD item, LPCWSTR label) {
  Control* control = Find(id);
  Item* found = control ? FindItem(control, item) : nullptr;
  if (!found) return E_INVALIDARG;
  found->label = View16(label);
  return S_OK;
}

HRESULT DialogControls::GetSelected(DWORD id, DWORD* item) const {
  if (!item) return E_POINTER;
  const Control* control = Find(id);
  if (!control || !HoldsItems(control->kind)) return E_INVALIDARG;
  if (control->selected) {
    *item = *control->selected;
    return S_OK;
  }
  if (control->kind == Kind::kOpenDropDown) {
    for (const Item& each : control->items) {
      if (each.state == CDCS_ENABLEDVISIBLE) {
        *item = each.id;
        return S_OK;
      }
    }
  }
  return E_FAIL;
}

HRESULT DialogControls::SetSelected(DWORD id, DWORD item) {
  Control* control = Find(id);
  if (!control || !FindItem(control, item)) return E_INVALIDARG;
  control->selected = item;
  return S_OK;
}

HRESULT DialogControls::StartGroup(DWORD id, LPCWSTR label) {
  HRESULT hr = Add(id, Kind::kGroup, label);
  if (SUCCEEDED(hr)) group_ = id;
  return hr;
}

HRESULT DialogControls::MakeProminent(DWORD id) {
  const Control* control = Find(id);
  if (!control) return E_INVALIDARG;
  prominent_ = id;
  return S_OK;
}

bool DialogControls::ChooseItem(DWORD item, DWORD* controlId) {
  auto tryControl = [&](DWORD id) {
    Control* control = Find(id);
    if (!control || !HoldsItems(control->kind) || control->state != CDCS_ENABLEDVISIBLE) return false;
    Item* found = FindItem(control, item);
    if (!found || found->state != CDCS_ENABLEDVISIBLE) return false;
    control->selected = item;
    *controlId = id;
    return true;
  };
  if (openDropDown_ && tryControl(*openDropDown_)) return true;
  for (auto& [id, control] : controls_)
    if (id != openDropDown_ && tryControl(id)) return true;
  return false;
}

}  // namespace kx2::shell
