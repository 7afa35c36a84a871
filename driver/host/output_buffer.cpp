#include "output_buffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "alloc.h"
#include "console.h"
#include "host_services.h"
#include "message_table.h"
#include "plot_state.h"

OutputBuffer g_output = {nullptr, 0};

namespace {

// What a refused write or flush does while the latch is set: drop the staged bytes.
int32_t refuse_latched() {
    g_output.output_pending = 0;
    plot_forget_output();
    return -1;
}

// Hands `count` bytes from the start of the block to the host, 128 at a time.
int32_t send_staged(int32_t count) {
    for (int32_t at = 0; at < count; at += OUTPUT_PIECE) {
        int32_t piece = count - at < OUTPUT_PIECE ? count - at : OUTPUT_PIECE;
        if (host_write_bytes(g_output.output_buffer + at, piece) == 0) {
            console_printf("\n%s\n", message_text(MSG_OUTPUT_ERROR));
            g_output.output_pending = 0;
            plot_forget_output();
            g_plot.failure_latch = LATCH_OUTPUT;
            return -1;
        }
    }
    g_output.output_pending = 0;
    return 0;
}

int32_t flush_if_staged() { return g_output.output_pending > 0 ? flush_output() : 0; }

}  // namespace

int32_t flush_output() {
    if (!g_output.output_buffer) return 0;
    if (g_plot.failure_latch) return refuse_latched();
    return send_staged(g_output.output_pending);
}

int32_t write_bytes(int32_t count, const void* bytes) {
    if (!g_output.output_buffer) return 0;  // outside a plot writes are dropped silently
    if (g_plot.failure_latch) return refuse_latched();
    if (count <= 0) return 0;
    const uint8_t* src = static_cast<const uint8_t*>(bytes);
    if (count >= OUTPUT_CHUNK) {
        if (flush_if_staged() != 0) return -1;
        for (; count >= OUTPUT_CHUNK; count -= OUTPUT_CHUNK, src += OUTPUT_CHUNK) {
            std::memcpy(g_output.output_buffer, src, OUTPUT_CHUNK);
            g_output.output_pending = OUTPUT_CHUNK;
            if (flush_output() != 0) return -1;
        }
        if (count == 0) return 0;
    }
    if (g_output.output_pending + count < OUTPUT_CHUNK) {
        std::memcpy(g_output.output_buffer + g_output.output_pending, src, count);
        g_output.output_pending += count;
        return 0;
    }
    if (flush_if_staged() != 0) return -1;
    std::memcpy(g_output.output_buffer, src, count);
    g_output.output_pending = count;
    return 0;
}

int32_t write_text(const char* text) { return write_bytes(static_cast<int32_t>(std::strlen(text)), text); }

int32_t write_fmt(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return write_text(text);
}

bool output_open() {
    output_close();
    g_output.output_buffer = static_cast<uint8_t*>(driver_calloc(1, OUTPUT_BLOCK_SIZE));
    return g_output.output_buffer != nullptr;
}

void output_close() {
    driver_free(g_output.output_buffer);
    g_output = OutputBuffer{nullptr, 0};
}

void output_reset() { output_close(); }
