// Effects on images: blur, recolouring by a picture's settings, and the picture image a
// host hands the engine through its canvas owner.
#pragma once

#include <cstdint>

#include <luminar/Luminar.h>
#include <plastrum/format/StyleCache.h>
#include <plastrum/present/painting/RenderingImages.h>
#include <plastrum/present/shell/host_colors.h>
#include <plastrum/Export.h>

class IPresentCanvasOwner;

namespace Present::Rendering {

// The recolour colour of a picture that names none.
inline constexpr uint32_t kDefaultRecolorColor = 0xFF808080u;

// A new bitmap with alpha of the image's size holding its blur; null for a size or radius
// of 0 or less, or when the blur fails.
PLASTRUM_API Bitmap* BlurImage(Image* image, float radius);

// Takes the image and gives back one the caller owns: the image itself when the record asks
// for nothing (mode 0, brightness and contrast 0, alpha 255) or cannot be applied (a side
// of 0, a failed copy or recolour); else a new bitmap of the record's size with the image
// drawn into it and recoloured (mode 1 grayscale, 2 sepia, 3 washout, 4 black and white,
// 5 colorify; any other mode recolours as none). Null only for a null image.
PLASTRUM_API Image* RecolorImage(const NativeRecolorRecord& record, Image* image);

// The recolour record of a picture for an image of the given size.
PLASTRUM_API NativeRecolorRecord RecolorRecordOf(const Style::PictureRecord& picture, int32_t width, int32_t height,
                                                 ColorPalette12 palette);

// The picture's image: the owner gives the file of its binary-data identifier, which is
// loaded and recoloured by the picture. When the owner reports failure, the placeholder
// image (identifier -1) is loaded instead; an empty path, a picture without identifier or a
// file that does not load give null.
// The picture's file as loaded, before any recolour (*placeholder set when the placeholder
// stands in for it).
PLASTRUM_API Image* PictureFileImage(const Style::PictureRecord* picture, IPresentCanvasOwner* owner,
                                     bool* placeholder);
// *placeholder, when given, is set when the placeholder stands in (it is not recoloured).
PLASTRUM_API Image* PictureImage(const Style::PictureRecord* picture, IPresentCanvasOwner* owner,
                                 ColorPalette12 palette, bool* placeholder = nullptr);

}  // namespace Present::Rendering
