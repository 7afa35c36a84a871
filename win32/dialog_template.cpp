#include "dialog_template.h"

#include <cctype>
#include <cstring>
#include <map>

#include <commctrl.h>
#include <windows.h>

#include "embedded_files.h"

namespace headless {

namespace {

// Style and id names the resource script may use besides those of its own headers.
const struct {
    const char* name;
    unsigned long value;
} k_known_names[] = {
    {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP}, {"WS_CHILD", WS_CHILD},
    {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED}, {"WS_CAPTION", WS_CAPTION},
    {"WS_BORDER", WS_BORDER}, {"WS_VSCROLL", WS_VSCROLL}, {"WS_HSCROLL", WS_HSCROLL},
    {"WS_SYSMENU", WS_SYSMENU}, {"WS_GROUP", WS_GROUP}, {"WS_TABSTOP", WS_TABSTOP},
    {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_SETFONT", DS_SETFONT}, {"DS_CENTER", DS_CENTER},
    {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
    {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON}, {"BS_GROUPBOX", BS_GROUPBOX},
    {"BS_OWNERDRAW", BS_OWNERDRAW}, {"SS_LEFT", SS_LEFT}, {"SS_CENTER", SS_CENTER},
    {"SS_RIGHT", SS_RIGHT}, {"SS_BITMAP", SS_BITMAP}, {"ES_LEFT", ES_LEFT},
    {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
    {"SBS_HORZ", SBS_HORZ}, {"SBS_VERT", SBS_VERT}, {"UDS_ALIGNRIGHT", UDS_ALIGNRIGHT},
    {"UDS_AUTOBUDDY", UDS_AUTOBUDDY}, {"UDS_ARROWKEYS", UDS_ARROWKEYS},
    {"UDS_SETBUDDYINT", UDS_SETBUDDYINT}, {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL},
};

// Statement defaults, as the resource compiler adds them.
const struct {
    const char* statement;
    const char* class_name;
    uint32_t style;
    bool has_text;
} k_statements[] = {
    {"LTEXT", "Static", SS_LEFT | WS_GROUP, true},
    {"CTEXT", "Static", SS_CENTER | WS_GROUP, true},
    {"RTEXT", "Static", SS_RIGHT | WS_GROUP, true},
    {"GROUPBOX", "Button", BS_GROUPBOX, true},
    {"PUSHBUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP, true},
    {"DEFPUSHBUTTON", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, true},
    {"AUTORADIOBUTTON", "Button", BS_AUTORADIOBUTTON | WS_TABSTOP, true},
    {"EDITTEXT", "Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, false},
    {"COMBOBOX", "ComboBox", WS_TABSTOP, false},
    {"SCROLLBAR", "ScrollBar", SBS_HORZ, false},
};

const char* const k_control_classes[] = {"Button", "Static", "Edit", "ComboBox", "ScrollBar", "msctls_updown32"};

bool same_text(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

struct Token {
    enum Kind { END, NAME, NUMBER, STRING, PUNCT } kind = END;
    std::string text;
    long number = 0;
    int line = 0;
};

// Splits resource-script text into tokens, dropping comments and preprocessor lines
// (their #defines are collected separately).
std::vector<Token> tokenize(const std::string& s, std::string& error) {
    std::vector<Token> out;
    int line = 1;
    size_t i = 0;
    bool line_start = true;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\n') {
            ++line, ++i, line_start = true;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (line_start && c == '#') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        line_start = false;
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            size_t e = s.find("*/", i + 2);
            if (e == std::string::npos) {
                error = "unterminated comment at line " + std::to_string(line);
                return {};
            }
            for (size_t k = i; k < e; ++k) line += s[k] == '\n';
            i = e + 2;
            continue;
        }
        Token t;
        t.line = line;
        if (c == '"') {
            t.kind = Token::STRING;
            ++i;
            for (;;) {
                if (i >= s.size() || s[i] == '\n') {
                    error = "unterminated string at line " + std::to_string(line);
                    return {};
                }
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        t.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.text += s[i++];
            }
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = Token::NUMBER;
            size_t start = i;
            while (i < s.size() && std::isalnum(static_cast<unsigned char>(s[i]))) ++i;
            t.text = s.substr(start, i - start);
            std::string digits = t.text;
            if (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l')) digits.pop_back();
            char* end = nullptr;
            t.number = std::strtol(digits.c_str(), &end, 0);
            if (*end != '\0') {
                error = "bad number '" + t.text + "' at line " + std::to_string(line);
                return {};
            }
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.kind = Token::NAME;
            size_t start = i;
            while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) ++i;
            t.text = s.substr(start, i - start);
        } else {
            t.kind = Token::PUNCT;
            t.text = std::string(1, c);
            ++i;
        }
        out.push_back(t);
    }
    return out;
}

// "#define NAME VALUE" lines with a numeric value.
std::map<std::string, long> collect_defines(const std::string& text) {
    std::map<std::string, long> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        char name[128];
        long value;
        if (std::sscanf(line.c_str(), " #define %127s %li", name, &value) == 2) out[name] = value;
    }
    return out;
}

class Reader {
public:
    Reader(std::vector<Token> tokens, std::map<std::string, long> defines)
        : t_(std::move(tokens)), defines_(std::move(defines)) {}

    bool run(Resources& out, const std::vector<std::pair<std::string, std::string>>& files) {
        while (!at_end()) {
            Token name = next();
            if (name.kind != Token::NAME && name.kind != Token::NUMBER) return fail(name, "resource name expected");
            Token kind = next();
            if (kind.kind != Token::NAME) return fail(kind, "resource type expected");
            if (kind.text == "BITMAP") {
                long id;
                if (!resolve(name, id)) return fail(name, "bitmap id must be a number");
                Token file = next();
                if (file.kind != Token::STRING) return fail(file, "bitmap file name expected");
                BitmapResource b;
                b.id = static_cast<int>(id);
                const std::string* bytes = nullptr;
                for (const auto& f : files)
                    if (f.first == file.text) bytes = &f.second;
                if (!bytes) return fail(file, "bitmap file " + file.text + " not embedded");
                if (!decode_bmp(*bytes, b)) return fail(file, "bitmap file " + file.text + " is not a BMP this reader knows");
                out.bitmaps.push_back(std::move(b));
            } else if (kind.text == "DIALOGEX" || kind.text == "DIALOG") {
                DialogTemplate d;
                d.name = name.text;
                if (!read_rect(d.x, d.y, d.w, d.h)) return false;
                if (!read_dialog(d)) return false;
                out.dialogs.push_back(std::move(d));
            } else {
                return fail(kind, "resource type " + kind.text + " is not read here");
            }
        }
        return true;
    }

    std::string error;

private:
    bool at_end() const { return i_ >= t_.size(); }
    Token next() { return at_end() ? Token{} : t_[i_++]; }
    const Token& peek() const {
        static const Token end;
        return at_end() ? end : t_[i_];
    }
    bool peek_punct(char c) const { return peek().kind == Token::PUNCT && peek().text[0] == c; }

    bool fail(const Token& t, const std::string& what) {
        if (error.empty()) error = "line " + std::to_string(t.line) + ": " + what + (t.text.empty() ? "" : " (at '" + t.text + "')");
        return false;
    }

    bool resolve(const Token& t, long& v) {
        if (t.kind == Token::NUMBER) {
            v = t.number;
            return true;
        }
        if (t.kind != Token::NAME) return false;
        auto d = defines_.find(t.text);
        if (d != defines_.end()) {
            v = d->second;
            return true;
        }
        for (const auto& k : k_known_names)
            if (t.text == k.name) {
                v = static_cast<long>(k.value);
                return true;
            }
        return false;
    }

    // term ('|' term)*, a term being a number, a minus sign and a number, or a name.
    bool expression(long& v) {
        v = 0;
        for (;;) {
            Token t = next();
            long term;
            if (t.kind == Token::PUNCT && t.text == "-") {
                Token n = next();
                if (!resolve(n, term)) return fail(n, "number expected after '-'");
                term = -term;
            } else if (!resolve(t, term)) {
                return fail(t, "unknown name or value");
            }
            v |= term;
            if (!peek_punct('|')) return true;
            next();
        }
    }

    bool comma() {
        Token t = next();
        return t.kind == Token::PUNCT && t.text == "," ? true : fail(t, "',' expected");
    }

    bool read_rect(int& x, int& y, int& w, int& h) {
        long v[4];
        for (int k = 0; k < 4; ++k) {
            if (k > 0 && !comma()) return false;
            if (!expression(v[k])) return false;
        }
        x = static_cast<int>(v[0]), y = static_cast<int>(v[1]), w = static_cast<int>(v[2]), h = static_cast<int>(v[3]);
        return true;
    }

    bool read_dialog(DialogTemplate& d) {
        for (;;) {
            Token t = next();
            if (t.kind != Token::NAME) return fail(t, "dialog statement expected");
            if (t.text == "BEGIN") break;
            if (t.text == "STYLE") {
                long v;
                if (!expression(v)) return false;
                d.style = static_cast<uint32_t>(v);
            } else if (t.text == "CAPTION") {
                Token c = next();
                if (c.kind != Token::STRING) return fail(c, "caption text expected");
                d.caption = utf8_to_cp1252(c.text);
                d.style |= WS_CAPTION;
            } else if (t.text == "FONT") {
                long size;
                if (!expression(size) || !comma()) return false;
                Token f = next();
                if (f.kind != Token::STRING) return fail(f, "font name expected");
                d.font_size = static_cast<int>(size);
                d.font = f.text;
                d.style |= DS_SETFONT;
            } else {
                return fail(t, "dialog statement " + t.text + " is not read here");
            }
        }
        for (;;) {
            Token t = next();
            if (t.kind != Token::NAME) return fail(t, "control statement expected");
            if (t.text == "END") return true;
            ControlTemplate c;
            if (!read_control(t, c)) return false;
            d.controls.push_back(std::move(c));
        }
    }

    bool read_text(ControlTemplate& c) {
        Token text = next();
        if (text.kind == Token::STRING) {
            c.text = utf8_to_cp1252(text.text);
            return true;
        }
        long id;
        if (!resolve(text, id)) return fail(text, "control text expected");
        c.text_resource = static_cast<int>(id);
        return true;
    }

    bool read_control(const Token& statement, ControlTemplate& c) {
        long v;
        if (statement.text == "CONTROL") {
            if (!read_text(c) || !comma() || !expression(v) || !comma()) return false;
            c.id = static_cast<int>(v);
            Token cls = next();
            if (cls.kind != Token::STRING) return fail(cls, "control class expected");
            for (const char* known : k_control_classes)
                if (same_text(cls.text, known)) c.class_name = known;
            if (c.class_name.empty()) return fail(cls, "control class " + cls.text + " is not known here");
            if (!comma() || !expression(v) || !comma()) return false;
            c.style = static_cast<uint32_t>(v) | WS_CHILD | WS_VISIBLE;
            if (!read_rect(c.x, c.y, c.w, c.h)) return false;
        } else {
            const auto* s = std::begin(k_statements);
            while (s != std::end(k_statements) && statement.text != s->statement) ++s;
            if (s == std::end(k_statements)) return fail(statement, "control statement " + statement.text + " is not read here");
            c.class_name = s->class_name;
            c.style = s->style | WS_CHILD | WS_VISIBLE;
            if (s->has_text && (!read_text(c) || !comma())) return false;
            if (!expression(v) || !comma()) return false;
            c.id = static_cast<int>(v);
            if (!read_rect(c.x, c.y, c.w, c.h)) return false;
            if (peek_punct(',')) {
                next();
                if (!expression(v)) return false;
                c.style |= static_cast<uint32_t>(v);
            }
        }
        if (peek_punct(',')) {  // extended style: read and dropped
            next();
            if (!expression(v)) return false;
        }
        return true;
    }

    static uint32_t le(const std::string& b, size_t off, int n) {
        uint32_t v = 0;
        for (int k = n - 1; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(b[off + k]);
        return v;
    }

    // BITMAPINFOHEADER files with 1, 4, 8 or 24 bits per pixel, uncompressed.
    static bool decode_bmp(const std::string& b, BitmapResource& out) {
        if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
        uint32_t data = le(b, 10, 4), header = le(b, 14, 4);
        int32_t w = static_cast<int32_t>(le(b, 18, 4)), h = static_cast<int32_t>(le(b, 22, 4));
        int bits = static_cast<int>(le(b, 28, 2));
        if (header < 40 || le(b, 30, 4) != 0 || w <= 0 || w > 4096 || h == 0 || h > 4096 || h < -4096) return false;
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
        bool bottom_up = h > 0;
        int rows = bottom_up ? h : -h;
        size_t stride = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
        size_t palette = 14 + header;
        uint32_t colours = le(b, 46, 4);
        if (bits <= 8 && colours == 0) colours = 1u << bits;
        if (data + stride * rows > b.size() || (bits <= 8 && palette + colours * 4 > b.size())) return false;
        out.width = w, out.height = rows;
        out.pixels.resize(static_cast<size_t>(w) * rows);
        for (int y = 0; y < rows; ++y) {
            size_t row = data + stride * (bottom_up ? rows - 1 - y : y);
            for (int x = 0; x < w; ++x) {
                uint32_t rgb;
                if (bits == 24) {
                    size_t p = row + x * 3;
                    rgb = RGB(b[p + 2], b[p + 1], b[p]);
                } else {
                    unsigned byte = static_cast<unsigned char>(b[row + x * bits / 8]);
                    int shift = 8 - bits - (x * bits % 8);
                    unsigned index = (byte >> shift) & ((1u << bits) - 1);
                    if (index >= colours) return false;
                    size_t p = palette + index * 4;
                    rgb = RGB(b[p + 2], b[p + 1], b[p]);
                }
                out.pixels[static_cast<size_t>(y) * w + x] = rgb;
            }
        }
        return true;
    }

    std::vector<Token> t_;
    size_t i_ = 0;
    std::map<std::string, long> defines_;
};

Resources load_embedded() {
    std::string script, defines;
    std::vector<std::pair<std::string, std::string>> files;
    for (int k = 0; k < k_embedded_file_count; ++k) {
        const EmbeddedFile& f = k_embedded_files[k];
        std::string bytes(reinterpret_cast<const char*>(f.data), f.size);
        std::string name = f.name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".rc") == 0) script += bytes + "\n";
        else if (name.size() > 2 && name.compare(name.size() - 2, 2, ".h") == 0) defines += bytes + "\n";
        else files.emplace_back(name, bytes);
    }
    return read_resource_script(script, defines, files);
}

}  // namespace

std::string utf8_to_cp1252(const std::string& s) {
    static const char32_t k_high[32] = {
        0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
        0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
    };
    std::string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += extra + 1;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char byte = '?';
        for (int k = 0; k < 32; ++k)
            if (k_high[k] != 0 && k_high[k] == cp) byte = static_cast<char>(0x80 + k);
        out += byte;
    }
    return out;
}

Resources read_resource_script(const std::string& script, const std::string& defines,
                               const std::vector<std::pair<std::string, std::string>>& files) {
    Resources out;
    std::vector<Token> tokens = tokenize(script, out.error);
    if (!out.error.empty()) return out;
    Reader r(std::move(tokens), collect_defines(defines));
    if (!r.run(out, files)) out.error = r.error;
    return out;
}

const Resources& resources() {
    static const Resources r = load_embedded();
    return r;
}

const DialogTemplate* find_dialog(const std::string& name) {
    for (const DialogTemplate& d : resources().dialogs)
        if (same_text(d.name, name)) return &d;
    return nullptr;
}

const BitmapResource* find_bitmap(int id) {
    for (const BitmapResource& b : resources().bitmaps)
        if (b.id == id) return &b;
    return nullptr;
}

}  // namespace headless
