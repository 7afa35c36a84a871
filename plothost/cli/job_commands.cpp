// dump and preview: what a job will print.
#include <cstdio>

#include "commands.h"
#include "job/dump.h"
#include "job/preview.h"

namespace cli {

int cmd_dump(const Options& o) {
    if (o.args.size() != 1) throw Error("needs one JOB file", 2);
    std::fputs(utf8(job::dump_job(read_file(o.args[0]))).c_str(), stdout);
    return 0;
}

int cmd_preview(const Options& o) {
    if (o.args.size() != 1 || o.output.empty()) throw Error("needs one JOB file and -o PNG", 2);
    std::string bytes = read_file(o.args[0]);
    job::PreviewStats st;
    job::Picture pic;
    try {
        pic = job::render_job(bytes, o.dpi, &st);
        std::string temp = o.output + ".part";
        job::write_png(pic, temp);
        if (std::rename(temp.c_str(), o.output.c_str()) != 0) throw Error("cannot write " + o.output);
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(o.args[0] + ": " + e.what());
    }
    std::printf("%s: %d x %d pixels at %g dpi; %zu vectors, %zu polygons, %zu images\n", o.output.c_str(), pic.width, pic.height, o.dpi,
                st.lines, st.polygons, st.images);
    return 0;
}

}  // namespace cli
