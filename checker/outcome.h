// What one check found: ok, FAIL or skip, with the observed value or reason.
#ifndef TERVO_CHECKER_OUTCOME_H
#define TERVO_CHECKER_OUTCOME_H

#include <string>

namespace tervo::check {

enum class Status { ok, fail, skip };

struct Outcome {
    Status status = Status::ok;
    std::string detail;  // ok: what was measured (may be empty); FAIL: what was observed; skip: why
};

inline Outcome passed(std::string observed = {}) {
    return {Status::ok, std::move(observed)};
}
inline Outcome failed(std::string observed) {
    return {Status::fail, std::move(observed)};
}
inline Outcome skipped(std::string reason) {
    return {Status::skip, std::move(reason)};
}

// Thrown inside a check to end it as failed; what() is the observed value.
struct CheckFailed {
    std::string observed;
};

}  // namespace tervo::check

#endif
