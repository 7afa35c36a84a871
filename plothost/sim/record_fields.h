// The host's view of a stored 40-byte configuration record, field by field: for tests that
// need particular (or hostile) stored records, and for reading and editing the host's
// store from the command line. This edits the host's copy, not the driver's dialog.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

struct RecordField {
    const char* name;
    int offset;
    int width;        // bytes: 1, 2 or 4, little-endian
    bool is_signed;
    int64_t min, max; // what the driver's dialogs accept for model 0
    bool hex;         // flag words are shown in hex
};

// An unknown field, a value that is not a number, or a value outside the allowed range
// (or, for a raw edit, outside what the field can hold). The text names the field and
// the range.
struct RecordFieldError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every field in record order (the five tone points as tone_point0..tone_point4).
const std::vector<RecordField>& record_fields();
const RecordField& record_field(const std::string& name);

int64_t record_get(const uint8_t* record, const RecordField& field);
// Checked: the value must be within the field's allowed range. Raw: anything the field's
// width can hold, for records the driver's own dialogs would never write.
enum class RecordEdit { checked, raw };
void record_put(uint8_t* record, const RecordField& field, int64_t value, RecordEdit edit = RecordEdit::checked);
// Sets a field from text: decimal, or hexadecimal with 0x.
void record_set(uint8_t* record, const std::string& name, const std::string& value, RecordEdit edit = RecordEdit::checked);
// "name=value".
void record_assign(uint8_t* record, const std::string& assignment, RecordEdit edit = RecordEdit::checked);

std::string record_format(const uint8_t* record, const RecordField& field);
// One "name = value" line per field; values outside the allowed range are marked.
std::string record_show(const uint8_t* record);

}  // namespace sim
