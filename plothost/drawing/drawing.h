// The drawing format plothost plots: plain text, one operation per line, coordinates in
// millimetres from the plot area's lower left corner, '#' starts a comment.
//
//   pen N                      select pen N (0..255)
//   linetype N                 line type N (0 = solid, 1..8 dashed)
//   width MM                   pen width in millimetres
//   move X Y                   pen-up move
//   draw X Y                   pen-down line to the point
//   lift                       lift the pen inside a polyline
//   polygon PEN X1 Y1 X2 Y2 ...   filled polygon in pen PEN (the packet with inline points)
//   polygon* PEN X1 Y1 ...     the same, sent as the packet form that points to the vertices
//   label TEXT                 the job label (up to 64 letters, digits and blanks), typed
//                              into the plot-time dialog as a user would
//   image SOURCE X0 Y0 X1 Y1 [transparent]
//                              a raster image in the frame (X0,Y0)-(X1,Y1); SOURCE is a
//                              PNG or PNM file (relative to the drawing), or one of the
//                              built-in images photo:WxH, mono:WxH
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace drawing {

struct Op {
    enum Kind { PEN, LINE_TYPE, WIDTH, MOVE, DRAW, LIFT, POLYGON, IMAGE, LABEL } kind = MOVE;
    int line = 0;               // line in the drawing file, for messages
    int number = 0;             // PEN, LINE_TYPE, POLYGON: the pen or line type
    double value = 0;           // WIDTH: millimetres
    std::vector<double> xy;     // MOVE/DRAW: one point; POLYGON: the vertices; IMAGE: the frame
    bool pointer_form = false;  // POLYGON: the packet form that points to the vertices
    std::string source;         // IMAGE: file path (resolved) or built-in name; LABEL: the text
    bool transparent = false;   // IMAGE
};

struct Drawing {
    std::string name;  // file name, or "sample" for the built-in one
    std::vector<Op> ops;
};

// "FILE:LINE: what is wrong".
struct DrawingError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses drawing text; `name` names it in messages and anchors relative image paths.
Drawing parse_drawing(const std::string& text, const std::string& name);
Drawing load_drawing(const std::string& path);

// The built-in sample: line types, widths, pens, solid and halftone polygons, a colour
// photograph-like image and a monochrome image.
Drawing sample_drawing();

}  // namespace drawing
