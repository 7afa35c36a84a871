// The staged byte channel to the host: job bytes collect in one 2 MiB block and reach the
// host in 128-byte pieces when the block fills, at end of plot, or before a direct write.
#pragma once
#include <cstdint>

inline constexpr int32_t OUTPUT_CHUNK = 0x200000;           // staging capacity (2 MiB)
inline constexpr int32_t OUTPUT_BLOCK_SIZE = 0x200008;      // allocated block
inline constexpr int32_t OUTPUT_PIECE = 128;                // bytes per host_write_bytes call

struct OutputBuffer {
    uint8_t* output_buffer;  // the block, from begin plot to end of plot; null otherwise
    int32_t output_pending;  // staged bytes at the start of the block
};
extern OutputBuffer g_output;

// Stages a NUL-terminated text without its NUL. 0 on success, -1 on failure.
int32_t write_text(const char* text);
// Stages count bytes. 0 on success, -1 on failure.
int32_t write_bytes(int32_t count, const void* bytes);
// Hands every staged byte to the host. 0 on success, -1 on failure.
int32_t flush_output();
// Formats with printf rules and stages the result (texts longer than 255 bytes are cut).
int32_t write_fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Allocates the zero-filled block; false when the allocation fails. A block still present
// (a begin plot without an end of plot) is freed first, dropping what it staged.
bool output_open();
// Frees the block and drops whatever is staged.
void output_close();

void output_reset();
