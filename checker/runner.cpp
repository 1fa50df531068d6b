#include "runner.h"

#include <chrono>
#include <cstdio>
#include <set>

#include "ID_FprCap.h"
#include "checks.h"

namespace tervo::check {
namespace {

constexpr int kCapturedImages = 2;

// What the entry-point check found out about one library.
struct Presence {
    bool loaded = false;
    std::set<std::string> missing;
};

Outcome findEntryPoints(Channel& channel, const Contract& contract) {
    std::string error;
    void* handle = openLibrary(contract.library, error);
    if (handle == nullptr) return failed("cannot be loaded: " + error);
    // Which file is under test, and whether it is one of the project's own.
    const tervo::origin::LibraryFile file = tervo::origin::fileOfHandle(handle);
    channel.library(file);
    const std::string where = file.path.empty() ? "" : file.path + ", " + tervo::origin::originText(file);
    std::string missing;
    for (const char* name : contract.entryPoints)
        if (loader::lookup<void*>(handle, name) == nullptr) {
            channel.missing(name);
            missing += (missing.empty() ? "" : ", ") + std::string(name);
        }
    if (!missing.empty()) return failed(missing + " missing" + (where.empty() ? "" : " (" + where + ")"));
    return passed(where);
}

// Two captures from the capture library, for the algorithm checks.
Outcome captureInputs(Session& s, Channel& channel) {
    requireOk(CHECK_CALL(s, LIVESCAN_Init), "LIVESCAN_Init");
    for (int i = 0; i < kCapturedImages; ++i) {
        GuardedBuffer image(kRawImageBytes);
        requireOk(CHECK_CALL(s, LIVESCAN_GetFPRawData, 0, image.data()), "LIVESCAN_GetFPRawData");
        channel.image(Image(image.data(), image.data() + kRawImageBytes));
    }
    CHECK_CALL(s, LIVESCAN_Close);
    return passed();
}

Inputs capturedInputs() {
    Inputs none;
    ChildReport report = runIsolated([&](Channel& channel) {
        Session s(channel, none);
        return captureInputs(s, channel);
    });
    Inputs inputs;
    if (report.outcome.status != Status::ok || report.images.size() != kCapturedImages) {
        inputs.why = "no image to work on, the capture failed (" + report.outcome.detail + "); give --image";
        return inputs;
    }
    for (int i = 0; i < kCapturedImages; ++i) {
        const ImageContent content = measureContent(report.images[i]);
        if (!showsSomething(content)) {
            inputs.why = "no image to work on, capture " + std::to_string(i + 1) + " is blank (" +
                         describe(content) + "); give --image";
            return inputs;
        }
    }
    return inputsFromFiles(report.images);
}

std::string skipReason(const Check& check, const Contract& contract, const Presence& presence,
                       const Inputs& inputs) {
    if (!presence.loaded) return std::string(contract.library) + " not loaded";
    for (const char* name : check.calls)
        if (presence.missing.count(name) != 0) return std::string(name) + " missing";
    if (check.images != Needs::nothing && !inputs.haveFirst) return inputs.why;
    if (check.images == Needs::twoImpressions && !inputs.haveSecond)
        return "needs two impressions of one finger; give --image twice";
    return {};
}

class Run {
  public:
    void report(Result result) {
        std::printf("%s\n", resultLine(result).c_str());
        std::fflush(stdout);
        results_.push_back(std::move(result));
    }
    std::vector<Result>& results() { return results_; }

  private:
    std::vector<Result> results_;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void runContract(const Contract& contract, const std::vector<Image>& files, Run& run,
                 std::vector<SuiteLibrary>& libraries) {
    std::printf("%s contract, %s:\n", contract.family == Family::capture ? "Capture" : "Algorithm",
                contract.library);
    auto start = std::chrono::steady_clock::now();
    Presence presence;
    ChildReport found = runIsolated([&](Channel& channel) { return findEntryPoints(channel, contract); });
    presence.loaded = found.outcome.status == Status::ok || !found.missing.empty();
    presence.missing.insert(found.missing.begin(), found.missing.end());
    if (!found.library.path.empty()) libraries.push_back({contract.name, found.library});
    run.report({contract.name, std::string(contract.library) + ": every entry point present", found.outcome,
                secondsSince(start)});

    Inputs inputs;
    if (contract.family == Family::algorithm)
        inputs = files.empty() ? capturedInputs() : inputsFromFiles(files);
    for (const Check& check : contract.checks) {
        const std::string name = std::string(check.entryPoint) + ": " + check.title;
        const std::string skip = skipReason(check, contract, presence, inputs);
        if (!skip.empty()) {
            run.report({contract.name, name, skipped(skip), 0});
            continue;
        }
        start = std::chrono::steady_clock::now();
        ChildReport child = runIsolated([&](Channel& channel) {
            Session s(channel, inputs);
            return check.run(s);
        });
        run.report({contract.name, name, child.outcome, secondsSince(start)});
    }
}

}  // namespace

Inputs inputsFromFiles(const std::vector<Image>& images) {
    Inputs inputs;
    if (images.empty()) return inputs;
    inputs.first = images[0];
    inputs.haveFirst = true;
    if (images.size() > 1) {
        inputs.second = images[1];
        inputs.haveSecond = true;
    }
    inputs.other = images.size() > 2 ? images[2] : mirrored(images[0]);
    return inputs;
}

std::vector<Result> runChecks(const std::string& only, const std::vector<Image>& files,
                              std::vector<SuiteLibrary>& libraries) {
    Run run;
    for (const Contract* contract : {&captureContract(), &algorithmContract()})
        if (only.empty() || only == contract->name) runContract(*contract, files, run, libraries);
    return std::move(run.results());
}

}  // namespace tervo::check
