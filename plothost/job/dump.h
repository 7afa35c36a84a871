// A readable listing of a printer job of either language.
#pragma once
#include <string>

namespace job {

std::string dump_job(const std::string& bytes);

}  // namespace job
