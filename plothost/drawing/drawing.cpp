#include "drawing.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace drawing {

namespace {

[[noreturn]] void fail(const std::string& name, int line, const std::string& what) {
    throw DrawingError(name + ":" + std::to_string(line) + ": " + what);
}

double number(const std::string& word, const std::string& name, int line) {
    char* end = nullptr;
    double v = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(v)) fail(name, line, "'" + word + "' is not a number");
    return v;
}

int whole(const std::string& word, int lo, int hi, const char* what, const std::string& name, int line) {
    double v = number(word, name, line);
    if (v != std::floor(v) || v < lo || v > hi)
        fail(name, line, std::string(what) + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<int>(v);
}

void need(const std::vector<std::string>& w, size_t n, const char* usage, const std::string& name, int line) {
    if (w.size() != n) fail(name, line, std::string("expected: ") + usage);
}

std::string directory_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool is_builtin(const std::string& s) { return s.rfind("photo:", 0) == 0 || s.rfind("mono:", 0) == 0; }

Op parse_line(const std::vector<std::string>& w, const std::string& name, int line) {
    Op op;
    op.line = line;
    const std::string& verb = w[0];
    if (verb == "pen") {
        need(w, 2, "pen N", name, line);
        op.kind = Op::PEN;
        op.number = whole(w[1], 0, 255, "a pen", name, line);
    } else if (verb == "linetype") {
        need(w, 2, "linetype N", name, line);
        op.kind = Op::LINE_TYPE;
        op.number = whole(w[1], 0, 8, "a line type", name, line);
    } else if (verb == "width") {
        need(w, 2, "width MM", name, line);
        op.kind = Op::WIDTH;
        op.value = number(w[1], name, line);
        if (op.value < 0 || op.value > 297) fail(name, line, "a width must be from 0 to 297 mm");
    } else if (verb == "move" || verb == "draw") {
        need(w, 3, verb == "move" ? "move X Y" : "draw X Y", name, line);
        op.kind = verb == "move" ? Op::MOVE : Op::DRAW;
        op.xy = {number(w[1], name, line), number(w[2], name, line)};
    } else if (verb == "lift") {
        need(w, 1, "lift", name, line);
        op.kind = Op::LIFT;
    } else if (verb == "polygon" || verb == "polygon*") {
        if (w.size() < 6 || (w.size() - 2) % 2 != 0) fail(name, line, "expected: polygon PEN X1 Y1 X2 Y2 ... (at least two points)");
        op.kind = Op::POLYGON;
        op.pointer_form = verb == "polygon*";
        op.number = whole(w[1], 0, 255, "a pen", name, line);
        for (size_t k = 2; k < w.size(); ++k) op.xy.push_back(number(w[k], name, line));
    } else if (verb == "label") {
        if (w.size() < 2) fail(name, line, "expected: label TEXT");
        op.kind = Op::LABEL;
        for (size_t k = 1; k < w.size(); ++k) op.source += (k > 1 ? " " : "") + w[k];
        if (op.source.size() > 64) fail(name, line, "a job label has at most 64 characters");
    } else if (verb == "image") {
        if (w.size() != 6 && !(w.size() == 7 && w[6] == "transparent"))
            fail(name, line, "expected: image SOURCE X0 Y0 X1 Y1 [transparent]");
        op.kind = Op::IMAGE;
        op.source = is_builtin(w[1]) || w[1][0] == '/' ? w[1] : directory_of(name) + w[1];
        for (size_t k = 2; k < 6; ++k) op.xy.push_back(number(w[k], name, line));
        if (op.xy[0] == op.xy[2] || op.xy[1] == op.xy[3]) fail(name, line, "the image frame has no area");
        op.transparent = w.size() == 7;
    } else {
        fail(name, line, "unknown operation '" + verb + "'");
    }
    return op;
}

}  // namespace

Drawing parse_drawing(const std::string& text, const std::string& name) {
    Drawing d;
    d.name = name;
    std::istringstream lines(text);
    std::string s;
    int line = 0;
    while (std::getline(lines, s)) {
        ++line;
        size_t hash = s.find('#');
        if (hash != std::string::npos) s.resize(hash);
        std::istringstream in(s);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        if (!words.empty()) d.ops.push_back(parse_line(words, name, line));
    }
    return d;
}

Drawing load_drawing(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DrawingError(path + ": cannot read the drawing");
    std::stringstream s;
    s << in.rdbuf();
    return parse_drawing(s.str(), path);
}

}  // namespace drawing
