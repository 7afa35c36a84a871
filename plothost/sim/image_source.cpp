#include "image_source.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

#ifdef PLOTHOST_PNG
#include <png.h>
#endif

namespace sim {

namespace {

int32_t rd32(const uint8_t* p, int off) {
    int32_t v;
    std::memcpy(&v, p + off, 4);
    return v;
}

void wr16(uint8_t* p, int off, int16_t v) { std::memcpy(p + off, &v, 2); }
void wr32(uint8_t* p, int off, uint32_t v) { std::memcpy(p + off, &v, 4); }

uint8_t clamp8(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

// Every source alive, for the release callback.
std::vector<ImageSource*> g_sources;

}  // namespace

Picture synthetic_colour(int32_t width, int32_t height) {
    Picture p{width, height, false, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double u = width > 1 ? double(x) / (width - 1) : 0, v = height > 1 ? double(y) / (height - 1) : 0;
            double horizon = 0.55 + 0.08 * std::sin(u * 9.0);
            double r, g, b;
            if (v < horizon) {  // sky: blue to pale
                r = 90 + 140 * v;
                g = 140 + 100 * v;
                b = 230 - 20 * v;
            } else {            // land: greens and browns with texture
                double t = 0.5 + 0.5 * std::sin(x * 0.37) * std::cos(y * 0.23);
                r = 70 + 90 * t;
                g = 110 + 60 * (1 - v) + 30 * t;
                b = 40 + 20 * t;
            }
            double dx = u - 0.7, dy = v - 0.3;
            if (dx * dx + dy * dy < 0.01) r = 250, g = 220, b = 80;  // sun
            size_t at = (static_cast<size_t>(y) * width + x) * 3;
            p.pixels[at] = clamp8(r);
            p.pixels[at + 1] = clamp8(g);
            p.pixels[at + 2] = clamp8(b);
        }
    }
    return p;
}

Picture synthetic_monochrome(int32_t width, int32_t height) {
    Picture p{width, height, true, std::vector<uint8_t>(static_cast<size_t>(width) * height, 0)};
    auto set = [&](int32_t x, int32_t y) {
        if (x >= 0 && x < width && y >= 0 && y < height) p.pixels[static_cast<size_t>(y) * width + x] = 1;
    };
    for (int32_t x = 0; x < width; ++x) {
        set(x, 0);
        set(x, height - 1);
        for (int32_t y = 16; y < height; y += 16) set(x, y);
    }
    for (int32_t y = 0; y < height; ++y) {
        set(0, y);
        set(width - 1, y);
        for (int32_t x = 16; x < width; x += 16) set(x, y);
        set(y * width / std::max(height, 1), y);
        set(width - 1 - y * width / std::max(height, 1), y);
    }
    for (int32_t y = height / 4; y < height / 2; ++y)
        for (int32_t x = width / 4; x < width / 2; ++x) set(x, y);
    return p;
}

Picture solid_colour(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
    Picture p{width, height, false, {}};
    p.pixels.reserve(static_cast<size_t>(width) * height * 3);
    for (int64_t i = 0; i < int64_t(width) * height; ++i) p.pixels.insert(p.pixels.end(), {r, g, b});
    return p;
}

namespace {

// Reads the next number of a PNM header or plain-text raster, skipping blanks and comments.
bool pnm_number(const std::string& s, size_t& i, int32_t& out) {
    for (;;) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i < s.size() && s[i] == '#') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        break;
    }
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    int64_t v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && v < 100000000) v = v * 10 + (s[i++] - '0');
    out = static_cast<int32_t>(v);
    return true;
}

bool load_pnm(const std::string& data, Picture& out, std::string& error) {
    if (data.size() < 2 || data[0] != 'P' || data[1] < '1' || data[1] > '6') {
        error = "not a PNM file";
        return false;
    }
    const int kind = data[1] - '0';
    size_t i = 2;
    int32_t w = 0, h = 0, maxval = 1;
    if (!pnm_number(data, i, w) || !pnm_number(data, i, h) || (kind != 1 && kind != 4 && !pnm_number(data, i, maxval))) {
        error = "bad PNM header";
        return false;
    }
    if (w <= 0 || h <= 0 || maxval <= 0 || maxval > 65535 || int64_t(w) * h > 100000000) {
        error = "unsupported PNM size";
        return false;
    }
    ++i;  // the single blank after the header of a binary file
    out = Picture{w, h, kind == 1 || kind == 4, {}};
    const size_t n = static_cast<size_t>(w) * h;
    const int channels = (kind == 3 || kind == 6) ? 3 : 1;
    const int sample_bytes = maxval > 255 ? 2 : 1;
    auto scale = [&](int32_t v) { return static_cast<uint8_t>(std::min<int64_t>(255, int64_t(v) * 255 / maxval)); };
    std::vector<uint8_t> samples(n * channels);
    if (kind <= 3) {
        size_t j = i - 1;
        for (size_t k = 0; k < samples.size(); ++k) {
            int32_t v;
            if (kind == 1) {  // bits may run together
                while (j < data.size() && std::isspace(static_cast<unsigned char>(data[j]))) ++j;
                if (j >= data.size()) { error = "PNM data ends early"; return false; }
                v = data[j++] == '1';
            } else if (!pnm_number(data, j, v)) {
                error = "PNM data ends early";
                return false;
            }
            samples[k] = kind == 1 ? static_cast<uint8_t>(v) : scale(v);
        }
    } else if (kind == 4) {
        const size_t row_bytes = (static_cast<size_t>(w) + 7) / 8;
        if (data.size() < i + row_bytes * h) { error = "PNM data ends early"; return false; }
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                samples[static_cast<size_t>(y) * w + x] = (data[i + y * row_bytes + x / 8] >> (7 - x % 8)) & 1;
    } else {
        if (data.size() < i + samples.size() * sample_bytes) { error = "PNM data ends early"; return false; }
        for (size_t k = 0; k < samples.size(); ++k) {
            const uint8_t* s = reinterpret_cast<const uint8_t*>(data.data()) + i + k * sample_bytes;
            samples[k] = scale(sample_bytes == 2 ? (s[0] << 8) | s[1] : s[0]);
        }
    }
    if (out.monochrome) {
        out.pixels = std::move(samples);  // 1 = black = foreground
    } else if (channels == 3) {
        out.pixels = std::move(samples);
    } else {
        out.pixels.resize(n * 3);
        for (size_t k = 0; k < n; ++k) out.pixels[3 * k] = out.pixels[3 * k + 1] = out.pixels[3 * k + 2] = samples[k];
    }
    return true;
}

#ifdef PLOTHOST_PNG
bool load_png(const std::string& path, Picture& out, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;  // composited over black when the file has alpha
    if (int64_t(image.width) * image.height > 100000000) {
        png_image_free(&image);
        error = "PNG too large";
        return false;
    }
    out = Picture{static_cast<int32_t>(image.width), static_cast<int32_t>(image.height), false,
                  std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
#endif

}  // namespace

bool load_picture(const std::string& path, Picture& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() >= 8 && std::memcmp(data.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
#ifdef PLOTHOST_PNG
        return load_png(path, out, error);
#else
        error = "PNG files are not supported in this build";
        return false;
#endif
    }
    return load_pnm(data, out, error);
}

// A reply record as the driver reads it (pixel address, byte count, stop and failure
// flags), followed by what the host keeps with it.
struct ImageSource::Reply {
    uint8_t record[16] = {};
    ImageSource* owner = nullptr;
    std::vector<uint8_t> pixels;
};

ImageSource::ImageSource(Picture p) : picture(std::move(p)) { g_sources.push_back(this); }

ImageSource::~ImageSource() {
    for (Reply* r : live_) delete r;  // replies the driver kept (a failed fetch is never released)
    g_sources.erase(std::find(g_sources.begin(), g_sources.end(), this));
}

size_t ImageSource::outstanding() const { return live_.size(); }

Packet ImageSource::request_packet(const ImageSpec& layout) {
    spec_ = layout;
    Packet p(52, 256);
    p.set_ptr(4, reinterpret_cast<const void*>(&ImageSource::fetch));
    p.set_ptr(8, reinterpret_cast<const void*>(&ImageSource::release));
    p.set_ptr(12, this);
    p.set_i32(16, layout.x0).set_i32(20, layout.y0).set_i32(24, layout.x1).set_i32(28, layout.y1);
    p.set_i32(32, layout.kind >= 0 ? layout.kind : (picture.monochrome ? 0 : 2));
    p.set_i32(36, layout.width >= 0 ? layout.width : picture.width);
    p.set_i32(40, layout.height >= 0 ? layout.height : picture.height);
    p.set_i16(44, layout.transparent).set_i16(46, layout.depth).set_i16(48, layout.colour_index);
    for (int k = 50; k < 122; ++k) p.set_u8(k, static_cast<uint8_t>(0xA0 + k));  // the host's own data
    return p;
}

int32_t ImageSource::line_of(const std::vector<uint8_t>& r) {
    return rd32(r.data(), 40) == 7 ? rd32(r.data(), 0) : rd32(r.data(), 4);
}

int32_t ImageSource::count_of(const std::vector<uint8_t>& r) {
    return (rd32(r.data(), 40) == 7 ? rd32(r.data(), 12) : rd32(r.data(), 8)) + 1;
}

void* ImageSource::fetch(void* request) {
    const uint8_t* req = static_cast<const uint8_t*>(request);
    auto* self = reinterpret_cast<ImageSource*>(static_cast<uintptr_t>(static_cast<uint32_t>(rd32(req, 32))));
    return self->answer(req);
}

void ImageSource::release(void* reply) {
    // Found by address among the replies of every source: the driver might hand back
    // anything, and nothing it hands back is read before it is known to be ours.
    for (ImageSource* s : g_sources) {
        auto it = std::find_if(s->live_.begin(), s->live_.end(), [&](Reply* r) { return r->record == reply; });
        if (it != s->live_.end()) {
            delete *it;
            s->live_.erase(it);
            ++s->releases;
            return;
        }
    }
    if (!g_sources.empty()) ++g_sources.back()->foreign_releases;
}

void* ImageSource::answer(const uint8_t* req) {
    requests.emplace_back(req, req + 144);
    const std::vector<uint8_t>& copy = requests.back();
    const int32_t line = line_of(copy);
    const int32_t asked = count_of(copy);
    const bool columns = rd32(req, 40) == 7;
    const bool colour = rd32(req, 36) == 8;

    auto* r = new Reply;
    r->owner = this;
    live_.push_back(r);
    if (line == faults.stop_at) {
        wr16(r->record, 12, 1);
        return r->record;
    }
    const int32_t n = std::max(0, std::min(asked + faults.pixel_delta, 1 << 24));
    const int bpp = colour ? 3 : 1;
    r->pixels.assign(static_cast<size_t>(n) * bpp, 0);

    // Where this line lies in the frame, and so in the picture.
    const double lo = rd32(req, columns ? 16 : 20), hi = rd32(req, columns ? 24 : 28);
    const double f0 = columns ? spec_.x0 : spec_.y0, f1 = columns ? spec_.x1 : spec_.y1;
    if (progress && f1 != f0) progress((hi - f0) / (f1 - f0));
    const int32_t across = columns ? picture.width : picture.height;  // picture lines
    const int32_t along = columns ? picture.height : picture.width;   // pixels per picture line
    int32_t at = f1 != f0 ? static_cast<int32_t>(((lo + hi) / 2 - f0) / (f1 - f0) * across) : 0;
    at = std::clamp(at, 0, std::max(across - 1, 0));
    uint8_t* out = r->pixels.data();
    if (along > 0 && across > 0) {
        // Nearest picture pixel for each of the pixels asked for, stepped without a division.
        const size_t stride = columns ? static_cast<size_t>(picture.width) : 1;
        const size_t base = columns ? static_cast<size_t>(at) : static_cast<size_t>(at) * picture.width;
        const uint8_t* src = picture.pixels.data();
        int64_t acc = 0;
        int32_t k = 0;
        const int32_t m = std::min(n, asked);
        for (int32_t j = 0; j < m; ++j) {
            const size_t i = base + static_cast<size_t>(k) * stride;
            if (picture.monochrome) {
                const uint8_t v = src[i];
                if (colour)
                    std::memset(out + static_cast<size_t>(j) * 3, v ? 0 : 255, 3);
                else
                    out[j] = v;
            } else {
                const uint8_t* c = src + i * 3;
                if (colour)
                    std::memcpy(out + static_cast<size_t>(j) * 3, c, 3);
                else
                    out[j] = (c[0] * 30 + c[1] * 59 + c[2] * 11) / 100 < 128;
            }
            for (acc += along; acc >= asked; acc -= asked) ++k;
        }
        // Pixels beyond the count asked for are black, so that an uncut reply would show.
        if (!colour)
            for (int32_t j = m; j < n; ++j) out[j] = 1;
    }
    wr32(r->record, 0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r->pixels.data())));
    wr32(r->record, 4, static_cast<uint32_t>(r->pixels.size()));
    if (line == faults.fail_at) wr16(r->record, 14, 1);
    return r->record;
}

namespace {
std::vector<std::unique_ptr<ImageSource>> g_script_images;
}

Packet script_image_packet(const std::string& args) {
    std::istringstream in(args);
    ImageSpec layout;
    if (!(in >> layout.x0 >> layout.y0 >> layout.x1 >> layout.y1)) throw std::runtime_error("image needs X0 Y0 X1 Y1");
    std::string picture = "colour", word;
    int32_t w = 64, h = 48;
    ReplyFaults faults;
    while (in >> word) {
        size_t eq = word.find('=');
        if (eq == std::string::npos) {
            picture = word;
            continue;
        }
        const std::string key = word.substr(0, eq);
        const int32_t v = std::atoi(word.c_str() + eq + 1);
        if (key == "w") w = v;
        else if (key == "h") h = v;
        else if (key == "kind") layout.kind = v;
        else if (key == "depth") layout.depth = static_cast<int16_t>(v);
        else if (key == "transparent") layout.transparent = static_cast<int16_t>(v);
        else if (key == "index") layout.colour_index = static_cast<int16_t>(v);
        else if (key == "stop") faults.stop_at = v;
        else if (key == "fail") faults.fail_at = v;
        else if (key == "delta") faults.pixel_delta = v;
        else throw std::runtime_error("unknown image key '" + key + "'");
    }
    if (w <= 0 || h <= 0 || int64_t(w) * h > 4000000) throw std::runtime_error("image size out of range");
    Picture pic;
    std::string error;
    if (picture == "colour") pic = synthetic_colour(w, h);
    else if (picture == "mono") pic = synthetic_monochrome(w, h);
    else if (!load_picture(picture, pic, error)) throw std::runtime_error(error);
    g_script_images.push_back(std::make_unique<ImageSource>(std::move(pic)));
    g_script_images.back()->faults = faults;
    return g_script_images.back()->request_packet(layout);
}

void script_images_clear() { g_script_images.clear(); }

Packet send_image(Host& host, ImageSource& source, const ImageSpec& layout) {
    Packet p = source.request_packet(layout);
    host.plot(p);
    return p;
}

}  // namespace sim
