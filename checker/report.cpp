#include "report.h"

#include <cstdio>

namespace tervo::check {
namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return 0;
    return length;
}

// Text as XML attribute or element content: markup escaped, and bytes XML
// cannot carry (control characters, broken UTF-8 from a library) as '?'.
std::string xml(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t length = utf8Length(text, i);
        if (length == 0 || (length == 1 && static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')) {
            out += '?';
            ++i;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string counts(const std::vector<Result>& results) {
    const Totals t = totalsOf(results);
    double time = 0;
    for (const Result& r : results) time += r.seconds;
    return "tests=\"" + std::to_string(results.size()) + "\" failures=\"" + std::to_string(t.failed) +
           "\" errors=\"0\" skipped=\"" + std::to_string(t.skipped) + "\" time=\"" + seconds(time) + "\"";
}

}  // namespace

std::string resultLine(const Result& result) {
    const Outcome& o = result.outcome;
    switch (o.status) {
        case Status::ok:
            return "ok    " + result.name + (o.detail.empty() ? "" : " (" + o.detail + ")");
        case Status::fail:
            return "FAIL  " + result.name + ": " + o.detail;
        case Status::skip:
            return "skip  " + result.name + ": " + o.detail;
    }
    return {};
}

Totals totalsOf(const std::vector<Result>& results) {
    Totals t;
    for (const Result& r : results) {
        t.passed += r.outcome.status == Status::ok;
        t.failed += r.outcome.status == Status::fail;
        t.skipped += r.outcome.status == Status::skip;
    }
    return t;
}

std::string totalsLine(const Totals& totals) {
    return std::to_string(totals.passed) + " passed, " + std::to_string(totals.failed) + " failed, " +
           std::to_string(totals.skipped) + " skipped";
}

void writeJUnit(std::ostream& out, const std::vector<Result>& results,
                const std::vector<SuiteLibrary>& libraries) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out << "<testsuites name=\"tervo-check\" " << counts(results) << ">\n";
    for (std::size_t begin = 0; begin < results.size();) {
        std::size_t end = begin;
        while (end < results.size() && results[end].suite == results[begin].suite) ++end;
        const std::vector<Result> suite(results.begin() + static_cast<long>(begin),
                                        results.begin() + static_cast<long>(end));
        out << "  <testsuite name=\"" << xml(suite.front().suite) << "\" " << counts(suite) << ">\n";
        for (const SuiteLibrary& library : libraries)
            if (library.suite == suite.front().suite)
                out << "    <properties>\n"
                    << "      <property name=\"library\" value=\"" << xml(library.file.path) << "\"/>\n"
                    << "      <property name=\"origin\" value=\""
                    << xml(tervo::origin::originText(library.file)) << "\"/>\n"
                    << "    </properties>\n";
        for (const Result& r : suite) {
            out << "    <testcase classname=\"tervo-check." << xml(r.suite) << "\" name=\"" << xml(r.name)
                << "\" time=\"" << seconds(r.seconds) << "\">";
            const std::string detail = xml(r.outcome.detail);
            if (r.outcome.status == Status::fail)
                out << "<failure message=\"" << detail << "\">" << detail << "</failure>";
            else if (r.outcome.status == Status::skip)
                out << "<skipped message=\"" << detail << "\"/>";
            else if (!detail.empty())
                out << "<system-out>" << detail << "</system-out>";
            out << "</testcase>\n";
        }
        out << "  </testsuite>\n";
        begin = end;
    }
    out << "</testsuites>\n";
}

}  // namespace tervo::check
