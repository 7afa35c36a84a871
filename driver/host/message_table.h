// The driver's console texts: 86 rows of 80 bytes in Windows-1252. Messages are printed
// from a working copy that request 50 loads from the built-in table.
#pragma once
#include <cstdint>

inline constexpr int MESSAGE_ROWS = 86;
inline constexpr int MESSAGE_WIDTH = 80;

// Rows the driver prints.
enum MessageRow : int {
    MSG_NOT_AUTOCAD = 0,
    MSG_BAD_VERSION = 1,
    MSG_NO_MEMORY = 2,
    MSG_LINE_TYPE_0 = 8,        // rows 9..15: line types 1..7
    MSG_PLOTTER = 25,
    MSG_PAPER_SIZE = 26,
    MSG_COPIES = 27,
    MSG_PORT = 28,
    MSG_PARALLEL = 29,
    MSG_FORMAT_QDPX = 33,
    MSG_FORMAT_HPGL = 34,
    MSG_FILL_HALFTONE = 35,
    MSG_FILL_SOLID = 36,
    MSG_RESOLUTION = 49,
    MSG_600DPI = 50,
    MSG_400DPI = 51,
    MSG_300DPI = 52,
    MSG_200DPI = 53,
    MSG_PROGRAM = 55,
    MSG_MARGIN = 56,
    MSG_OUTPUT_BIN = 57,
    MSG_MEDIA = 58,
    MSG_MANUAL_OUTPUT = 70,
    MSG_NO_MANUAL_OUTPUT = 71,
    MSG_RED_PRINT = 72,
    MSG_NO_RED_PRINT = 73,
    MSG_SAVE_FAILED = 75,
    MSG_LOAD_FAILED = 76,
    MSG_OUTPUT_ERROR = 77,
};

struct MessageState {
    char working[MESSAGE_ROWS][MESSAGE_WIDTH];  // what the driver prints; empty until loaded
    char caller_tag[9];                         // up to 8 characters the host sent with request 50
};
extern MessageState g_messages;

// The built-in row (always NUL-terminated).
const char* message_builtin(int row);
// The working row that console messages print (empty before request 50).
const char* message_text(int row);
// Copies the whole built-in table over the working copy; keeps the host's 8-byte tag
// when one is given (the configuration handler's request carries one).
void messages_load(const uint8_t* tag8);

void messages_reset();
