#include "drawing.h"

namespace drawing {

namespace {

// Fits the default E-arch sheet (1219 x 914 mm). Everything a plot can carry appears once.
const char k_sample[] = R"(# plothost sample drawing
label plothost sample
# sheet border and title block
pen 7
width 0.70
move 10 10
draw 1209 10
draw 1209 904
draw 10 904
draw 10 10
move 900 10
draw 900 90
draw 1209 90
move 900 50
draw 1209 50

# the nine line types, thin to thick
width 0.25
linetype 0
move 40 860
draw 440 860
linetype 1
move 40 840
draw 440 840
linetype 2
move 40 820
draw 440 820
linetype 3
move 40 800
draw 440 800
linetype 4
move 40 780
draw 440 780
linetype 5
move 40 760
draw 440 760
linetype 6
move 40 740
draw 440 740
linetype 7
move 40 720
draw 440 720
linetype 8
move 40 700
draw 440 700
linetype 0

# widths
width 0.13
move 40 660
draw 440 660
width 0.50
move 40 640
draw 440 640
width 1.00
move 40 615
draw 440 615
width 2.00
move 40 585
draw 440 585
width 0.35

# pens: a fan of lines, a lift inside the polyline
pen 1
move 520 560
draw 700 860
pen 5
move 540 560
draw 720 860
lift
draw 740 860
pen 3
move 560 560
draw 760 860

# filled polygons: grey pens in both packet forms, a black star
polygon 8 800 600 950 600 950 750 800 750
polygon* 9 980 600 1130 600 1130 750 980 750
polygon 1 820 780 880 860 940 780
polygon* 5 960 780 1020 860 1080 780 1050 780 1020 820 990 780
polygon 7 1100 800 1170 800 1110 760 1135 840 1160 760

# a colour photograph and a monochrome image
image photo:640x400 40 120 340 320
image mono:400x400 380 120 580 320
image mono:200x200 620 120 720 220 transparent

# axes with a cross-hatched area
pen 7
move 800 150
draw 1150 150
move 800 150
draw 800 500
)";

}  // namespace

Drawing sample_drawing() { return parse_drawing(k_sample, "sample"); }

}  // namespace drawing
