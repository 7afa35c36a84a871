// Console messages: formatted into one 1,024-byte buffer and shown through the host.
#pragma once

inline constexpr int CONSOLE_TEXT_SIZE = 1024;

struct ConsoleState {
    char text[CONSOLE_TEXT_SIZE];  // the last formatted message
};
extern ConsoleState g_console;

// Formats like printf into the console buffer (a longer text is cut at 1,023 bytes) and
// passes it to the host.
void console_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

void console_reset();
