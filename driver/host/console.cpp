#include "console.h"

#include <cstdarg>
#include <cstdio>

#include "host_services.h"

ConsoleState g_console = {};

void console_printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_console.text, sizeof g_console.text, format, args);
    va_end(args);
    host_console_message(g_console.text);
}

void console_reset() { g_console = ConsoleState{}; }
