// Raster image requests: the image is recorded by request 52 and produced at the top of
// the next plot-time request.
#pragma once

// Produces the pending image (called by the dispatcher before any request).
void image_flush();
