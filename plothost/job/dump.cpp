#include "dump.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "g4_decode.h"
#include "job_reader.h"

namespace job {

namespace {

std::string printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == 27) out += "ESC";
        else if (c < 32 || c == 127) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        } else out += static_cast<char>(c);
    }
    return out;
}

std::string hex(const std::string& s, size_t max) {
    std::string out;
    char b[4];
    for (size_t i = 0; i < s.size() && i < max; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", static_cast<uint8_t>(s[i]));
        out += b;
    }
    if (s.size() > max) out += " ...";
    return out;
}

const char* hpgl_name(const std::string& m) {
    static const std::map<std::string, const char*> k_names = {
        {"BP", "begin plot"}, {"IN", "initialise"}, {"MT", "media type"}, {"PS", "plot size"},
        {"IP", "scaling points"}, {"SC", "scale"}, {"IW", "input window"}, {"XF", "manual output"},
        {"LA", "line attributes"}, {"SP", "select pen"}, {"RF", "raster fill"}, {"NP", "number of pens"},
        {"CR", "colour range"}, {"PC", "pen colour"}, {"PU", "pen up"}, {"PA", "plot absolute"},
        {"PR", "plot relative"}, {"TR", "transparency"}, {"LT", "line type"}, {"PW", "pen width"},
        {"PM", "polygon mode"}, {"FP", "fill polygon"}, {"PG", "advance page"}, {"PD", "pen down"},
    };
    auto it = k_names.find(m);
    return it == k_names.end() ? "" : it->second;
}

struct RtlState {
    int width = 0, rows = 0;
};

void list_rtl(std::ostringstream& out, const Item& it, RtlState& rtl) {
    std::string seq = it.mnemonic.substr(0, it.mnemonic.size() - 1) + it.params + it.mnemonic.back();
    out << "RTL   ESC" << seq;
    const std::string& m = it.mnemonic;
    if (m == "%X") out << "  universal exit";
    else if (m == "%B") out << "  enter HP-GL/2";
    else if (m == "%A") out << "  enter HP-RTL";
    else if (m == "*tR") out << "  resolution " << it.params << " dpi";
    else if (m == "*rS") { out << "  raster width " << it.params; rtl.width = std::atoi(it.params.c_str()); }
    else if (m == "*rT") { out << "  raster height " << it.params; rtl.rows = std::atoi(it.params.c_str()); }
    else if (m == "*rA") out << "  start raster";
    else if (m == "*rC") out << "  end raster";
    else if (m == "*bM") out << "  compression " << it.params << (it.params == "8" ? " (MMR)" : "");
    else if (m == "&aN") out << "  negative motion " << it.params;
    else if (m == "*bW") {
        out << "  raster block: " << it.data.size() << " bytes";
        if (it.data.size() >= 4) {
            int w = be_number(it.data, 0, 4);
            G4Image img = decode_g4(it.data.substr(4), w, rtl.rows);
            out << ", width prefix " << w << ", " << it.data.size() - 4 << " bytes MMR, ";
            if (img.too_large) out << "too large to decode";
            else out << img.rows_decoded << " of " << rtl.rows << " rows decode";
        }
    }
    out << "\n";
}

void list_hpgl(std::ostringstream& out, const Item& it) {
    if (it.kind == Item::PE) {
        out << "HPGL  PE" << (it.pe_8bit ? "" : "7") << "  " << it.steps.size() << " points:";
        for (const PeStep& s : it.steps) out << (s.pen_down ? " line " : " move ") << "(" << s.x << "," << s.y << ")";
        out << "\n";
        return;
    }
    out << "HPGL  " << it.mnemonic << printable(it.params);
    const char* name = hpgl_name(it.mnemonic);
    if (*name) out << "  " << name;
    out << "\n";
}

const char* qdpx_name(const Item& it) {
    if (it.opcode == 0x9B) {
        switch (it.sub) {
            case 0x5E: return "job / transparency mode";
            case 0x4E: return "copies";
            case 0x62: return "manual output";
            case 0x52: return "resolution";
            case 0x5D: return "image data bracket";
            case 0x5F: return "image placement";
            case 0x5C: return "image data (MMR)";
            default: return "job command";
        }
    }
    if (it.opcode == 0xFF) return it.sub == 0x7C ? "polygon, 16-bit" : it.sub == 0x83 ? "polygon, 32-bit" : "extended record";
    switch (it.opcode) {
        case 0x14: return "job label";
        case 0x18: return it.sub == 0xFE ? "set-up block (70 fixed bytes)" : "set-up";
        case 0x20: case 0x23: return "set-up";
        case 0x30: return "pen table entry";
        case 0x32: return "fill pattern";
        case 0x36: return "line pattern";
        case 0x40: return "pen width";
        case 0x41: return "select pen";
        case 0x43: return "line type";
        case 0x47: return "requested pen";
        case 0x64: return "segment, 16-bit";
        case 0x6B: return "segment, 32-bit";
        case 0xF2: return "model identity";
        case 0xF3: return "end of page";
        default: return "record";
    }
}

void list_qdpx(std::ostringstream& out, const Item& it, RtlState& img) {
    char head[16];
    if (it.opcode == 0x9B || it.opcode == 0xFF) std::snprintf(head, sizeof head, "%02X %02X", it.opcode, it.sub);
    else std::snprintf(head, sizeof head, "%02X   ", it.opcode);
    out << "QDPX  " << head << "  " << qdpx_name(it);
    if (it.opcode == 0x9B && it.sub == 0x5F && it.data.size() >= 16) {
        img.width = be_number(it.data, 8, 4);
        img.rows = be_number(it.data, 12, 4);
        out << ": at (" << be_number(it.data, 0, 4) << "," << be_number(it.data, 4, 4) << "), " << img.width << " x " << img.rows;
        if (it.data.size() >= 26) out << " shown " << be_number(it.data, 16, 4) << " x " << be_number(it.data, 20, 4);
    } else if (it.opcode == 0x9B && it.sub == 0x5C) {
        G4Image g = decode_g4(it.data, img.width, img.rows);
        out << ": " << it.data.size() << " bytes, ";
        if (g.too_large) out << "too large to decode";
        else out << g.rows_decoded << " of " << img.rows << " rows decode";
    } else if (it.opcode == 0x9B && it.sub == 0x4E) {
        out << ": \"" << printable(it.data) << "\"";
    } else if (it.opcode == 0x14 && it.words.size() >= 1) {
        out << ": \"" << printable(it.data.substr(2, it.words[0])) << "\"";
    } else if (it.opcode == 0xF2) {
        // A record cut short in the job has no text after its first word.
        out << ": \"" << printable(it.data.size() > 2 ? it.data.substr(2) : std::string()) << "\"";
    } else if (it.opcode == 0x64 || it.opcode == 0x6B) {
        int n = it.opcode == 0x64 ? 2 : 4;
        if (it.data.size() >= static_cast<size_t>(4 * n))
            out << ": from (" << be_number(it.data, 0, n) << "," << be_number(it.data, n, n) << ") by (" << be_number(it.data, 2 * n, n)
                << "," << be_number(it.data, 3 * n, n) << ")";
    } else if (it.opcode == 0xFF) {
        int n = it.sub == 0x7C ? 2 : 4;
        size_t points = it.data.size() / (2 * n);
        out << ": " << points << " vertices";
        if (points) out << ", first (" << be_number(it.data, 0, n) << "," << be_number(it.data, n, n) << ")";
    } else if (it.opcode == 0x32 && it.words.size() >= 3) {
        out << " " << it.words[0] << " (" << it.words[1] << "x" << it.words[2] << ")";
    } else if (it.opcode == 0x30 && it.words.size() >= 2) {
        out << " pen " << it.words[0] << " grey " << it.words[1];
    } else if (!it.data.empty()) {
        out << ": " << hex(it.data, 24);
    }
    out << "\n";
}

}  // namespace

std::string dump_job(const std::string& bytes) {
    Job j = read_job(bytes);
    std::ostringstream out;
    out << "job: " << bytes.size() << " bytes, "
        << (j.language == Language::QDPX ? "QDPX" : j.language == Language::HPGL ? "PJL + HP-GL/2" : "unknown language") << "\n";
    RtlState rtl;
    std::map<std::string, int> counts;
    for (const Item& it : j.items) {
        char off[16];
        std::snprintf(off, sizeof off, "%08zX  ", it.offset);
        out << off;
        switch (it.kind) {
            case Item::PJL: out << "PJL   " << printable(it.params) << "\n"; break;
            case Item::HPGL: case Item::PE: list_hpgl(out, it); break;
            case Item::RTL: list_rtl(out, it, rtl); break;
            case Item::QDPX: list_qdpx(out, it, rtl); break;
            case Item::JUNK: out << "????  " << it.length << " bytes not understood: " << hex(it.data, 24) << "\n"; break;
        }
    }
    return out.str();
}

}  // namespace job
