// Non-default values of every format kind, built in a started shape library.
#pragma once

#include <plastrum/format/Present3DFormat.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShadow.h>
#include <vantorel/testkit_bindata.h>

namespace format_test {

inline PresentColorRef Rgb(uint8_t r, uint8_t g, uint8_t b, uint8_t opacity = 255, uint16_t colorId = 0) {
  return PresentColorRef(static_cast<uint32_t>(opacity) << 24 | r << 16 | g << 8 | b,
                         static_cast<uint32_t>(opacity) << 16 | colorId);
}
inline PresentColorRef Scheme(uint8_t index, int16_t tint = 0, uint16_t colorId = 0) {
  return PresentColorRef(static_cast<uint32_t>(tint * 256) + index, 0x05FF0000u | colorId);
}

// Salt makes distinct values of one kind.
inline void MakeGradient(CPresentGradient& g, int salt = 0) {
  g.v.type = 1;
  g.v.direction = 3;
  g.v.angle = static_cast<int16_t>(455 + salt);
  g.v.stopCount = 4;
  const uint16_t positions[4] = {0, 250, 750, 1000};
  for (int i = 0; i < 4; ++i) {
    g.v.stopPosition[i] = positions[i];
    g.v.stopTransparency[i] = static_cast<uint16_t>(100 * i);
  }
  g.v.stopColor[0] = Rgb(1, 2, 3);
  g.v.stopColor[1] = Scheme(4, -2500);
  g.v.stopColor[2] = Rgb(200, 100, 50, 128);
  g.v.stopColor[3] = Scheme(9);
  g.v.rotateWith = 1;
}

inline void MakePicture(CPresentPicture& p, vantorel::testkit::BinDataKit& store, int salt = 0) {
  p.SetBinDataId(store.AddData({1, 2, 3, static_cast<uint8_t>(salt)}));
  p.v.recolor = 2;
  p.v.recolorColor = Rgb(9, 8, 7);
  p.v.brightness = -250;
  p.v.contrast = 120;
  p.v.transparency = 335;
}

inline void MakeTexture(CPresentTexture& t, uint16_t pictureId, int salt = 0) {
  CPresentTexture::SetPicture(t, pictureId);
  t.v.mode = 1;
  t.v.offsetX = 1000;
  t.v.scaleX = static_cast<uint16_t>(1005 + salt);
  t.v.offsetY = 2834;  // 10 mm: lengths that read back exactly
  t.v.scaleY = 900;
  t.v.alignment = 4;
  t.v.mirrorType = 3;
  t.v.offsetLeft = 10;
  t.v.offsetRight = 20;
  t.v.offsetTop = 30;
  t.v.offsetBottom = 40;
  t.v.transparency = 500;
  t.v.rotateWith = 1;
}

inline void MakeHatch(CPresentHatch& h, int salt = 0) {
  h.v.style = static_cast<uint8_t>(5 + salt % 40);
  h.v.foreColor = Rgb(10, 20, static_cast<uint8_t>(salt));
  h.v.backColor = Scheme(1);
  h.v.rotateWith = 1;
}

inline void MakeFill(CPresentFill& f, uint16_t gradient, uint16_t texture, uint16_t hatch, int salt = 0) {
  f.v.type = 2;
  f.v.solidColor = Rgb(50, 60, 70, 200);
  f.v.transparency = static_cast<int16_t>(125 + salt);
  CPresentFill::SetGradient(f, gradient);
  CPresentFill::SetTexture(f, texture);
  CPresentFill::SetHatch(f, hatch);
}

inline void MakeLine(CPresentLine& l, uint16_t fill, int salt = 0) {
  CPresentLine::SetFill(l, fill);
  l.v.width = 1000 + 1000 * salt;
  uint8_t codes[8] = {1, 3, 2, 2, 1, 4, 5, 8};
  for (int i = 0; i < 8; ++i) (&l.v.compoundType)[i] = codes[i];
}

inline void MakeShadow(CPresentShadow& s, int salt = 0) {
  s.v.type = 5;
  s.v.color = Rgb(11, 22, 33, 100);
  s.v.transparency = 500;
  s.v.size = 1100;
  s.v.blur = 55 + salt;
  s.v.angle = 455;
  s.v.distance = 1000;
}

inline void Make3D(CPresent3DFormat& f, int salt = 0) {
  Format3DFields& v = f.v;
  v.bevelTopType = 3;
  v.bevelTopWidth = 1000;
  v.bevelTopHeight = 2834;
  v.bevelBottomType = 7;
  v.bevelBottomWidth = 5669;
  v.bevelBottomHeight = 1000;
  v.depthColor = Scheme(3, 1200);
  v.depthValue = 2834;
  v.contourColor = Rgb(1, 1, 1);
  v.contourSize = 1000;
  v.surfaceMaterial = 2;
  v.surfaceLighting = 6;
  v.surfaceAngle = static_cast<int16_t>(450 + salt);
  v.surfacePreset = 12;
  v.rotationX = 100;
  v.rotationY = -205;
  v.rotationZ = 3599;
  v.perspective = 300;
  v.keepTextFlat = 1;
  v.objectDistance = 5669;
}

}  // namespace format_test
