#include <plastrum/format/Vocabulary.h>

namespace Present {

const char16_t* VocabularyTable::ToName(uint8_t value) const {
  for (size_t i = 0; i < count_; ++i)
    if (rows_[i].value == value) return rows_[i].name;
  return nullptr;
}

uint8_t VocabularyTable::FromName(const char16_t* text) const {
  if (!text) return kUnknown;
  for (size_t i = 0; i < count_; ++i) {
    const char16_t* a = rows_[i].name;
    const char16_t* b = text;
    while (*a && *a == *b) ++a, ++b;
    if (*a == 0 && *b == 0) return rows_[i].value;
  }
  return kUnknown;
}

namespace Vocabulary {
namespace {

constexpr VocabularyRow kBevelType[] = {
    {u"None", 0},    {u"Circle", 1},    {u"RelaxedInset", 2}, {u"Cross", 3}, {u"CoolSlant", 4},
    {u"Angle", 5},   {u"SoftRound", 6}, {u"Convex", 7},       {u"Slope", 8}, {u"Divot", 9},
    {u"Riblet", 10}, {u"HardEdge", 11}, {u"ArtDeco", 12},
};
constexpr VocabularyRow kMaterialType[] = {
    {u"Matte", 0},    {u"WarmMatte", 1},         {u"Plastic", 2}, {u"Metal", 3},
    {u"DarkEdge", 4}, {u"SoftEdge", 5},          {u"Flat", 6},    {u"Wireframe", 7},
    {u"Powder", 8},   {u"TranslucentPowder", 9}, {u"Clear", 10},  {u"None", 11},
};
constexpr VocabularyRow kLightRigType[] = {
    {u"ThreePoint", 0}, {u"Balance", 1}, {u"Soft", 2},        {u"Harsh", 3},  {u"Flood", 4},     {u"Contrast", 5},
    {u"Morning", 6},    {u"Sunrise", 7}, {u"Sunset", 8},      {u"Chilly", 9}, {u"Freezing", 10}, {u"Flat", 11},
    {u"TwoPoint", 12},  {u"Glow", 13},   {u"BrightRoom", 14}, {u"None", 15},
};
constexpr VocabularyRow kCameraPreset[] = {
    {u"None", 0},
    {u"IsometricLeftDown", 1},
    {u"IsometricRightUp", 2},
    {u"IsometricTopUp", 3},
    {u"IsometricBottomDown", 4},
    {u"OffAxis1Left", 5},
    {u"OffAxis1Right", 6},
    {u"OffAxis1Top", 7},
    {u"OffAxis2Left", 8},
    {u"OffAxis2Right", 9},
    {u"OffAxis2Top", 10},
    {u"PerspectFront", 11},
    {u"PerspectLeft", 12},
    {u"PerspectRight", 13},
    {u"PerspectBelow", 14},
    {u"PerspectAbove", 15},
    {u"PerspectRelaxedModerately", 16},
    {u"PerspectRelaxed", 17},
    {u"PerspectContrastLeft", 18},
    {u"PerspectContrastRight", 19},
    {u"PerspectHeroicExtremeLeft", 20},
    {u"PerspectHeroicExtremeRight", 21},
    {u"ObliqueTopLeft", 22},
    {u"ObliqueTopRight", 23},
    {u"ObliqueBottomLeft", 24},
    {u"ObliqueBottomRight", 25},
};
constexpr VocabularyRow kFillType[] = {
    {u"None", 0}, {u"Auto", 5}, {u"Solid", 1}, {u"Hatch", 4}, {u"Gradient", 2}, {u"Texture", 3},
};
constexpr VocabularyRow kGradientType[] = {{u"Linear", 0}, {u"Radial", 1}, {u"Rectangular", 2}, {u"Path", 3}};
constexpr VocabularyRow kGradientDirection[] = {
    {u"BottomRight", 0}, {u"BottomLeft", 1}, {u"Center", 2}, {u"TopRight", 3}, {u"TopLeft", 4},
};
constexpr VocabularyRow kTextureMode[] = {{u"Stretch", 0}, {u"Tile", 1}, {u"Center", 2}, {u"Fit", 3}, {u"Fill", 4}};
constexpr VocabularyRow kTextureAlignment[] = {
    {u"TopLeft", 0}, {u"Top", 1},        {u"TopRight", 2}, {u"Left", 3},        {u"Center", 4},
    {u"Right", 5},   {u"BottomLeft", 6}, {u"Bottom", 7},   {u"BottomRight", 8},
};
constexpr VocabularyRow kFlipMode[] = {{u"None", 0}, {u"Horizontal", 1}, {u"Vertical", 2}, {u"Both", 3}};
constexpr VocabularyRow kLineCompound[] = {
    {u"Simple", 0}, {u"Double", 1}, {u"ThickThin", 2}, {u"ThinThick", 3}, {u"Triple", 4},
};
constexpr VocabularyRow kLineDash[] = {
    {u"Solid", 0},      {u"RoundDot", 1}, {u"SquareDot", 2},   {u"Dash", 3},           {u"DashDot", 4},
    {u"DashDotDot", 5}, {u"LongDash", 6}, {u"LongDashDot", 7}, {u"LongDashDotDot", 8},
};
constexpr VocabularyRow kLineCap[] = {{u"Flat", 0}, {u"Round", 1}, {u"Square", 2}};
constexpr VocabularyRow kLineJoin[] = {{u"Round", 0}, {u"Bevel", 1}, {u"Miter", 2}};
constexpr VocabularyRow kArrowType[] = {
    {u"None", 0}, {u"Arrow", 1}, {u"Open", 2}, {u"Stealth", 3}, {u"Diamond", 4}, {u"Oval", 5},
};
constexpr VocabularyRow kArrowSize[] = {
    {u"SmallSmall", 0},  {u"SmallMedium", 1}, {u"SmallLarge", 2},  {u"MediumSmall", 3}, {u"MediumMedium", 4},
    {u"MediumLarge", 5}, {u"LargeSmall", 6},  {u"LargeMedium", 7}, {u"LargeLarge", 8},
};
constexpr VocabularyRow kRecolorMode[] = {
    {u"None", 0}, {u"Grayscale", 1}, {u"Sepia", 2}, {u"Washout", 3}, {u"BlackWhite", 4}, {u"Colorify", 5},
};
constexpr VocabularyRow kShadowType[] = {
    {u"None", 0},
    {u"OffsetBottomRight", 1},
    {u"OffsetBottom", 2},
    {u"OffsetBottomLeft", 3},
    {u"OffsetRight", 4},
    {u"OffsetCenter", 5},
    {u"OffsetLeft", 6},
    {u"OffsetTopRight", 7},
    {u"OffsetTop", 8},
    {u"OffsetTopLeft", 9},
    {u"InsideTopLeft", 10},
    {u"InsideTop", 11},
    {u"InsideTopRight", 12},
    {u"InsideLeft", 13},
    {u"InsideCenter", 14},
    {u"InsideRight", 15},
    {u"InsideBottomLeft", 16},
    {u"InsideBottom", 17},
    {u"InsideBottomRight", 18},
    {u"PerspectUpperLeft", 19},
    {u"PerspectUpperRight", 20},
    {u"PerspectBelow", 21},
    {u"PerspectLowerLeft", 22},
    {u"PerspectLowerRight", 23},
};
constexpr VocabularyRow kColorType[] = {{u"None", 0}, {u"Custom", 1}};
// The GDI+ hatch styles; "LargeGrid" is a second name of style 4 ("Cross").
constexpr VocabularyRow kHatchStyle[] = {
    {u"Horizontal", 0},
    {u"Vertical", 1},
    {u"ForwardDiagonal", 2},
    {u"BackwardDiagonal", 3},
    {u"Cross", 4},
    {u"DiagonalCross", 5},
    {u"Percent05", 6},
    {u"Percent10", 7},
    {u"Percent20", 8},
    {u"Percent25", 9},
    {u"Percent30", 10},
    {u"Percent40", 11},
    {u"Percent50", 12},
    {u"Percent60", 13},
    {u"Percent70", 14},
    {u"Percent75", 15},
    {u"Percent80", 16},
    {u"Percent90", 17},
    {u"LightDownwardDiagonal", 18},
    {u"LightUpwardDiagonal", 19},
    {u"DarkDownwardDiagonal", 20},
    {u"DarkUpwardDiagonal", 21},
    {u"WideDownwardDiagonal", 22},
    {u"WideUpwardDiagonal", 23},
    {u"LightVertical", 24},
    {u"LightHorizontal", 25},
    {u"NarrowVertical", 26},
    {u"NarrowHorizontal", 27},
    {u"DarkVertical", 28},
    {u"DarkHorizontal", 29},
    {u"DashedDownwardDiagonal", 30},
    {u"DashedUpwardDiagonal", 31},
    {u"DashedHorizontal", 32},
    {u"DashedVertical", 33},
    {u"SmallConfetti", 34},
    {u"LargeConfetti", 35},
    {u"ZigZag", 36},
    {u"Wave", 37},
    {u"DiagonalBrick", 38},
    {u"HorizontalBrick", 39},
    {u"Weave", 40},
    {u"Plaid", 41},
    {u"Divot", 42},
    {u"DottedGrid", 43},
    {u"DottedDiamond", 44},
    {u"Shingle", 45},
    {u"Trellis", 46},
    {u"Sphere", 47},
    {u"SmallGrid", 48},
    {u"SmallCheckerBoard", 49},
    {u"LargeCheckerBoard", 50},
    {u"OutlinedDiamond", 51},
    {u"SolidDiamond", 52},
    {u"LargeGrid", 4},
};

}  // namespace

const VocabularyTable BevelType("BevelType", kBevelType);
const VocabularyTable MaterialType("MaterialType", kMaterialType);
const VocabularyTable LightRigType("LightRigType", kLightRigType);
const VocabularyTable CameraPreset("CameraPreset", kCameraPreset);
const VocabularyTable FillType("FillType", kFillType);
const VocabularyTable GradientType("GradientType", kGradientType);
const VocabularyTable GradientDirection("GradientDirection", kGradientDirection);
const VocabularyTable TextureMode("TextureMode", kTextureMode);
const VocabularyTable TextureAlignment("TextureAlignment", kTextureAlignment);
const VocabularyTable FlipMode("FlipMode", kFlipMode);
const VocabularyTable LineCompound("LineCompound", kLineCompound);
const VocabularyTable LineDash("LineDash", kLineDash);
const VocabularyTable LineCap("LineCap", kLineCap);
const VocabularyTable LineJoin("LineJoin", kLineJoin);
const VocabularyTable ArrowType("ArrowType", kArrowType);
const VocabularyTable ArrowSize("ArrowSize", kArrowSize);
const VocabularyTable RecolorMode("RecolorMode", kRecolorMode);
const VocabularyTable ShadowType("ShadowType", kShadowType);
const VocabularyTable ColorType("ColorType", kColorType);
const VocabularyTable HatchStyle("HatchStyle", kHatchStyle);

const VocabularyTable* const kAllTables[] = {
    &BevelType,   &MaterialType,     &LightRigType, &CameraPreset, &FillType,  &GradientType, &GradientDirection,
    &TextureMode, &TextureAlignment, &FlipMode,     &LineCompound, &LineDash,  &LineCap,      &LineJoin,
    &ArrowType,   &ArrowSize,        &RecolorMode,  &ShadowType,   &ColorType, &HatchStyle,
};
const size_t kAllTableCount = sizeof(kAllTables) / sizeof(kAllTables[0]);

}  // namespace Vocabulary
}  // namespace Present
