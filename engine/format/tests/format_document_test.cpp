// A document's shape formats saved and loaded through the per-document mapper, as records
// and as XML: 50 shapes over every kind with shared and distinct values, the tables emptied
// in between, every shape back with equal values and every count back at its baseline.
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeFileMapper.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "format_kinds_fixture.h"
#include "format_kinds_samples.h"
#include "format_test_support.h"

namespace {

using namespace format_test;
using Shapes = std::vector<std::unique_ptr<CPresentShape>>;

class FormatDocument : public KindsFixture {
 protected:
  // The colour modifier sets the document's colours name; the host interns them in the same
  // order after the tables were emptied, so they keep their identifiers.
  void InternColors() {
    colors_.clear();
    for (int16_t tint : {250, 500}) {
      CPresentColor c;
      c.value.type = 1;
      c.value.tint = tint;
      colors_.push_back(static_cast<uint16_t>(PresentColorTable().Intern(c)));
    }
  }

  void Build(Shapes& shapes) {
    InternColors();
    std::vector<uint16_t> pictures, textures, gradients, hatches, fills, lines, shadows, formats;
    for (int i = 0; i < 3; ++i) {
      CPresentPicture p;
      MakePicture(p, *store_, i);
      if (i == 2) p.v.recolorColor = Rgb(1, 2, 3, 255, colors_[0]);
      pictures.push_back(Intern(PresentPictureTable(), p));
    }
    for (int i = 0; i < 2; ++i) {
      CPresentTexture t;
      MakeTexture(t, pictures[i], i);
      textures.push_back(Intern(PresentTextureTable(), t));
    }
    for (int i = 0; i < 3; ++i) {
      CPresentGradient g;
      MakeGradient(g, i);
      g.v.stopColor[1] = Scheme(4, -2500, colors_[i % 2]);
      gradients.push_back(Intern(PresentGradientTable(), g));
    }
    for (int i = 0; i < 2; ++i) {
      CPresentHatch h;
      MakeHatch(h, i);
      h.v.backColor = Scheme(1, 0, colors_[1]);
      hatches.push_back(Intern(PresentHatchTable(), h));
    }
    for (int i = 0; i < 7; ++i) {
      CPresentFill f;
      MakeFill(f, i % 3 == 0 ? 0 : gradients[i % 3], i % 2 ? textures[i % 2] : 0, i > 4 ? hatches[i % 2] : 0, i);
      if (i == 6) f.v.solidColor = Rgb(9, 9, 9, 255, colors_[1]);
      fills.push_back(Intern(PresentFillTable(), f));
    }
    fills.push_back(1);  // the standard fill
    // XML keeps lengths in hundredths of a millimetre, so only some widths read back exactly
    // (the standard 2 pt line comes back 2.01 pt): the document's lines take such widths.
    int32_t width = 100;
    for (int i = 0; i < 5; ++i) {
      CPresentLine l;
      MakeLine(l, fills[(i * 3) % fills.size()], i);
      char16_t text[64];
      do {
        width += 97;
        Present::ShapeXml::FormatLength(text, width);
      } while (Present::ShapeXml::ParseLength(text) != width);
      l.v.width = width;
      lines.push_back(Intern(PresentLineTable(), l));
    }
    for (int i = 0; i < 4; ++i) {
      CPresentShadow s;
      MakeShadow(s, i);
      if (i == 3) s.v.color = Rgb(4, 4, 4, 200, colors_[0]);
      shadows.push_back(Intern(PresentShadowTable(), s));
    }
    for (int i = 0; i < 2; ++i) {
      CPresent3DFormat f;
      Make3D(f, i);
      formats.push_back(Intern(Present3DFormatTable(), f));
    }
    for (int i = 0; i < 50; ++i) {
      auto shape = std::make_unique<CPresentShape>();
      PresentLineTable().Assign(shape->v.lineID, lines[i % lines.size()]);
      PresentFillTable().Assign(shape->v.fillID, fills[(i * 5) % fills.size()]);
      PresentShadowTable().Assign(shape->v.shadowID, i % 3 == 0 ? 0 : shadows[i % shadows.size()]);
      PresentPictureTable().Assign(shape->v.pictureID, i % 4 == 0 ? pictures[i % 3] : 0);
      Present3DFormatTable().Assign(shape->v.format3DID, i % 5 == 0 ? formats[i % 2] : 0);
      shapes.push_back(std::move(shape));
    }
    // The builders' own references go; the shapes and the entries keep theirs.
    for (auto id : pictures) PresentPictureTable().Release(id);
    for (auto id : textures) PresentTextureTable().Release(id);
    for (auto id : gradients) PresentGradientTable().Release(id);
    for (auto id : hatches) PresentHatchTable().Release(id);
    for (auto id : fills) PresentFillTable().Release(id);
    for (auto id : lines) PresentLineTable().Release(id);
    for (auto id : shadows) PresentShadowTable().Release(id);
    for (auto id : formats) Present3DFormatTable().Release(id);
  }

  // Every value a shape reaches, without its identifiers.
  std::string Describe(const CPresentShape& s) {
    std::ostringstream out;
    DescribeLine(out, s.v.lineID);
    DescribeFill(out, s.v.fillID);
    if (s.v.shadowID) {
      const ShadowFields& v = PresentShadowTable().GetEntry(s.v.shadowID)->v;
      out << " shadow " << +v.type << ' ' << Color(v.color) << ' ' << v.transparency << ' ' << v.size << ' ' << v.blur
          << ' ' << v.angle << ' ' << v.distance;
    }
    DescribePicture(out, s.v.pictureID);
    if (s.v.format3DID) {
      const Format3DFields& v = Present3DFormatTable().GetEntry(s.v.format3DID)->v;
      out << " 3d " << +v.bevelTopType << ' ' << v.bevelTopWidth << ' ' << v.bevelTopHeight << ' ' << +v.bevelBottomType
          << ' ' << v.bevelBottomWidth << ' ' << v.bevelBottomHeight << ' ' << Color(v.depthColor) << ' '
          << v.depthValue << ' ' << Color(v.contourColor) << ' ' << v.contourSize << ' ' << +v.surfaceMaterial << ' '
          << +v.surfaceLighting << ' ' << v.surfaceAngle << ' ' << +v.surfacePreset << ' ' << v.rotationX << ' '
          << v.rotationY << ' ' << v.rotationZ << ' ' << v.perspective << ' ' << +v.keepTextFlat << ' '
          << v.objectDistance;
    }
    return out.str();
  }
  static std::string Color(const PresentColorRef& c) {
    std::ostringstream out;
    out << c.value << '/' << (c.Second() & 0xFFFF0000u);
    if (c.colorId) out << "/tint" << PresentColorTable().GetEntry(c.colorId)->value.tint;
    return out.str();
  }
  void DescribePicture(std::ostringstream& out, uint16_t id) {
    if (!id) return;
    const PictureFields& v = PresentPictureTable().GetEntry(id)->v;
    const std::vector<uint8_t>* data = store_->Data(v.binDataId);
    out << " picture " << (data ? data->size() : 0) << ':' << (data && !data->empty() ? +data->back() : -1) << ' '
        << +v.recolor << ' ' << Color(v.recolorColor) << ' ' << v.brightness << ' ' << v.contrast << ' '
        << v.transparency;
  }
  void DescribeFill(std::ostringstream& out, uint16_t id) {
    if (!id) return;
    const CPresentFill& f = *PresentFillTable().GetEntry(id);
    out << " fill " << (id == 1 ? "standard" : "") << +f.v.type << ' ' << Color(f.v.solidColor) << ' '
        << f.v.transparency;
    if (f.v.gradientID > 1) {
      const GradientFields& g = PresentGradientTable().GetEntry(f.v.gradientID)->v;
      out << " gradient " << +g.type << ' ' << +g.direction << ' ' << g.angle << ' ' << g.Stops() << ' '
          << +g.rotateWith;
      for (int i = 0; i < g.Stops(); ++i)
        out << ' ' << g.stopPosition[i] << ' ' << Color(g.stopColor[i]) << ' ' << g.stopTransparency[i];
    }
    if (f.v.textureID > 1) {
      const CPresentTexture& t = *PresentTextureTable().GetEntry(f.v.textureID);
      out << " texture " << +t.v.mode << ' ' << t.v.offsetX << ' ' << t.v.scaleX << ' ' << t.v.offsetY << ' '
          << t.v.scaleY << ' ' << +t.v.alignment << ' ' << +t.v.mirrorType << ' ' << t.v.offsetLeft << ' '
          << t.v.transparency;
      DescribePicture(out, t.v.pictureID);
    }
    if (f.v.hatchID > 1) {
      const HatchFields& h = PresentHatchTable().GetEntry(f.v.hatchID)->v;
      out << " hatch " << +h.style << ' ' << Color(h.foreColor) << ' ' << Color(h.backColor) << ' ' << +h.rotateWith;
    }
  }
  void DescribeLine(std::ostringstream& out, uint16_t id) {
    if (!id) return;
    const LineFields& v = PresentLineTable().GetEntry(id)->v;
    out << " line " << v.width;
    for (int i = 0; i < 8; ++i) out << ' ' << +(&v.compoundType)[i];
    DescribeFill(out, v.fillID);
  }

  // Live entries past the fixed ones, per table.
  static std::vector<int32_t> LiveEntries() {
    std::vector<int32_t> live;
    auto count = [&](auto& table) {
      int32_t n = 0;
      for (int32_t i = table.GetFixedCount(); i < table.GetCount(); ++i) n += table[i].refCount > 0;
      live.push_back(n);
    };
    count(PresentGradientTable()), count(PresentTextureTable()), count(PresentHatchTable()), count(PresentFillTable());
    count(PresentLineTable()), count(PresentShadowTable()), count(PresentPictureTable()), count(Present3DFormatTable());
    count(PresentShapeTable());
    return live;
  }

  void EmptyTables() {
    Present::StopShapeTables();
    ASSERT_EQ(Present::StartShapeTables(), 0);
    InternColors();
  }

  std::vector<uint16_t> colors_;
};

TEST_F(FormatDocument, FiftyShapesSurviveRecordsAndXml) {
  Shapes shapes;
  Build(shapes);
  std::vector<std::string> original;
  for (const auto& s : shapes) original.push_back(Describe(*s));

  // Save: register every identifier, switch to writing, counters, lists, then the shapes.
  auto save = [&](auto&& writeDocument) {
    IKx2SubShapeMapperCtx* mapper = engine_->NewShapeMapper(outer_.mapper());
    EXPECT_NE(mapper, nullptr);
    for (const auto& s : shapes) s->CollectIds(mapper);
    mapper->BeginWrite();
    writeDocument(mapper);
    engine_->FreeShapeMapper(mapper);
  };
  std::vector<uint8_t> records;
  save([&](IKx2SubShapeMapperCtx* mapper) {
    records = WriteArchive(
        [&](CKx2DataBlock& ar) {
          ASSERT_EQ(mapper->ExchangeCounts(&ar), 1);
          ASSERT_EQ(mapper->ExchangeLists(&ar, nullptr), 1);
          for (const auto& s : shapes) ASSERT_EQ(s->ArchiveIds(&ar), 1);
        },
        mapper);
  });
  std::string xml;
  save([&](IKx2SubShapeMapperCtx* mapper) {
    XmlWriter w(mapper);
    ASSERT_EQ(mapper->ExchangeCountsXml(&w.archive), 1);
    ASSERT_EQ(mapper->ExchangeListsXml(&w.archive, nullptr), 1);
    for (size_t i = 0; i < shapes.size(); ++i)
      ASSERT_EQ(shapes[i]->ExchangeXml(&w.archive, static_cast<int32_t>(i)), 1);
    xml = w.Text();
  });
  const auto builtColors =
      std::vector<int32_t>{Count(PresentColorTable(), colors_[0]), Count(PresentColorTable(), colors_[1])};
  shapes.clear();
  EmptyTables();
  const std::vector<int32_t> baseline = LiveEntries();
  EXPECT_EQ(baseline, std::vector<int32_t>(9, 0));

  // Load: counters and lists first, then the shapes map their file identifiers in.
  auto load = [&](const char* form, auto&& readDocument) {
    IKx2SubShapeMapperCtx* mapper = engine_->NewShapeMapper(outer_.mapper());
    Shapes loaded;
    for (int i = 0; i < 50; ++i) loaded.push_back(std::make_unique<CPresentShape>());
    readDocument(mapper, loaded);
    for (size_t i = 0; i < loaded.size(); ++i) EXPECT_EQ(Describe(*loaded[i]), original[i]) << form << " shape " << i;
    loaded.clear();
    engine_->FreeShapeMapper(mapper);
    EXPECT_EQ(LiveEntries(), baseline) << form;
  };
  load("records", [&](IKx2SubShapeMapperCtx* mapper, Shapes& loaded) {
    ReadArchive reader(records, mapper);
    ASSERT_EQ(mapper->ExchangeCounts(&*reader), 1);
    ASSERT_EQ(mapper->ExchangeLists(&*reader, nullptr), 1);
    for (auto& s : loaded) ASSERT_EQ(s->ArchiveIds(&*reader), 1);
  });
  load("XML", [&](IKx2SubShapeMapperCtx* mapper, Shapes& loaded) {
    XmlReader r(xml, mapper);
    ASSERT_EQ(mapper->ExchangeCountsXml(&r.archive), 1);
    ASSERT_EQ(mapper->ExchangeListsXml(&r.archive, nullptr), 1);
    for (size_t i = 0; i < loaded.size(); ++i)
      ASSERT_EQ(loaded[i]->ExchangeXml(&r.archive, static_cast<int32_t>(i)), 1);
  });
  // The colour entries the formats name hold what the host gave them: format values never
  // count colour references.
  EXPECT_EQ(Count(PresentColorTable(), colors_[0]), 1);
  EXPECT_EQ(builtColors, (std::vector<int32_t>{1, 1}));
}

}  // namespace
