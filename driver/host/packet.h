// Little-endian accessors for the host's request packets and other byte records.
//
// Packets are packed byte buffers with fields at odd offsets; they are read and written
// only through these helpers (memcpy), never by casting to a struct.
#pragma once
#include <cstdint>
#include <cstring>

static_assert(sizeof(void*) == 4, "the host's packets carry 32-bit addresses");

inline int16_t rd_i16(const uint8_t* p, int off) { int16_t v; std::memcpy(&v, p + off, 2); return v; }
inline uint16_t rd_u16(const uint8_t* p, int off) { uint16_t v; std::memcpy(&v, p + off, 2); return v; }
inline int32_t rd_i32(const uint8_t* p, int off) { int32_t v; std::memcpy(&v, p + off, 4); return v; }
inline uint32_t rd_u32(const uint8_t* p, int off) { uint32_t v; std::memcpy(&v, p + off, 4); return v; }
inline double rd_f64(const uint8_t* p, int off) { double v; std::memcpy(&v, p + off, 8); return v; }
inline void* rd_ptr(const uint8_t* p, int off) { void* v; std::memcpy(&v, p + off, 4); return v; }

inline void wr_u8(uint8_t* p, int off, uint8_t v) { p[off] = v; }
inline void wr_i16(uint8_t* p, int off, int16_t v) { std::memcpy(p + off, &v, 2); }
inline void wr_i32(uint8_t* p, int off, int32_t v) { std::memcpy(p + off, &v, 4); }
inline void wr_u32(uint8_t* p, int off, uint32_t v) { std::memcpy(p + off, &v, 4); }
inline void wr_f64(uint8_t* p, int off, double v) { std::memcpy(p + off, &v, 8); }
inline void wr_ptr(uint8_t* p, int off, const void* v) { std::memcpy(p + off, &v, 4); }

// The packet of the request being handled: set by both handlers on entry, so that the
// routines they call can read and answer it. Valid for one call only.
extern uint8_t* g_packet;
