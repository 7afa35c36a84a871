#include "tiff_oracle.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace oracle {

namespace {

// A growable in-memory file behind TIFFClientOpen.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    toff_t pos = 0;
};

tmsize_t mem_read(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MemoryFile*>(h);
    if (f->pos >= f->bytes.size()) return 0;
    tmsize_t avail = static_cast<tmsize_t>(std::min<toff_t>(static_cast<toff_t>(n), f->bytes.size() - f->pos));
    std::memcpy(buf, f->bytes.data() + f->pos, static_cast<size_t>(avail));
    f->pos += static_cast<toff_t>(avail);
    return avail;
}

tmsize_t mem_write(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MemoryFile*>(h);
    size_t end = static_cast<size_t>(f->pos) + static_cast<size_t>(n);
    if (f->bytes.size() < end) f->bytes.resize(end);
    std::memcpy(f->bytes.data() + f->pos, buf, static_cast<size_t>(n));
    f->pos = end;
    return n;
}

toff_t mem_seek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : f->bytes.size();
    f->pos = base + off;
    return f->pos;
}

int mem_close(thandle_t) { return 0; }
toff_t mem_size(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes.size(); }
int mem_map(thandle_t, void**, toff_t*) { return 0; }
void mem_unmap(thandle_t, void*, toff_t) {}

std::string g_errors;

void collect(const char* module, const char* fmt, va_list ap) {
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    g_errors += (module ? std::string(module) + ": " : std::string()) + text + "\n";
}

struct Handlers {
    TIFFErrorHandler error, warning;
    Handlers() : error(TIFFSetErrorHandler(collect)), warning(TIFFSetWarningHandler(collect)) { g_errors.clear(); }
    ~Handlers() {
        TIFFSetErrorHandler(error);
        TIFFSetWarningHandler(warning);
    }
};

TIFF* open(MemoryFile& f, const char* mode) {
    f.pos = 0;
    return TIFFClientOpen("mem", mode, &f, mem_read, mem_write, mem_seek, mem_close, mem_size, mem_map, mem_unmap);
}

void set_fields(TIFF* t, int32_t width, int32_t rows) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(rows));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(rows));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
}

}  // namespace

Decoded g4_decode(const std::vector<uint8_t>& data, int32_t width, int32_t rows) {
    Handlers handlers;
    Decoded out;
    MemoryFile f;
    TIFF* t = open(f, "w");
    if (!t) return out;
    set_fields(t, width, rows);
    std::vector<uint8_t> copy = data;
    TIFFWriteRawStrip(t, 0, copy.data(), static_cast<tmsize_t>(copy.size()));
    TIFFClose(t);

    t = open(f, "r");
    if (!t) return out;
    size_t size = static_cast<size_t>(width / 8) * static_cast<size_t>(rows);
    out.rows.assign(size, 0);
    tmsize_t got = TIFFReadEncodedStrip(t, 0, out.rows.data(), static_cast<tmsize_t>(size));
    TIFFClose(t);
    out.errors = g_errors;
    out.ok = got == static_cast<tmsize_t>(size) && out.errors.empty();
    return out;
}

std::vector<uint8_t> g4_encode(const std::vector<uint8_t>& row_bytes, int32_t width, int32_t rows) {
    Handlers handlers;
    MemoryFile f;
    TIFF* t = open(f, "w");
    if (!t) return {};
    set_fields(t, width, rows);
    std::vector<uint8_t> copy = row_bytes;
    TIFFWriteEncodedStrip(t, 0, copy.data(), static_cast<tmsize_t>(copy.size()));
    TIFFClose(t);

    t = open(f, "r");
    if (!t) return {};
    uint64_t* counts = nullptr;
    std::vector<uint8_t> raw;
    if (TIFFGetField(t, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts) {
        raw.resize(static_cast<size_t>(counts[0]));
        TIFFReadRawStrip(t, 0, raw.data(), static_cast<tmsize_t>(raw.size()));
    }
    TIFFClose(t);
    return raw;
}

}  // namespace oracle
