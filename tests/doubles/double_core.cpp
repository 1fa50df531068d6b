#include "double_core.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tervo::test::dbl {
namespace {

struct Values {
    std::vector<std::string> items;
    std::size_t next = 0;
};

std::map<std::string, Values>& script() {
    static std::map<std::string, Values> s;
    return s;
}

std::string& logPath() {
    static std::string path;
    return path;
}

std::vector<std::string> split(const std::string& text, const char* separators) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find_first_of(separators, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// The next scripted value of key; false when the script does not set it.
bool take(const std::string& key, std::string* out) {
    auto found = script().find(key);
    if (found == script().end() || found->second.items.empty()) return false;
    Values& v = found->second;
    *out = v.items[v.next < v.items.size() ? v.next : v.items.size() - 1];
    ++v.next;
    return true;
}

}  // namespace

void configure(const char* text) {
    script().clear();
    if (text == nullptr) return;
    for (const std::string& entry : split(text, ";\n")) {
        if (entry.empty()) continue;
        const std::size_t eq = entry.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "test double: ignoring entry without '=': %s\n", entry.c_str());
            continue;
        }
        const std::string key = entry.substr(0, eq);
        const std::string value = entry.substr(eq + 1);
        if (key == "log")
            logPath() = value;
        else
            script()[key].items = split(value, ",");
    }
}

void configureFromEnvironment(const char* library) {
    if (const char* log = std::getenv("TERVO_DOUBLE_LOG")) logPath() = log;
    configure(std::getenv("TERVO_DOUBLE"));
    logLine(std::string("load ") + library);
}

std::string setting(const char* key, const char* fallback) {
    auto found = script().find(key);
    return found == script().end() || found->second.items.empty() ? fallback : found->second.items.front();
}

void crash() {
    std::raise(SIGSEGV);
    std::abort();  // only if SIGSEGV is ignored
}

void logLine(const std::string& line) {
    if (logPath().empty()) return;
    if (std::FILE* f = std::fopen(logPath().c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

void logDigest(const char* what, const unsigned char* data, std::size_t len) {
    if (script().count("digest") == 0 || data == nullptr) return;
    std::uint32_t hash = 2166136261U;
    for (std::size_t i = 0; i < len; ++i) hash = (hash ^ data[i]) * 16777619U;
    char line[64];
    std::snprintf(line, sizeof line, "  %s %08x", what, static_cast<unsigned>(hash));
    logLine(line);
}

Call::Call(const char* name, const std::vector<long long>& args) : name_(name) {
    std::string line = name_;
    for (long long a : args) line += " " + std::to_string(a);
    logLine(line);

    std::string outcome;
    if (take(name_, &outcome)) {
        if (outcome == "throw-other") throw 42;
        if (outcome == "crash") crash();
        if (outcome.compare(0, 5, "throw") == 0)
            throw std::runtime_error(outcome.size() > 6 ? outcome.substr(6) : "double failure in " + name_);
        result_ = std::atoi(outcome.c_str());
    }
    std::string write;
    if (take(name_ + ".write", &write)) writes_ = write != "0";
    std::string delay;
    if (take(name_ + ".delay", &delay))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay.c_str())));
}

long long Call::integer(const char* field, long long fallback) const {
    std::string v;
    return take(name_ + "." + field, &v) ? std::strtoll(v.c_str(), nullptr, 0) : fallback;
}

double Call::real(const char* field, double fallback) const {
    std::string v;
    return take(name_ + "." + field, &v) ? std::strtod(v.c_str(), nullptr) : fallback;
}

std::string Call::text(const char* field, const char* fallback) const {
    std::string v;
    return take(name_ + "." + field, &v) ? v : fallback;
}

void writeWide(char* out, std::size_t bytes, const std::string& utf8, bool terminated) {
    // Decoded by hand: the double must not depend on the caller's locale.
    std::vector<wchar_t> wide;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        unsigned long code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        wide.push_back(static_cast<wchar_t>(code));
        i += 1 + extra;
    }
    const std::size_t room = bytes / sizeof(wchar_t);
    if (room == 0) return;
    if (!terminated) {
        for (std::size_t i = 0; !wide.empty() && wide.size() < room; ++i) wide.push_back(wide[i]);
        std::memcpy(out, wide.data(), std::min(wide.size(), room) * sizeof(wchar_t));
        return;
    }
    if (wide.size() >= room) wide.resize(room - 1);
    wide.push_back(L'\0');
    std::memcpy(out, wide.data(), wide.size() * sizeof(wchar_t));
}

}  // namespace tervo::test::dbl
