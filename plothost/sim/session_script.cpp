#include "session_script.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "image_source.h"

namespace sim {

namespace {

std::string escaped(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == 27) out += "\\e";
        else out += c;
    }
    return out;
}

std::string hex(const uint8_t* p, size_t n) {
    std::string out;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        out += b;
    }
    return out;
}

void set_field(Packet& p, const std::string& field, int line) {
    size_t at = field.find('@'), eq = field.find('=');
    if (at == std::string::npos || eq == std::string::npos || eq < at)
        throw ScriptError("line " + std::to_string(line) + ": field '" + field + "' is not TYPE@OFFSET=VALUE");
    std::string type = field.substr(0, at);
    int off = std::atoi(field.substr(at + 1, eq - at - 1).c_str());
    std::string value = field.substr(eq + 1);
    long long iv = std::strtoll(value.c_str(), nullptr, 0);
    if (type == "u8") p.set_u8(off, static_cast<uint8_t>(iv));
    else if (type == "i16") p.set_i16(off, static_cast<int16_t>(iv));
    else if (type == "i32") p.set_i32(off, static_cast<int32_t>(iv));
    else if (type == "f64") p.set_f64(off, std::strtod(value.c_str(), nullptr));
    else throw ScriptError("line " + std::to_string(line) + ": unknown field type '" + type + "'");
}

// Lists the byte ranges of the packet that the request changed.
void changed_ranges(std::ostringstream& out, const std::vector<uint8_t>& before, const Packet& after) {
    size_t n = before.size();
    for (size_t i = 0; i < n;) {
        if (before[i] == after.data()[i]) { ++i; continue; }
        size_t j = i;
        while (j < n && (before[j] != after.data()[j] || (j + 1 < n && before[j + 1] != after.data()[j + 1]))) ++j;
        out << "  +" << i << ": " << hex(after.data() + i, j - i) << "\n";
        i = j;
    }
}

void list_events(std::ostringstream& out, const Host& host, size_t from) {
    for (size_t i = from; i < host.events.size(); ++i) {
        const Event& e = host.events[i];
        switch (e.kind) {
            case Event::CONSOLE: out << "  console \"" << escaped(cp1252_to_utf8(e.bytes)) << "\"\n"; break;
            case Event::SEND_DIRECT: out << "  send-direct \"" << escaped(e.bytes) << "\"\n"; break;
            case Event::WRITE_BYTES:
                out << "  write(" << e.args[0] << "," << e.args[1] << ",*," << e.args[2] << "," << e.args[3] << ") -> " << e.result << "\n"
                    << hex_lines(e.bytes, "    ");
                break;
            case Event::LOAD_CONFIG: out << "  load-config(" << e.args[0] << ") -> " << e.result << "\n"; break;
            case Event::SAVE_CONFIG:
                out << "  save-config(" << e.args[0] << ") -> " << e.result << "\n" << hex_lines(e.bytes, "    ");
                break;
            case Event::JOB_HANDLE: out << "  job-handle(" << e.args[0] << "," << e.args[1] << ") -> " << e.result << "\n"; break;
        }
    }
}

void list_descriptor(std::ostringstream& out, const uint8_t* d) {
    std::string bytes(reinterpret_cast<const char*>(d), 504);
    std::memset(&bytes[410], 0xAA, 8);  // handler addresses differ between builds
    out << "descriptor (handler addresses shown as AA)\n" << hex_lines(bytes, "  ");
}

uint8_t hex_nibble(char c, int line) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw ScriptError("line " + std::to_string(line) + ": bad hex digit");
}

void set_store(Host& host, std::istringstream& in, int line) {
    std::string digits, word;
    while (in >> word) digits += word;
    if (digits.size() != 80) throw ScriptError("line " + std::to_string(line) + ": store needs 40 bytes of hex");
    for (int i = 0; i < 40; ++i) host.store.record[i] = hex_nibble(digits[2 * i], line) << 4 | hex_nibble(digits[2 * i + 1], line);
    host.store.present = true;
}

void set_fault(Host& host, const std::string& what, int line) {
    if (what == "none") host.faults = Faults{};
    else if (what == "load") host.faults.fail_load = true;
    else if (what == "save") host.faults.fail_save = true;
    else if (what.rfind("write=", 0) == 0) host.faults.fail_write_at = std::atoi(what.c_str() + 6);
    else if (what.rfind("handle=", 0) == 0) host.faults.job_handle = std::atoi(what.c_str() + 7);
    else throw ScriptError("line " + std::to_string(line) + ": unknown fault '" + what + "'");
}

// A raster image request (52) whose callbacks the simulator's image source answers.
Packet image_packet(std::istringstream& in, int line) {
    std::string rest;
    std::getline(in, rest);
    try {
        return script_image_packet(rest);
    } catch (const std::runtime_error& e) {
        throw ScriptError("line " + std::to_string(line) + ": " + e.what());
    }
}

}  // namespace

std::string hex_lines(const std::string& bytes, const std::string& indent) {
    std::string out;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); i += 16) out += indent + hex(p + i, bytes.size() - i < 16 ? bytes.size() - i : 16) + "\n";
    return out;
}

std::string run_session_script(Host& host, const std::string& script) {
    script_images_clear();
    std::ostringstream out;
    std::istringstream lines(script);
    std::string text;
    int line = 0;
    while (std::getline(lines, text)) {
        ++line;
        size_t hash = text.find('#');
        if (hash != std::string::npos) text.resize(hash);
        std::istringstream in(text);
        std::string verb;
        if (!(in >> verb)) continue;
        if (verb == "descriptor") { list_descriptor(out, host.descriptor()); continue; }
        if (verb == "store") { set_store(host, in, line); continue; }
        if (verb == "fault") {
            std::string what;
            in >> what;
            set_fault(host, what, line);
            continue;
        }
        if (verb != "config" && verb != "plot" && verb != "image") throw ScriptError("line " + std::to_string(line) + ": unknown verb '" + verb + "'");
        Packet p = verb == "image" ? image_packet(in, line) : Packet(0);
        if (verb != "image") {
            int code = 0;
            if (!(in >> code)) throw ScriptError("line " + std::to_string(line) + ": missing request code");
            p.set_i16(0, static_cast<int16_t>(code));
            std::string field;
            while (in >> field) set_field(p, field, line);
        }
        std::vector<uint8_t> before(p.data(), p.data() + p.size());
        size_t first_event = host.events.size();
        if (verb == "config") host.config(p);
        else host.plot(p);
        out << "> " << text << "\n  word0 = " << p.i16(0) << "\n";
        changed_ranges(out, before, p);
        list_events(out, host, first_event);
    }
    return out.str();
}

}  // namespace sim
