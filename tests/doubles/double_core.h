// Scriptable test doubles of the two fingerprint libraries.
//
// A script is a list of `key=value` entries separated by ';' or line feeds.
// `Entry=v1,v2,...` sets the successive results of an entry point: an integer,
// `throw` or `throw:text` (a std::runtime_error), `throw-other` (an int is
// thrown) or `crash` (the process gets SIGSEGV). `Entry.field=v1,v2,...` sets successive values the entry
// point writes. Once a list is used up its last value repeats. `Entry.write=0` makes the entry point write
// nothing, `Entry.delay=ms` makes it take that long, `log=path` appends one line per call (name and
// numeric arguments) to a file, and `digest=1` adds the hashes of the buffers a call was handed. The script
// is read from the environment variable TERVO_DOUBLE when the library loads (TERVO_DOUBLE_LOG names the
// log) and can be replaced in-process through the library's
// configure function.
#ifndef TERVO_DOUBLE_CORE_H
#define TERVO_DOUBLE_CORE_H

#include <cstddef>
#include <string>
#include <type_traits>
#include <vector>

namespace tervo::test::dbl {

void configure(const char* script);
void configureFromEnvironment(const char* library);
void logLine(const std::string& line);
// With `digest=1` in the script, logs one line for a buffer an entry point was
// handed: its name and a 32-bit FNV-1a hash of its first len bytes, so that a
// case can tell whether the console kept or changed a buffer between calls.
void logDigest(const char* what, const unsigned char* data, std::size_t len);
// The first value of a key that is not an entry point's (`content`, `closed`),
// or fallback when the script does not set it.
std::string setting(const char* key, const char* fallback);
// Dies as a crashing library would.
[[noreturn]] void crash();

template <class T>
void appendNumber(std::vector<long long>& numbers, T arg) {
    if constexpr (std::is_arithmetic_v<T>) numbers.push_back(static_cast<long long>(arg));
}

// The numeric arguments of a call, buffers left out: what its log line shows.
template <class... Args>
std::vector<long long> numbersOf(Args... args) {
    std::vector<long long> numbers;
    (appendNumber(numbers, args), ...);
    return numbers;
}

// One call of an entry point: logs it, picks its scripted result (throwing if
// the script says so) and answers what it should write.
class Call {
  public:
    Call(const char* name, const std::vector<long long>& args);
    int result() const { return result_; }
    bool writes() const { return writes_; }
    long long integer(const char* field, long long fallback) const;
    double real(const char* field, double fallback) const;
    std::string text(const char* field, const char* fallback) const;
    // Answers code and writes nothing, whatever the script says.
    void refuse(int code) {
        result_ = code;
        writes_ = false;
    }

  private:
    std::string name_;
    int result_ = 1;
    bool writes_ = true;
};

// Writes text as a wide string ended by a wide zero into at most bytes bytes;
// unterminated, the text is repeated to fill all of them and no zero is written.
void writeWide(char* out, std::size_t bytes, const std::string& utf8, bool terminated = true);

}  // namespace tervo::test::dbl

#endif
