// What a check sees in its child process: the two libraries, opened by name
// as tervo-dlopen opens them, the images to work on, and calls that tell the
// parent which entry point is running.
#ifndef TERVO_CHECKER_SESSION_H
#define TERVO_CHECKER_SESSION_H

#include <chrono>
#include <string>
#include <vector>

#include "forward.h"
#include "images.h"
#include "isolation.h"
#include "outcome.h"

namespace tervo::check {

constexpr const char* kCaptureLibrary = "libID_FprCap.so";
constexpr const char* kAlgorithmLibrary = "libID_Fpr.so";

// The images the algorithm checks work on: two impressions of one finger
// (the second may be missing) and a print of another finger.
struct Inputs {
    Image first, second, other;
    bool haveFirst = false, haveSecond = false;
    std::string why;  // why there is no first image
};

class Session {
  public:
    Session(Channel& channel, const Inputs& inputs) : channel_(channel), inputs_(inputs) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Inputs& inputs() const { return inputs_; }

    // Calls the entry point of that name in its family's library (LIVESCAN_
    // or FP_), loading the library on first use; a library or entry point
    // that cannot be found ends the check as failed.
    template <class Fn, class... Args>
    int call(const char* name, Args... args) {
        const Fn fn = loader::lookup<Fn>(library(name), name);
        if (fn == nullptr) throw CheckFailed{std::string(name) + " missing"};
        channel_.calling(name);
        return fn(args...);
    }

    // As call, and the milliseconds it took.
    template <class Fn, class... Args>
    int timedCall(double& milliseconds, const char* name, Args... args) {
        const auto start = std::chrono::steady_clock::now();
        const int result = call<Fn>(name, args...);
        milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        return result;
    }

    void* library(const char* entryPoint);

  private:
    Channel& channel_;
    const Inputs& inputs_;
    void* capture_ = nullptr;
    void* algorithm_ = nullptr;
};

// Opens a library by name alone, with lazy binding, as the loader does;
// null with the dynamic loader's reason otherwise.
void* openLibrary(const char* file, std::string& error);

}  // namespace tervo::check

// The pointer type is the contract header's declaration of the entry point.
#define CHECK_CALL(session, entry, ...) (session).call<decltype(&entry)>(#entry __VA_OPT__(, ) __VA_ARGS__)
#define CHECK_TIMED_CALL(session, ms, entry, ...) \
    (session).timedCall<decltype(&entry)>(ms, #entry __VA_OPT__(, ) __VA_ARGS__)

#endif
