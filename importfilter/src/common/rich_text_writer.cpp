#include <foliant/common/rich_text_writer.h>

#include <algorithm>
#include <string>

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/topic_text.h>

namespace foliant {

bool SetRunStyle(IVtlObject* style, const HTML::TextRun& run, FaceResolver* faces) {
  style->AddRef();
  PropertyHolder holder(style);
  using namespace vantorel;
  struct Switch {
    DWORD flag;
    USHORT id;
  };
  static constexpr Switch kSwitches[] = {
      {HTML::kRunBold, kPropTextBold},
      {HTML::kRunItalic, kPropTextItalic},
      {HTML::kRunUnderline, kPropTextUnderline},
      {HTML::kRunStrike, kPropTextStrike},
      {HTML::kRunSubscript, 0x402f},
      {HTML::kRunSuperscript, 0x4030},
  };
  for (const Switch& s : kSwitches)
    if ((run.flags & s.flag) && !holder.SetPropertyValue(s.id, kPropEnum, 1)) return false;
  if ((run.flags & HTML::kRunSize) && !holder.SetPropertyValue(kPropTextSize, kPropInt, static_cast<DWORD>(run.size)))
    return false;
  if (run.flags & HTML::kRunFace) {
    const std::u16string face = faces ? faces->Resolve(run.face) : run.face;
    if (!holder.SetPropertyString(kPropTextFace, face.c_str()) ||
        !holder.SetPropertyString(kPropTextFaceAlt, face.c_str()))
      return false;
  }
  if ((run.flags & HTML::kRunColor) && !holder.SetPropertyValue(kPropTextColor, kPropWide, run.color[0], run.color[1]))
    return false;
  const LONG step = (run.flags & HTML::kRunBigger ? 1 : 0) - (run.flags & HTML::kRunSmaller ? 1 : 0);
  if (step && !holder.SetPropertyValue(0x4007, kPropInt, static_cast<DWORD>(step))) return false;
  return true;
}

bool RichTextWriter::Begin(IVtlObject* textTarget) {
  if (!model_ || !textTarget || !model_->PlaceObject(0, textTarget, 0)) return false;
  styles_.reset(model_->GetTextStyleList());
  base_.reset(styles_ ? styles_->GetStyle(0) : nullptr);
  applied_ = Applied::Own;
  return styles_ && base_;
}

bool RichTextWriter::ApplyBase() {
  // The placed object's own style is what the base style is a copy of.
  if (applied_ != Applied::Run) return true;
  if (!styles_->ApplyStyle(base_.get())) return false;
  applied_ = Applied::Base;
  return true;
}

bool RichTextWriter::ApplyRun(const HTML::TextRun& run) {
  if (run.flags == 0) return ApplyBase();
  kx2::Ref<IVtlObject> style(FoliantCreateObject(vantorel::kClassTextStyle));
  if (!style || !style->InitFrom(base_.get())) return false;
  if (!SetRunStyle(style.get(), run, faces_) || !styles_->ApplyStyle(style.get())) return false;
  applied_ = Applied::Run;
  return true;
}

bool RichTextWriter::WriteRuns(std::u16string_view text, const std::map<LONG, HTML::TextRun>& runs) {
  if (!styles_ || !base_) return false;
  const LONG n = static_cast<LONG>(text.size());
  const HTML::TextRun* active = nullptr;
  LONG i = 0;
  while (i < n) {
    auto at = runs.find(i);
    if (at != runs.end()) {
      active = &at->second;
      if (!ApplyRun(*active)) return false;
    } else if (!active || active->end < i) {
      // Text no run covers: also at the start, after a run of an earlier paragraph.
      active = nullptr;
      if (!ApplyBase()) return false;
    }
    LONG next = n;
    if (auto later = runs.upper_bound(i); later != runs.end()) next = std::min(next, later->first);
    if (active) next = std::min(next, std::max(active->end + 1, i + 1));
    if (!WriteHostText(model_, text.substr(static_cast<size_t>(i), static_cast<size_t>(next - i)))) return false;
    i = next;
  }
  return true;
}

bool RichTextWriter::ApplyAlignment(LONG alignment) {
  kx2::Ref<IVtlStyleTarget> target(model_ ? model_->GetParagraphStyleTarget() : nullptr);
  PropertyHolder style(FoliantCreateObject(vantorel::kClassParagraphStyle));
  if (!target || !style) return false;
  if (!style.SetPropertyValue(vantorel::kPropParagraphAlign, vantorel::kPropEnum, static_cast<DWORD>(alignment)))
    return false;
  return target->ApplyStyle(style.Get()) != FALSE;
}

bool RichTextWriter::WriteParagraphs(const std::vector<HTML::Paragraph>& paragraphs) {
  size_t last = paragraphs.size();
  for (size_t i = 0; i < paragraphs.size(); ++i)
    if (paragraphs[i].flags & HTML::kParagraphText) last = i;
  for (size_t i = 0; i < paragraphs.size(); ++i) {
    const HTML::Paragraph& p = paragraphs[i];
    if (!(p.flags & HTML::kParagraphText)) continue;
    if ((p.formatFlags & HTML::kFormatAlignment) && !ApplyAlignment(p.alignment)) return false;
    std::u16string_view text = p.text;
    if (i == last)
      while (!text.empty() && text.back() == u'\n') text.remove_suffix(1);
    if (!WriteRuns(text, p.runs)) return false;
  }
  return true;
}

}  // namespace foliant
