#include "call_log.h"

namespace tervo::scanner {

bool CallLog::open(const std::string& path) {
    if (path == path_ && (file_ != nullptr || path.empty())) return true;
    close();
    path_ = path;
    if (path.empty()) return true;
    if (path == "stderr") {
        file_ = stderr;
        return true;
    }
    file_ = std::fopen(path.c_str(), "a");
    ownsFile_ = file_ != nullptr;
    if (file_ == nullptr) path_.clear();
    return file_ != nullptr;
}

void CallLog::close() {
    if (ownsFile_) std::fclose(file_);
    file_ = nullptr;
    ownsFile_ = false;
    path_.clear();
}

void CallLog::record(const char* entryPoint, const std::string& arguments, int result) {
    if (file_ == nullptr) return;
    std::fprintf(file_, "LIVESCAN_%s(%s) -> %d\n", entryPoint, arguments.c_str(), result);
    std::fflush(file_);
}

}  // namespace tervo::scanner
