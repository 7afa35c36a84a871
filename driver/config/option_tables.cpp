#include "option_tables.h"

#include <cstring>

#include "config_record.h"
#include "host/cp1252.h"
#include "host/message_table.h"

namespace {

// Model 0 leaves the QDPX columns empty, so its QDPX media list is empty and no QDPX
// media record is ever sent.
template <std::size_t N, std::size_t M>
consteval MediaRow media(const char (&name)[N], const char (&hpgl_command)[M]) {
    return {cp1252_field<60>(name), cp1252_field<60>(hpgl_command), {}, {}};
}

template <std::size_t N, std::size_t M>
consteval OptionRow option(const char (&name)[N], const char (&pjl_line)[M]) {
    return {cp1252_field<60>(name), cp1252_field<62>(pjl_line)};
}

// Each table: one block of rows per model; the second model's block is empty. Names are
// blank-padded to one width per table, as the printer's panel shows them.
// clang-format off
constexpr MediaRow k_media[OPTION_TABLE_MODELS][MEDIA_ROWS_PER_MODEL] = {{
    //       name                         hpgl_command
    /*  0 */ media("Bond                     ", "MT0;"),
    /*  1 */ media("Poliéster                ", "MT1;"),
    /*  2 */ media("Usar ajuste del trazador ", "MT2;"),
    /*  3 */ media("Vitela                   ", "MT4;"),
}};

constexpr OptionRow k_programs[OPTION_TABLE_MODELS][PROGRAM_ROWS_PER_MODEL] = {{
    //       name                 pjl_line
    /*  0 */ option("Saltar plegadora ", "@PJL DEFAULT FINISHPROGID=BYPASS\r\n"),
    /*  1 */ option("Programa 1       ", "@PJL DEFAULT FINISHPROGID=PROGRAM1\r\n"),
    /*  2 */ option("Programa 2       ", "@PJL DEFAULT FINISHPROGID=PROGRAM2\r\n"),
    /*  3 */ option("Programa 3       ", "@PJL DEFAULT FINISHPROGID=PROGRAM3\r\n"),
    /*  4 */ option("Programa 4       ", "@PJL DEFAULT FINISHPROGID=PROGRAM4\r\n"),
    /*  5 */ option("Programa 5       ", "@PJL DEFAULT FINISHPROGID=PROGRAM5\r\n"),
    /*  6 */ option("Programa 6       ", "@PJL DEFAULT FINISHPROGID=PROGRAM6\r\n"),
    /*  7 */ option("Programa 7       ", "@PJL DEFAULT FINISHPROGID=PROGRAM7\r\n"),
    /*  8 */ option("Programa 8       ", "@PJL DEFAULT FINISHPROGID=PROGRAM8\r\n"),
    /*  9 */ option("Programa 9       ", "@PJL DEFAULT FINISHPROGID=PROGRAM9\r\n"),
    /* 10 */ option("Programa 10      ", "@PJL DEFAULT FINISHPROGID=PROGRAM10\r\n"),
    /* 11 */ option("Programa 11      ", "@PJL DEFAULT FINISHPROGID=PROGRAM11\r\n"),
    /* 12 */ option("Programa 12      ", "@PJL DEFAULT FINISHPROGID=PROGRAM12\r\n"),
    /* 13 */ option("Programa 13      ", "@PJL DEFAULT FINISHPROGID=PROGRAM13\r\n"),
    /* 14 */ option("Programa 14      ", "@PJL DEFAULT FINISHPROGID=PROGRAM14\r\n"),
    /* 15 */ option("Programa 15      ", "@PJL DEFAULT FINISHPROGID=PROGRAM15\r\n"),
    /* 16 */ option("Programa 16      ", "@PJL DEFAULT FINISHPROGID=PROGRAM16\r\n"),
    /* 17 */ option("Programa 17      ", "@PJL DEFAULT FINISHPROGID=PROGRAM17\r\n"),
    /* 18 */ option("Programa 18      ", "@PJL DEFAULT FINISHPROGID=PROGRAM18\r\n"),
    /* 19 */ option("Programa 19      ", "@PJL DEFAULT FINISHPROGID=PROGRAM19\r\n"),
    /* 20 */ option("Programa 20      ", "@PJL DEFAULT FINISHPROGID=PROGRAM20\r\n"),
}};

constexpr OptionRow k_margins[OPTION_TABLE_MODELS][MARGIN_ROWS_PER_MODEL] = {{
    /*  0 */ option("Usar ajuste del programa ", "@PJL DEFAULT FINISHMARGINS=USEPROGRAM\r\n"),
    /*  1 */ option("Siempre desactivado      ", "@PJL DEFAULT FINISHMARGINS=MARGINSOFF\r\n"),
}};

constexpr OptionRow k_bins[OPTION_TABLE_MODELS][BIN_ROWS_PER_MODEL] = {{
    /*  0 */ option("No importa               ", "@PJL DEFAULT FINISHBIN=DONTCARE\r\n"),
    /*  1 */ option("Salida en papel continuo ", "@PJL DEFAULT FINISHBIN=FANFOLD\r\n"),
    /*  2 */ option("Bandeja 1                ", "@PJL DEFAULT FINISHBIN=BIN_1\r\n"),
    /*  3 */ option("Bandeja 2                ", "@PJL DEFAULT FINISHBIN=BIN_2\r\n"),
    /*  4 */ option("Bandeja 3                ", "@PJL DEFAULT FINISHBIN=BIN_3\r\n"),
    /*  5 */ option("Bandeja 4                ", "@PJL DEFAULT FINISHBIN=BIN_4\r\n"),
    /*  6 */ option("Bandeja 5                ", "@PJL DEFAULT FINISHBIN=BIN_5\r\n"),
    /*  7 */ option("Bandeja 6                ", "@PJL DEFAULT FINISHBIN=BIN_6\r\n"),
    /*  8 */ option("Bandeja 7                ", "@PJL DEFAULT FINISHBIN=BIN_7\r\n"),
    /*  9 */ option("Bandeja 8                ", "@PJL DEFAULT FINISHBIN=BIN_8\r\n"),
    /* 10 */ option("Bandeja 9                ", "@PJL DEFAULT FINISHBIN=BIN_9\r\n"),
    /* 11 */ option("Bandeja 10               ", "@PJL DEFAULT FINISHBIN=BIN_10\r\n"),
    /* 12 */ option("Bandeja 11               ", "@PJL DEFAULT FINISHBIN=BIN_11\r\n"),
    /* 13 */ option("Bandeja 12               ", "@PJL DEFAULT FINISHBIN=BIN_12\r\n"),
    /* 14 */ option("Bandeja 13               ", "@PJL DEFAULT FINISHBIN=BIN_13\r\n"),
}};
// clang-format on

// A QDPX media record carries its own length; it must fit its field.
consteval bool qdpx_records_fit() {
    for (const auto& model : k_media)
        for (const MediaRow& row : model)
            if (row.qdpx_command[0] != 0 && row.qdpx_command[3] + 4 > 60) return false;
    return true;
}
static_assert(qdpx_records_fit());

// The program line that means "no folding": it is sent alone. Compared with its NUL, so
// only exactly this line counts.
constexpr char k_bypass_line[] = "@PJL DEFAULT FINISHPROGID=BYPASS\r\n";

struct OptionBlock {
    const OptionRow* rows;
    int32_t count;  // rows per model
};

OptionBlock block_of(OptionTable table) {
    int32_t m = current_model();
    switch (table) {
        case OPTION_PROGRAMS: return {k_programs[m], PROGRAM_ROWS_PER_MODEL};
        case OPTION_MARGINS: return {k_margins[m], MARGIN_ROWS_PER_MODEL};
        case OPTION_BINS: break;
    }
    return {k_bins[m], BIN_ROWS_PER_MODEL};
}

const char* media_column(const MediaRow& row, bool qdpx) { return qdpx ? row.qdpx_name.data() : row.name.data(); }

}  // namespace

int32_t media_count(bool qdpx) {
    const MediaRow* rows = k_media[current_model()];
    int32_t n = 0;
    while (n < MEDIA_ROWS_PER_MODEL && media_column(rows[n], qdpx)[0] != '\0') ++n;
    return n;
}

const MediaRow& media_row(int32_t index, bool qdpx) {
    bool listed = index >= 0 && index < media_count(qdpx);
    return k_media[current_model()][listed ? index : 0];
}

MediaCommand media_command() {
    if (current_model_info().has_media_select != 1) return {nullptr, 0};
    bool qdpx = config_qdpx();
    const MediaRow& row = media_row(g_config.media_index, qdpx);
    if (qdpx) {
        if (row.qdpx_command[0] == 0) return {nullptr, 0};
        return {row.qdpx_command.data(), row.qdpx_command[3] + 4};
    }
    int32_t length = static_cast<int32_t>(std::strlen(row.hpgl_command.data()));
    if (length == 0) return {nullptr, 0};
    return {reinterpret_cast<const uint8_t*>(row.hpgl_command.data()), length};
}

int32_t option_count(OptionTable table) {
    OptionBlock b = block_of(table);
    int32_t n = 0;
    while (n < b.count && b.rows[n].name[0] != '\0') ++n;
    return n;
}

const OptionRow& option_row(OptionTable table, int32_t index) {
    bool listed = index >= 0 && index < option_count(table);
    return block_of(table).rows[listed ? index : 0];
}

int32_t finisher_lines(const char* lines[3]) {
    if (current_model_info().has_finisher != 1) return 0;
    const OptionRow& program = option_row(OPTION_PROGRAMS, g_config.finisher_program);
    lines[0] = program.pjl_line.data();
    if (std::memcmp(program.pjl_line.data(), k_bypass_line, sizeof k_bypass_line) == 0) return 1;
    lines[1] = option_row(OPTION_MARGINS, g_config.finisher_margin).pjl_line.data();
    lines[2] = option_row(OPTION_BINS, g_config.output_bin).pjl_line.data();
    return 3;
}

bool media_summary(SummaryLine* line) {
    if (current_model_info().has_media_select != 1) return false;
    *line = {MSG_MEDIA, media_name(g_config.media_index, config_qdpx())};
    return true;
}

int32_t finisher_summary(SummaryLine lines[3]) {
    if (current_model_info().has_finisher != 1) return 0;
    // The stored program is checked against the list first, so a program outside it is
    // summarised as the row the job header sends: row 0.
    bool listed = g_config.finisher_program >= 0 && g_config.finisher_program < option_count(OPTION_PROGRAMS);
    int32_t program = listed ? g_config.finisher_program : 0;
    lines[0] = {MSG_PROGRAM, option_row(OPTION_PROGRAMS, program).name.data()};
    if (program == 0) return 1;
    lines[1] = {MSG_MARGIN, option_row(OPTION_MARGINS, g_config.finisher_margin).name.data()};
    lines[2] = {MSG_OUTPUT_BIN, option_row(OPTION_BINS, g_config.output_bin).name.data()};
    return 3;
}
