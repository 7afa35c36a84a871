// Dialog templates and bitmaps read from the driver's own resource script, so the headless
// dialogs are built from exactly what the DLL carries.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace headless {

struct ControlTemplate {
    std::string class_name;  // "Button", "Static", "Edit", "ComboBox", "ScrollBar", "msctls_updown32"
    std::string text;        // Windows-1252
    int text_resource = -1;  // a picture control's bitmap id
    int id = -1;
    uint32_t style = 0;
    int x = 0, y = 0, w = 0, h = 0;  // dialog units
};

struct DialogTemplate {
    std::string name;  // as written, upper case
    uint32_t style = 0;
    int x = 0, y = 0, w = 0, h = 0;
    std::string caption;  // Windows-1252
    std::string font;
    int font_size = 0;
    std::vector<ControlTemplate> controls;
};

struct BitmapResource {
    int id = 0;
    int width = 0, height = 0;
    std::vector<unsigned long> pixels;  // COLORREF, top row first
};

struct Resources {
    std::vector<DialogTemplate> dialogs;
    std::vector<BitmapResource> bitmaps;
    std::string error;  // why reading failed; empty when all is well
};

// The resources, read once from the embedded resource script.
const Resources& resources();
const DialogTemplate* find_dialog(const std::string& name);  // case-insensitive
const BitmapResource* find_bitmap(int id);

// Reads a resource script. `defines` is the text of the headers it includes for names;
// `files` maps a bitmap file name to its bytes. Exposed for the tests of the reader.
Resources read_resource_script(const std::string& script, const std::string& defines,
                               const std::vector<std::pair<std::string, std::string>>& files);

// UTF-8 to Windows-1252; characters outside it become '?'.
std::string utf8_to_cp1252(const std::string& text);

}  // namespace headless
