#include "g4_decode.h"

#include <tiffio.h>

#include <cstring>

namespace job {

namespace {

// A small TIFF file in memory around the raw Group 4 data, so libtiff's own decoder reads it.
std::string wrap_in_tiff(const std::string& data, int width, int rows) {
    struct Tag {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const uint32_t data_at = 8;
    const uint32_t ifd_at = data_at + static_cast<uint32_t>(data.size()) + (data.size() & 1);
    const Tag tags[] = {
        {256, 4, 1, static_cast<uint32_t>(width)},  // ImageWidth
        {257, 4, 1, static_cast<uint32_t>(rows)},   // ImageLength
        {258, 3, 1, 1},                             // BitsPerSample
        {259, 3, 1, 4},                             // Compression: CCITT Group 4
        {262, 3, 1, 0},                             // Photometric: white is zero
        {266, 3, 1, 1},                             // FillOrder: first bit in the high bit
        {273, 4, 1, data_at},                       // StripOffsets
        {277, 3, 1, 1},                             // SamplesPerPixel
        {278, 4, 1, static_cast<uint32_t>(rows)},   // RowsPerStrip
        {279, 4, 1, static_cast<uint32_t>(data.size())},  // StripByteCounts
    };
    std::string f("II*\0", 4);
    f.append(reinterpret_cast<const char*>(&ifd_at), 4);
    f += data;
    if (data.size() & 1) f += '\0';
    uint16_t n = sizeof tags / sizeof tags[0];
    f.append(reinterpret_cast<const char*>(&n), 2);
    for (const Tag& t : tags) {
        f.append(reinterpret_cast<const char*>(&t.tag), 2);
        f.append(reinterpret_cast<const char*>(&t.type), 2);
        f.append(reinterpret_cast<const char*>(&t.count), 4);
        f.append(reinterpret_cast<const char*>(&t.value), 4);
    }
    uint32_t next = 0;
    f.append(reinterpret_cast<const char*>(&next), 4);
    return f;
}

struct MemFile {
    const std::string* bytes;
    toff_t pos;
};

tsize_t mem_read(thandle_t h, tdata_t buf, tsize_t n) {
    auto* m = static_cast<MemFile*>(h);
    if (m->pos >= m->bytes->size()) return 0;
    tsize_t avail = static_cast<tsize_t>(m->bytes->size() - m->pos);
    if (n > avail) n = avail;
    std::memcpy(buf, m->bytes->data() + m->pos, n);
    m->pos += n;
    return n;
}
tsize_t mem_write(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t mem_seek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemFile*>(h);
    toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->bytes->size();
    m->pos = base + off;
    return m->pos;
}
int mem_close(thandle_t) { return 0; }
toff_t mem_size(thandle_t h) { return static_cast<MemFile*>(h)->bytes->size(); }
int mem_map(thandle_t, tdata_t*, toff_t*) { return 0; }
void mem_unmap(thandle_t, tdata_t, toff_t) {}

void quiet(const char*, const char*, va_list) {}

}  // namespace

G4Image decode_g4(const std::string& data, int width, int rows) {
    G4Image img;
    img.width = width;
    if (width <= 0 || rows <= 0) return img;
    if (width > (1 << 20) || static_cast<int64_t>(width / 8 + 1) * rows > (int64_t{256} << 20)) {
        img.too_large = true;
        return img;
    }
    std::string file = wrap_in_tiff(data, width, rows);
    MemFile m{&file, 0};
    TIFFErrorHandler old_err = TIFFSetErrorHandler(quiet);
    TIFFErrorHandler old_warn = TIFFSetWarningHandler(quiet);
    TIFF* t = TIFFClientOpen("mmr", "r", &m, mem_read, mem_write, mem_seek, mem_close, mem_size, mem_map, mem_unmap);
    if (t) {
        std::vector<uint8_t> line(TIFFScanlineSize(t));
        for (int r = 0; r < rows; ++r) {
            if (TIFFReadScanline(t, line.data(), r, 0) < 0) break;
            img.rows.push_back(line);
            ++img.rows_decoded;
        }
        TIFFClose(t);
    }
    TIFFSetErrorHandler(old_err);
    TIFFSetWarningHandler(old_warn);
    return img;
}

}  // namespace job
