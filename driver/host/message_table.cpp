#include "message_table.h"

#include <array>
#include <cstring>

#include "cp1252.h"

MessageState g_messages = {};

namespace {

using Row = std::array<char, MESSAGE_WIDTH>;

struct MessageEntry {
    int row;
    Row text;
};

// Rows not listed are empty (or never printed).
constexpr MessageEntry k_entries[] = {
    {0, cp1252_field<80>("Se intentó llamar un dibujo desde una aplicación que no es Auto CAD.")},
    {1, cp1252_field<80>("Versión de Auto CAD no válida. Use R14 o una posterior.")},
    {2, cp1252_field<80>("No se puede reservar el espacio de la memoria necesario para el trabajo.")},
    {8, cp1252_field<80>("Tipo de línea No. 0 = línea sólida")},
    {9, cp1252_field<80>(" = ................................")},
    {10, cp1252_field<80>(" = ----    ----    ----    ----    ")},
    {11, cp1252_field<80>(" = -----   -----   -----   -----   ")},
    {12, cp1252_field<80>(" = ------. ------. ------. ------. ")},
    {13, cp1252_field<80>(" = ---- -  ---- -  ---- -  ---- -  ")},
    {14, cp1252_field<80>(" = --- - - --- - - --- - - --- - - ")},
    {15, cp1252_field<80>(" = ------ . . ------ . . ------ . .")},
    {25, cp1252_field<80>("Trazador: ")},
    {26, cp1252_field<80>("Tamaño de papel: ")},
    {27, cp1252_field<80>("Número de copias: ")},
    {28, cp1252_field<80>("Puerto del trazador: ")},
    {29, cp1252_field<80>("Paralelo ")},
    {33, cp1252_field<80>("Seleccionar datos generados: QDPX+MMR ")},
    {34, cp1252_field<80>("Seleccionar datos generados: HP-RTL/GL2 ")},
    {35, cp1252_field<80>("Rellenar un polígono. (Medio tono) ")},
    {36, cp1252_field<80>("Rellenar un polígono. (Sólido) ")},
    {49, cp1252_field<80>("Resolución de imagen: ")},
    {50, cp1252_field<80>("600dpi ")},
    {51, cp1252_field<80>("400dpi ")},
    {52, cp1252_field<80>("300dpi ")},
    {53, cp1252_field<80>("200dpi ")},
    {55, cp1252_field<80>("Programar: ")},
    {56, cp1252_field<80>("Margen: ")},
    {57, cp1252_field<80>("Bandeja de salida: ")},
    {58, cp1252_field<80>("Seleccionar el tipo de papel: ")},
    {70, cp1252_field<80>("Salida manual ")},
    {71, cp1252_field<80>("Sin salida manual ")},
    {72, cp1252_field<80>("Impresión en rojo ")},
    {73, cp1252_field<80>("Sin impresión en rojo ")},
    {75, cp1252_field<80>("No se pudo guardar la información sobre la configuración. ")},
    {76, cp1252_field<80>("No se pudo obtener la información sobre la configuración. ")},
    {77, cp1252_field<80>("Se presentó un error durante la salida del trazador. ")},
};

consteval std::array<Row, MESSAGE_ROWS> build_table() {
    std::array<Row, MESSAGE_ROWS> table{};
    for (const MessageEntry& e : k_entries) table[e.row] = e.text;
    return table;
}

constexpr std::array<Row, MESSAGE_ROWS> k_builtin = build_table();

int clamp_row(int row) { return row >= 0 && row < MESSAGE_ROWS ? row : MESSAGE_ROWS - 1; }

}  // namespace

const char* message_builtin(int row) { return k_builtin[clamp_row(row)].data(); }

const char* message_text(int row) { return g_messages.working[clamp_row(row)]; }

void messages_load(const uint8_t* tag8) {
    for (int r = 0; r < MESSAGE_ROWS; ++r) std::memcpy(g_messages.working[r], k_builtin[r].data(), MESSAGE_WIDTH);
    if (!tag8) return;
    std::memcpy(g_messages.caller_tag, tag8, 8);
    g_messages.caller_tag[8] = '\0';
}

void messages_reset() { g_messages = MessageState{}; }
