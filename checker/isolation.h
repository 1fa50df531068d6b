// Every check runs in a child process of its own: a library that crashes,
// hangs or throws fails that check, and the run goes on with the next one.
// The child sends what it finds back through a pipe as typed records.
#ifndef TERVO_CHECKER_ISOLATION_H
#define TERVO_CHECKER_ISOLATION_H

#include <functional>
#include <string>
#include <vector>

#include "images.h"
#include "library_origin.h"
#include "outcome.h"

namespace tervo::check {

// The child's end of the pipe.
class Channel {
  public:
    explicit Channel(int fd) : fd_(fd) {}
    // Sent before every library call, so that a crash is blamed on its entry point.
    void calling(const std::string& entryPoint) { send('c', entryPoint.data(), entryPoint.size()); }
    void missing(const std::string& entryPoint) { send('m', entryPoint.data(), entryPoint.size()); }
    // The file a library was loaded from, for the report.
    void library(const tervo::origin::LibraryFile& file);
    void image(const Image& image) { send('i', image.data(), image.size()); }
    void outcome(const Outcome& outcome);

  private:
    void send(char type, const void* data, std::size_t size);
    int fd_;
};

// What the parent received from one child.
struct ChildReport {
    Outcome outcome;
    std::vector<std::string> missing;
    tervo::origin::LibraryFile library;  // empty unless the child sent it
    std::vector<Image> images;
};

constexpr int kCheckTimeoutSeconds = 60;

// Runs body in a child process with its standard output sent to standard
// error (so that a library's chatter cannot mix with the results).
ChildReport runIsolated(const std::function<Outcome(Channel&)>& body,
                        int timeoutSeconds = kCheckTimeoutSeconds);

}  // namespace tervo::check

#endif
