#include "preview.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

#include "g4_decode.h"
#include "job_reader.h"

namespace job {

namespace {

// The 16 x 16 threshold matrix the printer's halftone fills use.
const uint8_t k_threshold[16][16] = {
    {2, 210, 34, 242, 74, 154, 106, 186, 3, 211, 35, 243, 75, 155, 107, 187},
    {146, 66, 178, 98, 218, 10, 250, 42, 147, 67, 179, 99, 219, 11, 251, 43},
    {194, 18, 226, 50, 138, 90, 170, 122, 195, 19, 227, 51, 139, 91, 171, 123},
    {82, 130, 114, 162, 26, 202, 58, 234, 83, 131, 115, 163, 27, 203, 59, 235},
    {110, 190, 78, 158, 38, 246, 6, 214, 111, 191, 79, 159, 39, 247, 7, 215},
    {254, 46, 222, 14, 182, 102, 150, 70, 255, 47, 223, 15, 183, 103, 151, 71},
    {174, 126, 142, 94, 230, 54, 198, 22, 175, 127, 143, 95, 231, 55, 199, 23},
    {62, 238, 30, 206, 118, 166, 86, 134, 63, 239, 31, 207, 119, 167, 87, 135},
    {4, 212, 36, 244, 76, 156, 108, 188, 5, 213, 37, 245, 77, 157, 109, 189},
    {148, 68, 180, 100, 220, 12, 252, 44, 149, 69, 181, 101, 221, 13, 253, 45},
    {196, 20, 228, 52, 140, 92, 172, 124, 197, 21, 229, 53, 141, 93, 173, 125},
    {84, 132, 116, 164, 28, 204, 60, 236, 85, 133, 117, 165, 29, 205, 61, 237},
    {112, 192, 80, 160, 40, 248, 8, 216, 113, 193, 81, 161, 41, 249, 9, 217},
    {255, 48, 224, 16, 184, 104, 152, 72, 1, 49, 225, 17, 185, 105, 153, 73},
    {176, 128, 144, 96, 232, 56, 200, 24, 177, 129, 145, 97, 233, 57, 201, 25},
    {64, 240, 32, 208, 120, 168, 88, 136, 65, 241, 33, 209, 121, 169, 89, 137},
};

// Dash proportions per line type (on, off, on, off ...), from the printer's line patterns.
const std::vector<double> k_dashes[9] = {
    {}, {0.02, 0.98}, {25, 50, 25}, {35, 30, 35}, {40, 10, 0, 10, 40}, {35, 10, 10, 10, 35},
    {25, 10, 10, 10, 10, 10, 25}, {35, 10, 0, 10, 0, 10, 35}, {25, 10, 0, 10, 10, 10, 0, 10, 25},
};

constexpr long long MAX_PIXELS = 100LL * 1000 * 1000;  // a 200 x 150 in sheet at 200 dpi, say

// A picture coordinate as an int, held just outside the picture so that nothing drawn
// from arbitrary job values can overflow the conversion.
int clamp_px(double v, int limit) {
    if (!(v > -2.0)) return -2;
    if (!(v < limit + 2.0)) return limit + 2;
    return static_cast<int>(std::floor(v));
}

// Device coordinates (y up) to picture pixels.
struct Sheet {
    double units_per_inch = 1016;
    double origin_x = 0, origin_y = 0;  // device offset of the plot area's origin on the sheet
    double width_units = 0, height_units = 0;
};

class Canvas {
public:
    Canvas(const Sheet& sheet, double dpi) : sheet_(sheet), scale_(dpi / sheet.units_per_inch) {
        double w = std::ceil(sheet.width_units * scale_), h = std::ceil(sheet.height_units * scale_);
        if (!(w >= 1 && h >= 1) || w * h > MAX_PIXELS)
            throw std::runtime_error("the sheet is too large (or empty) at this resolution; use a lower --dpi");
        pic_.width = static_cast<int>(w);
        pic_.height = static_cast<int>(h);
        pic_.grey.assign(static_cast<size_t>(pic_.width) * pic_.height, 255);
    }

    double px(double x) const { return (x + sheet_.origin_x) * scale_; }
    double py(double y) const { return pic_.height - (y + sheet_.origin_y) * scale_; }
    double scale() const { return scale_; }

    void dot(int x, int y, uint8_t v = 0) {
        if (x < 0 || y < 0 || x >= pic_.width || y >= pic_.height) return;
        uint8_t& p = pic_.grey[static_cast<size_t>(y) * pic_.width + x];
        p = std::min(p, v);
    }

    void disc(double cx, double cy, double r) {
        int x0 = clamp_px(cx - r, pic_.width), x1 = clamp_px(cx + r + 1, pic_.width);
        int y0 = clamp_px(cy - r, pic_.height), y1 = clamp_px(cy + r + 1, pic_.height);
        if (r < 0.75) { dot(clamp_px(cx, pic_.width), clamp_px(cy, pic_.height)); return; }
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r) dot(x, y);
    }

    // A line in device units with a width in device units and a dash pattern.
    void line(double x0, double y0, double x1, double y1, double width_units, const std::vector<double>& dashes, double pattern_units) {
        double ax = px(x0), ay = py(y0), bx = px(x1), by = py(y1);
        double len = std::hypot(bx - ax, by - ay);
        double r = std::max(0.5, width_units * scale_ / 2);
        double total = 0;
        for (double d : dashes) total += d;
        double period = pattern_units * scale_;
        int steps = std::max(1, std::min(clamp_int(std::ceil(len * 2)), 4 * (pic_.width + pic_.height)));
        for (int k = 0; k <= steps; ++k) {
            double t = static_cast<double>(k) / steps;
            if (!dashes.empty() && period > 0 && total > 0) {
                double pos = std::fmod(t * len + phase_, period) / period * total;
                bool on = true;
                for (double d : dashes) {
                    if (pos < d) break;
                    pos -= d;
                    on = !on;
                }
                if (!on) continue;
            }
            disc(ax + (bx - ax) * t, ay + (by - ay) * t, r);
        }
        phase_ += len;
    }
    void reset_phase() { phase_ = 0; }

    // Even-odd fill of a polygon (device units); `pattern` gives the 16 x 16 dot pattern.
    void fill(const std::vector<std::pair<double, double>>& pts, const uint16_t pattern[16]) {
        if (pts.size() < 3) return;
        double ymin = 1e300, ymax = -1e300;
        for (auto& p : pts) {
            ymin = std::min(ymin, py(p.second));
            ymax = std::max(ymax, py(p.second));
        }
        int y0 = std::max(0, clamp_px(ymin, pic_.height)), y1 = std::min(pic_.height - 1, clamp_px(ymax + 1, pic_.height));
        std::vector<double> xs;
        for (int y = y0; y <= y1; ++y) {
            double cy = y + 0.5;
            xs.clear();
            for (size_t i = 0; i < pts.size(); ++i) {
                double ax = px(pts[i].first), ay = py(pts[i].second);
                double bx = px(pts[(i + 1) % pts.size()].first), by = py(pts[(i + 1) % pts.size()].second);
                if ((ay <= cy) != (by <= cy)) xs.push_back(ax + (cy - ay) / (by - ay) * (bx - ax));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                int xa = std::max(0, clamp_px(std::ceil(xs[k] - 0.5), pic_.width));
                int xb = std::min(pic_.width - 1, clamp_px(xs[k + 1] - 0.5, pic_.width));
                for (int x = xa; x <= xb; ++x)
                    if (pattern[y & 15] & (0x8000 >> (x & 15))) dot(x, y);
            }
        }
    }

    // One-bit rows (1 = black) placed with their first pixel at (x, y) in device units,
    // `dot_units` device units per dot; rows advance along +y (or +x when `columns`).
    // Dots smaller than a picture pixel are averaged, so a halftone shows as grey.
    void bitmap(const G4Image& img, int shown_width, double x, double y, double dot_units, bool columns) {
        if (img.rows_decoded == 0 || shown_width <= 0) return;
        double across = dot_units * scale_;
        if (across >= 1) {
            bitmap_large(img, shown_width, x, y, dot_units, columns);
            return;
        }
        double w_units = (columns ? img.rows_decoded : shown_width) * dot_units;
        double h_units = (columns ? shown_width : img.rows_decoded) * dot_units;
        int left = clamp_px(px(x), pic_.width), top = clamp_px(py(y + h_units), pic_.height);
        int right = clamp_px(px(x + w_units), pic_.width), bottom = clamp_px(py(y), pic_.height);
        if (right < left || bottom < top) return;
        int w = right - left + 1, h = bottom - top + 1;
        std::vector<uint32_t> black(static_cast<size_t>(w) * h), total(black.size());
        // Picture column or row of each dot along the raster row (the same for every row).
        std::vector<int> along(static_cast<size_t>(shown_width));
        for (int c = 0; c < shown_width; ++c)
            along[c] = columns ? clamp_px(py(y + (c + 0.5) * dot_units), pic_.height) - top
                               : clamp_px(px(x + (c + 0.5) * dot_units), pic_.width) - left;
        for (int r = 0; r < img.rows_decoded; ++r) {
            const std::vector<uint8_t>& row = img.rows[r];
            int fixed = columns ? clamp_px(px(x + (r + 0.5) * dot_units), pic_.width) - left
                                : clamp_px(py(y + (r + 0.5) * dot_units), pic_.height) - top;
            if (fixed < 0 || fixed >= (columns ? w : h)) continue;
            int n = std::min(shown_width, static_cast<int>(row.size()) * 8);
            for (int c = 0; c < n; ++c) {
                int a = along[c];
                if (a < 0 || a >= (columns ? h : w)) continue;
                size_t k = columns ? static_cast<size_t>(a) * w + fixed : static_cast<size_t>(fixed) * w + a;
                ++total[k];
                black[k] += (row[c >> 3] >> (7 - (c & 7))) & 1;
            }
        }
        for (int iy = 0; iy < h; ++iy)
            for (int ix = 0; ix < w; ++ix) {
                size_t k = static_cast<size_t>(iy) * w + ix;
                if (total[k] && black[k]) dot(left + ix, top + iy, static_cast<uint8_t>(255 - 255 * black[k] / total[k]));
            }
    }

    // Dots at least a picture pixel across: each is a filled block.
    void bitmap_large(const G4Image& img, int shown_width, double x, double y, double dot_units, bool columns) {
        for (int r = 0; r < img.rows_decoded; ++r) {
            const std::vector<uint8_t>& row = img.rows[r];
            for (int c = 0; c < shown_width && c / 8 < static_cast<int>(row.size()); ++c) {
                if (!(row[c >> 3] & (0x80 >> (c & 7)))) continue;
                double dx = columns ? r : c, dy = columns ? c : r;
                double ux = x + dx * dot_units, uy = y + dy * dot_units;
                int pa = clamp_px(px(ux), pic_.width), pb = clamp_px(py(uy + dot_units), pic_.height);
                int pa2 = std::max(pa, clamp_px(px(ux + dot_units), pic_.width) - 1);
                int pb2 = std::max(pb, clamp_px(py(uy), pic_.height) - 1);
                for (int yy = pb; yy <= pb2; ++yy)
                    for (int xx = pa; xx <= pa2; ++xx) dot(xx, yy);
            }
        }
    }

    Picture take() { return std::move(pic_); }

private:
    Sheet sheet_;
    double scale_;
    double phase_ = 0;
    Picture pic_;
};

void pattern_for_grey(int grey, uint16_t out[16]) {
    for (int r = 0; r < 16; ++r) {
        out[r] = 0;
        for (int c = 0; c < 16; ++c)
            if (k_threshold[r][c] > grey) out[r] |= 0x8000 >> c;
    }
}

const uint16_t k_solid[16] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                              0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};

// ---------- HP-GL/2 ----------

Picture render_hpgl(const Job& j, double dpi, PreviewStats& st) {
    Sheet sheet;
    double margin = 0;
    for (const Item& it : j.items) {
        if (it.kind != Item::HPGL) continue;
        std::vector<double> n = hpgl_numbers(it.params);
        if (it.mnemonic == "IP" && n.size() == 4) {
            margin = n[0];
            sheet.width_units = n[2] + margin;
            sheet.height_units = n[3] + margin;
            sheet.origin_x = sheet.origin_y = margin;
            break;
        }
    }
    if (sheet.width_units <= 0) throw std::runtime_error("the job sets no plot area (no IP instruction)");
    Canvas cv(sheet, dpi);
    std::map<int, int> pen_grey;
    int pen = 1, line_type = 0;
    double pattern_len = 0, width_units = 0.35 / 25.4 * 1016;
    double diag = std::hypot(sheet.width_units, sheet.height_units);
    bool polygon = false;
    std::vector<std::pair<double, double>> poly;
    double x = 0, y = 0;
    int rtl_width = 0, rtl_rows = 0, dpi_rtl = 300;
    double cap_x = 0, cap_y = 0;
    bool pending_bitmap = false;
    std::vector<double> window;  // the last IW: how the image in raster mode is laid out
    bool new_window = false, columns = false;
    for (const Item& it : j.items) {
        if (it.kind == Item::HPGL) {
            std::vector<double> n = hpgl_numbers(it.params);
            const std::string& m = it.mnemonic;
            if (m == "PC" && n.size() == 4) pen_grey[clamp_int(n[0])] = clamp_int((n[1] + n[2] + n[3]) / 3);
            else if (m == "SP" && !n.empty()) pen = clamp_int(n[0]);
            else if (m == "LT") { line_type = n.empty() ? 0 : std::abs(clamp_int(n[0])); pattern_len = n.size() > 1 ? n[1] / 100 * diag : 0; }
            else if (m == "PW" && !n.empty()) width_units = n[0] / 25.4 * 1016;
            else if ((m == "PA" || m == "PU") && n.size() >= 2) { x = n[n.size() - 2]; y = n[n.size() - 1]; }
            else if (m == "PR" && n.size() >= 2) { x += n[0]; y += n[1]; }
            else if (m == "IW") { window = n; new_window = true; }
            else if (m == "PM" && !n.empty() && n[0] == 0) { polygon = true; poly.assign(1, {x, y}); }
            else if (m == "PM" && !n.empty() && n[0] == 2) polygon = false;
            else if (m == "FP") {
                auto g = pen_grey.find(pen);
                uint16_t pat[16];
                pattern_for_grey(g == pen_grey.end() ? 0 : g->second, pat);
                cv.fill(poly, g == pen_grey.end() || g->second == 0 ? k_solid : pat);
                ++st.polygons;
                poly.clear();
            }
            continue;
        }
        if (it.kind == Item::PE) {
            cv.reset_phase();
            for (const PeStep& s : it.steps) {
                if (polygon) poly.push_back({static_cast<double>(s.x), static_cast<double>(s.y)});
                else if (s.pen_down) {
                    int lt = line_type >= 0 && line_type <= 8 ? line_type : 0;
                    cv.line(x, y, s.x, s.y, width_units, k_dashes[lt], pattern_len);
                    ++st.lines;
                }
                x = static_cast<double>(s.x);
                y = static_cast<double>(s.y);
            }
            if (polygon && poly.size() > 1 && poly.front() == poly.back()) poly.pop_back();
            continue;
        }
        if (it.kind != Item::RTL) continue;
        const std::string& m = it.mnemonic;
        if (m == "%A") {
            cap_x = x;
            cap_y = y;
            pending_bitmap = true;
            // The first band of an image tells its order; later bands keep it.
            // Column order starts at the frame's near corner, the window given as x0, y0,
            // x1, y1: each raster row is a column of the frame, rows advance along x. Row
            // order starts at the far x edge: rows are lines across the frame, advancing
            // along y, drawn back from that edge so the picture lands in its frame.
            if (new_window) columns = window.size() == 4 && window[0] == x && window[1] == y;
            new_window = false;
        }
        else if (m == "*tR") dpi_rtl = std::max(1, std::atoi(it.params.c_str()));
        else if (m == "*rS") rtl_width = std::atoi(it.params.c_str());
        else if (m == "*rT") rtl_rows = std::atoi(it.params.c_str());
        else if (m == "*bW" && it.data.size() >= 4 && pending_bitmap) {
            int w = be_number(it.data, 0, 4);
            G4Image img = decode_g4(it.data.substr(4), w, rtl_rows);
            double dot = 1016.0 / dpi_rtl;
            cv.bitmap(img, rtl_width, columns ? cap_x : cap_x - rtl_width * dot, cap_y, dot, columns);
            ++st.images;
        }
    }
    return cv.take();
}

// ---------- QDPX ----------

// The sheet of a QDPX job: the page corner it marks, grown to everything drawn (the mark
// is scaled like a host coordinate, so on its own it can fall short of the drawing).
Sheet qdpx_sheet(const Job& j) {
    Sheet sheet;
    sheet.units_per_inch = 400;
    double w = 0, h = 0;
    auto grow = [&](double x, double y) {
        w = std::max(w, x);
        h = std::max(h, y);
    };
    for (const Item& it : j.items) {
        if (it.kind != Item::QDPX) continue;
        if ((it.opcode == 0x64 || it.opcode == 0x6B) && it.data.size() >= (it.opcode == 0x64 ? 8u : 16u)) {
            int n = it.opcode == 0x64 ? 2 : 4;
            double x = be_number(it.data, 0, n), y = be_number(it.data, n, n);
            grow(x, y);
            grow(x + be_number(it.data, 2 * n, n), y + be_number(it.data, 3 * n, n));
        } else if (it.opcode == 0xFF && (it.sub == 0x7C || it.sub == 0x83)) {
            int n = it.sub == 0x7C ? 2 : 4;
            double x = 0, y = 0;
            for (size_t k = 0; k + 2 * n <= it.data.size(); k += 2 * n) {
                double a = be_number(it.data, k, n), b = be_number(it.data, k + n, n);
                x = k == 0 ? a : x + a;
                y = k == 0 ? b : y + b;
                grow(x, y);
            }
        } else if (it.opcode == 0x9B && it.sub == 0x5F && it.data.size() >= 16) {
            bool sized = it.data.size() >= 26;
            grow(static_cast<double>(be_number(it.data, 0, 4)) + be_number(it.data, sized ? 16 : 8, 4),
                 static_cast<double>(be_number(it.data, 4, 4)) + be_number(it.data, sized ? 20 : 12, 4));
        }
    }
    // A little paper beyond the outermost mark, so lines on the edge are drawn whole.
    sheet.width_units = w > 0 ? w + 0.25 * 400 : 0;
    sheet.height_units = h > 0 ? h + 0.25 * 400 : 0;
    return sheet;
}

Picture render_qdpx(const Job& j, double dpi, PreviewStats& st) {
    Sheet sheet = qdpx_sheet(j);
    if (sheet.width_units <= 0 || sheet.height_units <= 0) throw std::runtime_error("the job marks no page corner");
    Canvas cv(sheet, dpi);
    std::map<int, std::array<uint16_t, 16>> patterns;
    int req_pen = 0, line_type = 0;
    double width_units = 1;
    int marks_seen = 0;
    struct Block {
        int32_t x, y, w, rows;
        double dot;  // device units per dot
        const Item* data;
    };
    std::vector<Block> blocks;
    Block placed{0, 0, 0, 0, 1, nullptr};
    for (const Item& it : j.items) {
        if (it.kind != Item::QDPX) continue;
        switch (it.opcode) {
            case 0x32:
                if (it.words.size() >= 19) {
                    std::array<uint16_t, 16> p{};
                    for (int r = 0; r < 16; ++r) p[r] = static_cast<uint16_t>(it.words[3 + r]);
                    patterns[it.words[0]] = p;
                }
                break;
            case 0x47: if (!it.words.empty()) req_pen = it.words[0]; break;
            case 0x43: if (!it.words.empty()) line_type = it.words[0]; break;
            case 0x40: if (!it.words.empty()) width_units = std::max(1, it.words[0]); break;
            case 0x64: case 0x6B: {
                int n = it.opcode == 0x64 ? 2 : 4;
                if (it.data.size() < static_cast<size_t>(4 * n)) break;
                if (marks_seen < 2) { ++marks_seen; break; }  // the two page corners
                double x0 = be_number(it.data, 0, n), y0 = be_number(it.data, n, n);
                int lt = line_type >= 0 && line_type <= 8 ? line_type : 0;
                cv.line(x0, y0, x0 + be_number(it.data, 2 * n, n), y0 + be_number(it.data, 3 * n, n), width_units, k_dashes[lt], 0.5 * 400);
                ++st.lines;
                break;
            }
            case 0xFF: {
                int n = it.sub == 0x7C ? 2 : 4;
                std::vector<std::pair<double, double>> pts;
                double x = 0, y = 0;
                for (size_t k = 0; k + 2 * n <= it.data.size(); k += 2 * n) {
                    double a = be_number(it.data, k, n), b = be_number(it.data, k + n, n);
                    if (k == 0) { x = a; y = b; } else { x += a; y += b; }
                    pts.push_back({x, y});
                }
                auto p = patterns.find(req_pen);
                cv.fill(pts, p == patterns.end() ? k_solid : p->second.data());
                ++st.polygons;
                break;
            }
            case 0x9B:
                if (it.sub == 0x5F && it.data.size() >= 16) {
                    placed = Block{be_number(it.data, 0, 4), be_number(it.data, 4, 4), be_number(it.data, 8, 4), be_number(it.data, 12, 4),
                                   // Without a target size (300 and 600 dpi) a dot takes one unit,
                                   // as the band advance between blocks counts it.
                                   it.data.size() >= 26 ? static_cast<double>(be_number(it.data, 16, 4)) / std::max(1, be_number(it.data, 8, 4)) : 1.0,
                                   nullptr};
                } else if (it.sub == 0x5C && placed.w > 0 && placed.rows > 0 && !(placed.w == 32 && placed.rows == 1)) {
                    // (The 32 x 1 background patch only whitens the paper: nothing to draw.)
                    placed.data = &it;
                    blocks.push_back(placed);
                }
                break;
            default: break;
        }
    }
    // A banded image advances its position by each band's rows: along x when its raster
    // rows are columns of the frame, along y otherwise. A lone band follows the sheet:
    // landscape sheets are fetched column by column.
    bool landscape = sheet.width_units >= sheet.height_units;
    for (size_t k = 0; k < blocks.size(); ++k) {
        const Block& b = blocks[k];
        bool columns = landscape;
        const Block* next = k + 1 < blocks.size() ? &blocks[k + 1] : nullptr;
        const Block* prev = k > 0 ? &blocks[k - 1] : nullptr;
        if (next && next->w == b.w && next->x == b.x + b.rows && next->y == b.y) columns = true;
        else if (next && next->w == b.w && next->y == b.y + b.rows && next->x == b.x) columns = false;
        else if (prev && prev->w == b.w && b.x == prev->x + prev->rows && b.y == prev->y) columns = true;
        else if (prev && prev->w == b.w && b.y == prev->y + prev->rows && b.x == prev->x) columns = false;
        cv.bitmap(decode_g4(b.data->data, b.w, b.rows), b.w, b.x, b.y, b.dot > 0 ? b.dot : 1, columns);
        ++st.images;
    }
    return cv.take();
}

}  // namespace

Picture render_job(const std::string& bytes, double dpi, PreviewStats* stats) {
    if (!(dpi >= 1 && dpi <= 1200)) throw std::runtime_error("--dpi must be between 1 and 1200");
    Job j = read_job(bytes);
    PreviewStats st;
    Picture p;
    if (j.language == Language::QDPX) p = render_qdpx(j, dpi, st);
    else if (j.language == Language::HPGL) p = render_hpgl(j, dpi, st);
    else throw std::runtime_error("not a printer job of this driver (neither PJL nor QDPX)");
    if (stats) *stats = st;
    return p;
}

void write_png(const Picture& picture, const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) throw std::runtime_error("cannot start the PNG writer");
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("writing " + path + " failed");
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, const_cast<png_bytep>(picture.grey.data() + static_cast<size_t>(y) * picture.width));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

}  // namespace job
