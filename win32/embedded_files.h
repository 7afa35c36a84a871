// The driver's resource files (driver/ui: the resource script, its id header and the
// bitmaps), compiled into the headless layer by embed_files.cmake.
#pragma once
#include <cstddef>

namespace headless {

struct EmbeddedFile {
    const char* name;  // file name without directory
    const unsigned char* data;
    size_t size;
};

extern const EmbeddedFile k_embedded_files[];
extern const int k_embedded_file_count;

}  // namespace headless
