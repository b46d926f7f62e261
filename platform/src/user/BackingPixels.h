// The pixels of top-level windows' backing surfaces, reused between windows.
#pragma once

typedef struct _cairo_surface cairo_surface_t;

namespace kx2::user {

// A black RGB24 image surface of the size, its pixels taken from a released backing when
// one is large enough (null when cairo cannot make it). Dialogs come and go and resize
// while they are laid out: fresh pages cost more to touch than the painting they hold.
cairo_surface_t* NewBackingSurface(int width, int height);

}  // namespace kx2::user
