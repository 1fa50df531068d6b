// Optional log of every entry-point call, one line each, for operators who
// want to see what the console asked of the device. Never written to stdout:
// the console's standard output is compared byte for byte.
#ifndef TERVO_SCANNER_CALL_LOG_H
#define TERVO_SCANNER_CALL_LOG_H

#include <cstdio>
#include <string>

namespace tervo::scanner {

class CallLog {
  public:
    CallLog() = default;
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;
    ~CallLog() { close(); }

    // Empty path: no log. "stderr": the error stream. Otherwise a file, appended to.
    // Returns false when the file cannot be opened.
    bool open(const std::string& path);
    void close();
    void record(const char* entryPoint, const std::string& arguments, int result);

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
};

}  // namespace tervo::scanner

#endif
