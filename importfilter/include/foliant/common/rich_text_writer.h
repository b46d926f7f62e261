// Writes formatted text into a host text object: the text goes through the model's text
// input (tabs and line feeds as host tabs and paragraph breaks), and each run of the text
// applies a text style (class 515) made from the base style of the placed object with the
// run's format. Text that no run covers is written with the base style.
#pragma once

#include <map>
#include <string_view>
#include <vector>

#include <foliant/common/face_resolution.h>
#include <kx2/Ref.h>
#include <foliant/html/html_parser.h>
#include <vantorel/model_interfaces.h>

namespace foliant {

class RichTextWriter {
 public:
  // `faces` resolves the face of runs that name one (borrowed; null keeps faces as given).
  RichTextWriter(IVtlModel* model, FaceResolver* faces) : model_(model), faces_(faces) {}

  // Places the text object (a topic, or a notes object's text target) and takes its base
  // style (entry 0 of the model's text-style list). False when either is missing.
  bool Begin(IVtlObject* textTarget);

  // Writes `text`; `runs` are keyed by their start index into `text`, each ending at its
  // inclusive end index. A run applies its own style whatever its flags (a run without
  // flags is the base style), so that no format leaks from one run into the next. False
  // at the first style or text the model refuses.
  bool WriteRuns(std::u16string_view text, const std::map<LONG, HTML::TextRun>& runs);

  // The alignment (HTML::kAlignLeft, kAlignRight, kAlignCenter) of the paragraph being
  // written, as a paragraph style (class 521, property 0x4007).
  bool ApplyAlignment(LONG alignment);

  // The text paragraphs of a parse, with their alignments, one host paragraph each; the
  // line feed that ends the last of them is left out. Image paragraphs write no text.
  bool WriteParagraphs(const std::vector<HTML::Paragraph>& paragraphs);

 private:
  enum class Applied { Own, Base, Run };
  bool ApplyBase();
  bool ApplyRun(const HTML::TextRun& run);

  IVtlModel* model_;
  FaceResolver* faces_;
  kx2::Ref<IVtlStyleTarget> styles_;
  kx2::Ref<IVtlObject> base_;
  Applied applied_ = Applied::Own;
};

// The properties of a text style object for a run's format: 0x01 bold 0x402A, 0x02 italic
// 0x402B, 0x04 underline 0x4036, 0x08 strike-through 0x403B (each (6, 1)), 0x40 size
// 0x403F (4, hundredths), 0x80 face 0x4000 and 0x4001 (text), 0x10 colour 0x4034 (11),
// 0x400 subscript 0x402F and 0x800 superscript 0x4030 (6, 1), 0x100 smaller and 0x200
// bigger 0x4007 (4, -1 or +1: one size step). False when the object refuses one.
bool SetRunStyle(IVtlObject* style, const HTML::TextRun& run, FaceResolver* faces);

}  // namespace foliant
