// The algorithm contract: what the console relies on from libID_Fpr.so.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "ID_Fpr.h"
#include "checks.h"

namespace tervo::check {
namespace {

constexpr std::size_t kTemplateBytes = 512;
constexpr std::size_t kVersionBytes = 10;
constexpr std::size_t kWorkBytes = 256;
constexpr unsigned char kLiveScanner = 11;  // what the console passes after a live capture
constexpr unsigned char kLiveFinger = 2;
constexpr std::uint8_t kBlankGray = 255;  // a bare optical sensor is light
constexpr std::uint32_t kGarbageSeed = 7;

using Bytes = std::vector<unsigned char>;

// The algorithm library, ready for the length of a check.
class Ready {
  public:
    explicit Ready(Session& s) : s_(s) { requireOk(CHECK_CALL(s, FP_Begin), "FP_Begin"); }
    ~Ready() {
        try {
            CHECK_CALL(s_, FP_End);
        } catch (...) {
        }
    }
    Ready(const Ready&) = delete;
    Ready& operator=(const Ready&) = delete;

  private:
    Session& s_;
};

// An image in one of the console's 95160-byte image buffers.
Bytes imageBuffer(const Bytes& content) {
    Bytes buffer(kImageBufferBytes, 0);
    std::copy(content.begin(), content.end(), buffer.begin());
    return buffer;
}

// A similarity written into guarded bytes: a library that writes more than
// the float is caught where that is checked and harms nothing elsewhere.
class Similarity {
  public:
    float* out() { return reinterpret_cast<float*>(bytes_.data()); }
    float value() const {
        float v;
        std::memcpy(&v, bytes_.data(), sizeof v);
        return v;
    }
    const GuardedBuffer& bytes() const { return bytes_; }

  private:
    GuardedBuffer bytes_{sizeof(float)};
};

Bytes extract(Session& s, const Image& image) {
    Bytes input = imageBuffer(image);
    GuardedBuffer features(kTemplateBytes);
    requireOk(CHECK_CALL(s, FP_FeatureExtract, kLiveScanner, kLiveFinger, input.data(), features.data()),
              "FP_FeatureExtract");
    return Bytes(features.data(), features.data() + kTemplateBytes);
}

float match(Session& s, Bytes a, Bytes b) {
    Similarity similarity;
    requireOk(CHECK_CALL(s, FP_FeatureMatch, a.data(), b.data(), similarity.out()), "FP_FeatureMatch");
    return similarity.value();
}

const Image& first(Session& s) {
    return s.inputs().first;
}

Outcome beginTwice(Session& s) {
    const int first = CHECK_CALL(s, FP_Begin);
    const int second = CHECK_CALL(s, FP_Begin);
    CHECK_CALL(s, FP_End);
    if (first != 1) return failed("answered " + std::to_string(first));
    if (second != 1) return failed("answered 1, then " + std::to_string(second) + " while ready");
    return passed();
}

Outcome end(Session& s) {
    requireOk(CHECK_CALL(s, FP_Begin), "FP_Begin");
    const int result = CHECK_CALL(s, FP_End);
    return result == 1 ? passed() : failed("answered " + std::to_string(result));
}

Outcome version(Session& s) {
    Ready ready(s);
    GuardedBuffer code(kVersionBytes);
    CHECK_CALL(s, FP_GetVersion, code.data());
    requireInBounds(code, "the version record");
    for (int i = 0; i < 4; ++i)
        if (!std::isprint(code.data()[i]))
            return failed("byte " + std::to_string(i) + " is " + std::to_string(code.data()[i]) +
                          ", not printable");
    return passed(std::string(reinterpret_cast<const char*>(code.data()), 4));
}

// A quality score, or -1 when the library refuses the image.
int quality(Session& s, const Image& image, GuardedBuffer& score) {
    Bytes input = imageBuffer(image);
    return CHECK_CALL(s, FP_GetQualityScore, input.data(), score.data()) == 1 ? score.data()[0] : -1;
}

Outcome qualityRange(Session& s) {
    Ready ready(s);
    GuardedBuffer score(1);
    const int q = quality(s, first(s), score);
    if (q < 0) return failed("answered other than 1 for a print");
    requireInBounds(score, "the score");
    if (q > 100) return failed("scored " + std::to_string(q));
    return passed("scored " + std::to_string(q));
}

Outcome qualityOrder(Session& s) {
    Ready ready(s);
    GuardedBuffer score(1);
    const int print = quality(s, first(s), score);
    const int blank = quality(s, uniformImage(kBlankGray), score);
    const int noise = quality(s, noiseImage(kGarbageSeed), score);
    const std::string scores = "a print scored " + std::to_string(print) + ", a blank image " +
                               std::to_string(blank) + ", noise " + std::to_string(noise);
    if (print < 0) return failed("answered other than 1 for a print");
    if (blank >= print || noise >= print) return failed(scores);
    return passed(scores);
}

Outcome extractInBounds(Session& s) {
    Ready ready(s);
    Bytes input = imageBuffer(first(s));
    GuardedBuffer features(kTemplateBytes);
    requireOk(CHECK_CALL(s, FP_FeatureExtract, kLiveScanner, kLiveFinger, input.data(), features.data()),
              "FP_FeatureExtract");
    requireInBounds(features, "the template");
    return passed();
}

Outcome deterministic(Session& s) {
    Ready ready(s);
    const Bytes once = extract(s, first(s));
    const Bytes twice = extract(s, first(s));
    std::size_t differ = 0;
    for (std::size_t i = 0; i < kTemplateBytes; ++i) differ += once[i] != twice[i];
    if (differ > 0) return failed("the templates differ in " + std::to_string(differ) + " of 512 bytes");
    return passed();
}

Outcome bmpAndRaw(Session& s) {
    Ready ready(s);
    const Bytes raw = extract(s, first(s));
    Bytes file = imageBuffer(encodeBmp(first(s)));
    GuardedBuffer features(kTemplateBytes);
    requireOk(CHECK_CALL(s, FP_FeatureExtract, 0, 0, file.data(), features.data()), "FP_FeatureExtract");
    const float similarity = match(s, raw, Bytes(features.data(), features.data() + kTemplateBytes));
    if (similarity <= kVerifiedSimilarity) return failed("similarity " + number(similarity));
    return passed("similarity " + number(similarity));
}

Outcome extractTime(Session& s) {
    Ready ready(s);
    extract(s, first(s));  // the first extraction may set tables up
    Bytes input = imageBuffer(first(s));
    GuardedBuffer features(kTemplateBytes);
    return fastestWithin(kExtractLimitMs, "FP_FeatureExtract", [&] {
        return CHECK_CALL(s, FP_FeatureExtract, kLiveScanner, kLiveFinger, input.data(), features.data());
    });
}

Outcome selfMatch(Session& s) {
    Ready ready(s);
    const Bytes features = extract(s, first(s));
    const float similarity = match(s, features, features);
    if (similarity <= kVerifiedSimilarity) return failed("similarity " + number(similarity));
    return passed("similarity " + number(similarity));
}

Outcome symmetric(Session& s) {
    Ready ready(s);
    const Bytes a = extract(s, first(s));
    std::vector<std::pair<const char*, Bytes>> others = {{"another finger", extract(s, s.inputs().other)}};
    if (s.inputs().haveSecond) others.push_back({"another impression", extract(s, s.inputs().second)});
    for (const auto& [which, b] : others) {
        const float there = match(s, a, b);
        const float back = match(s, b, a);
        if (std::fabs(there - back) > kSymmetryTolerance)
            return failed(number(there, 3) + " one way, " + number(back, 3) + " the other, with " + which);
    }
    return passed();
}

Outcome genuineAboveImpostor(Session& s) {
    Ready ready(s);
    const Bytes a = extract(s, first(s));
    const Bytes b = extract(s, s.inputs().second);
    const Bytes other = extract(s, s.inputs().other);
    const float genuine = match(s, a, b);
    const float impostor = std::max(match(s, a, other), match(s, b, other));
    const std::string scores = "one finger " + number(genuine) + ", two fingers " + number(impostor);
    return genuine > impostor ? passed(scores) : failed(scores);
}

Outcome matchTime(Session& s) {
    Ready ready(s);
    Bytes a = extract(s, first(s));
    Bytes b = extract(s, s.inputs().other);
    match(s, a, b);  // the first match may set tables up
    Similarity similarity;
    return fastestWithin(kMatchLimitMs, "FP_FeatureMatch", [&] {
        return CHECK_CALL(s, FP_FeatureMatch, a.data(), b.data(), similarity.out());
    });
}

Outcome matchInBounds(Session& s) {
    Ready ready(s);
    Bytes a = extract(s, first(s));
    Bytes b = a;
    Similarity similarity;
    requireOk(CHECK_CALL(s, FP_FeatureMatch, a.data(), b.data(), similarity.out()), "FP_FeatureMatch");
    requireInBounds(similarity.bytes(), "the similarity");
    return passed();
}

Outcome imageMatch(Session& s) {
    Ready ready(s);
    Bytes features = extract(s, first(s));
    Bytes input = imageBuffer(first(s));
    Similarity similarity;
    requireOk(CHECK_CALL(s, FP_ImageMatch, input.data(), features.data(), similarity.out()), "FP_ImageMatch");
    const float value = similarity.value();
    if (value <= kVerifiedSimilarity) return failed("similarity " + number(value));
    return passed("similarity " + number(value));
}

// An empty template from FP_GenFeatureFromEmpty1 or 2, in a guarded buffer.
using EmptyMaker = int (*)(Session&, unsigned char*);

int emptyOne(Session& s, unsigned char* out) {
    return CHECK_CALL(s, FP_GenFeatureFromEmpty1, 0, 0, out);
}

int emptyTwo(Session& s, unsigned char* out) {
    return CHECK_CALL(s, FP_GenFeatureFromEmpty2, 0, out);
}

Outcome emptyInBounds(Session& s, EmptyMaker make, const char* entryPoint) {
    Ready ready(s);
    GuardedBuffer empty(kTemplateBytes);
    requireOk(make(s, empty.data()), entryPoint);
    requireInBounds(empty, "the template");
    return passed();
}

Outcome emptyMatchesNothing(Session& s, EmptyMaker make, const char* entryPoint) {
    Ready ready(s);
    GuardedBuffer empty(kTemplateBytes);
    requireOk(make(s, empty.data()), entryPoint);
    Bytes e(empty.data(), empty.data() + kTemplateBytes);
    Bytes print = extract(s, first(s));
    for (const auto& [a, b] : {std::pair{e, print}, std::pair{print, e}}) {
        Bytes x = a, y = b;
        Similarity similarity;
        const int result = CHECK_CALL(s, FP_FeatureMatch, x.data(), y.data(), similarity.out());
        if (result == 1 && similarity.value() > kVerifiedSimilarity)
            return failed("FP_FeatureMatch scored " + number(similarity.value()) + " against a print");
    }
    return passed();
}

Outcome garbageTemplates(Session& s) {
    Ready ready(s);
    Bytes garbage = noiseBytes(kTemplateBytes, kGarbageSeed);
    Bytes again = garbage;
    Bytes print = extract(s, first(s));
    Bytes input = imageBuffer(first(s));
    Similarity similarity;
    if (CHECK_CALL(s, FP_FeatureMatch, garbage.data(), again.data(), similarity.out()) == 1)
        return failed("FP_FeatureMatch answered 1 for two garbage templates");
    if (CHECK_CALL(s, FP_FeatureMatch, print.data(), garbage.data(), similarity.out()) == 1)
        return failed("FP_FeatureMatch answered 1 for a print and a garbage template");
    if (CHECK_CALL(s, FP_ImageMatch, input.data(), garbage.data(), similarity.out()) == 1)
        return failed("FP_ImageMatch answered 1 for a garbage template");
    return passed();
}

Outcome garbageCompressed(Session& s) {
    Ready ready(s);
    Bytes garbage = noiseBytes(kImageBufferBytes, kGarbageSeed);
    GuardedBuffer out(kImageBufferBytes), work(kWorkBytes);
    const int result = CHECK_CALL(s, FP_Decompress, garbage.data(), out.data(), work.data());
    return result == 1 ? failed("answered 1") : passed("answered " + std::to_string(result));
}

struct Compressed {
    GuardedBuffer data{kImageBufferBytes};
    GuardedBuffer work{kWorkBytes};
};

void compress(Session& s, Compressed& out) {
    Bytes input = imageBuffer(first(s));
    requireOk(
        CHECK_CALL(s, FP_Compress, 0, 0, 0, input.data(), kCompressRatio, out.data.data(), out.work.data()),
        "FP_Compress");
}

Outcome compressBudget(Session& s) {
    Ready ready(s);
    Compressed c;
    compress(s, c);
    const std::size_t budget = kRawImageBytes / kCompressRatio + kCompressedHeaderAllowance;
    const std::size_t used = c.data.extentWritten();
    if (used > budget) return failed(std::to_string(used) + " bytes, over " + std::to_string(budget));
    return passed(std::to_string(used) + " bytes");
}

Outcome compressInBounds(Session& s) {
    Ready ready(s);
    Compressed c;
    compress(s, c);
    requireInBounds(c.data, "the output buffer");
    requireInBounds(c.work, "the work buffer");
    return passed();
}

Outcome decompressInBounds(Session& s) {
    Ready ready(s);
    Compressed c;
    compress(s, c);
    Bytes compressed(c.data.data(), c.data.data() + kImageBufferBytes);
    GuardedBuffer out(kImageBufferBytes), work(kWorkBytes);
    requireOk(CHECK_CALL(s, FP_Decompress, compressed.data(), out.data(), work.data()), "FP_Decompress");
    requireInBounds(out, "the output buffer");
    requireInBounds(work, "the work buffer");
    return passed();
}

Outcome roundTrip(Session& s) {
    Ready ready(s);
    Compressed c;
    compress(s, c);
    Bytes compressed(c.data.data(), c.data.data() + kImageBufferBytes);
    GuardedBuffer out(kImageBufferBytes), work(kWorkBytes);
    requireOk(CHECK_CALL(s, FP_Decompress, compressed.data(), out.data(), work.data()), "FP_Decompress");
    const Bytes original = extract(s, first(s));
    const Bytes restored = extract(s, Image(out.data(), out.data() + kRawImageBytes));
    const float similarity = match(s, original, restored);
    if (similarity <= kVerifiedSimilarity) return failed("similarity " + number(similarity));
    return passed("similarity " + number(similarity));
}

}  // namespace

const Contract& algorithmContract() {
    const Needs image = Needs::image;
    static const Contract contract{
        Family::algorithm,
        "algorithm",
        kAlgorithmLibrary,
        algorithmEntryPoints(),
        {
            {"FP_Begin",
             "answers 1, and 1 again while ready",
             {"FP_Begin", "FP_End"},
             Needs::nothing,
             beginTwice},
            {"FP_End", "answers 1", {"FP_Begin", "FP_End"}, Needs::nothing, end},
            {"FP_GetVersion",
             "writes nothing past 10 bytes, the first four printable",
             {"FP_Begin", "FP_GetVersion"},
             Needs::nothing,
             version},
            {"FP_GetQualityScore",
             "a print scores 0 to 100 in one byte",
             {"FP_Begin", "FP_GetQualityScore"},
             image,
             qualityRange},
            {"FP_GetQualityScore",
             "a blank and a noise image score lower than a print",
             {"FP_Begin", "FP_GetQualityScore"},
             image,
             qualityOrder},
            {"FP_FeatureExtract",
             "answers 1 and writes nothing past 512 bytes",
             {"FP_Begin", "FP_FeatureExtract"},
             image,
             extractInBounds},
            {"FP_FeatureExtract",
             "the same image twice gives the same template",
             {"FP_Begin", "FP_FeatureExtract"},
             image,
             deterministic},
            {"FP_FeatureExtract",
             "a BMP file and the same image raw give templates that match",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             bmpAndRaw},
            {"FP_FeatureExtract",
             "an extraction within 1000 ms",
             {"FP_Begin", "FP_FeatureExtract"},
             image,
             extractTime},
            {"FP_FeatureMatch",
             "writes nothing past the 4-byte similarity",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             matchInBounds},
            {"FP_FeatureMatch",
             "a template matches itself above 0.6",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             selfMatch},
            {"FP_FeatureMatch",
             "symmetric within 0.01",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             symmetric},
            {"FP_FeatureMatch",
             "two impressions of one finger score above two fingers",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch"},
             Needs::twoImpressions,
             genuineAboveImpostor},
            {"FP_FeatureMatch",
             "a match within 50 ms",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             matchTime},
            {"FP_FeatureMatch",
             "garbage templates answer other than 1",
             {"FP_Begin", "FP_FeatureExtract", "FP_FeatureMatch", "FP_ImageMatch"},
             image,
             garbageTemplates},
            {"FP_ImageMatch",
             "an image matches its own template above 0.6",
             {"FP_Begin", "FP_FeatureExtract", "FP_ImageMatch"},
             image,
             imageMatch},
            {"FP_GenFeatureFromEmpty1",
             "answers 1 and writes nothing past 512 bytes",
             {"FP_Begin", "FP_GenFeatureFromEmpty1"},
             Needs::nothing,
             [](Session& s) { return emptyInBounds(s, emptyOne, "FP_GenFeatureFromEmpty1"); }},
            {"FP_GenFeatureFromEmpty1",
             "its template matches no print",
             {"FP_Begin", "FP_GenFeatureFromEmpty1", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             [](Session& s) { return emptyMatchesNothing(s, emptyOne, "FP_GenFeatureFromEmpty1"); }},
            {"FP_GenFeatureFromEmpty2",
             "answers 1 and writes nothing past 512 bytes",
             {"FP_Begin", "FP_GenFeatureFromEmpty2"},
             Needs::nothing,
             [](Session& s) { return emptyInBounds(s, emptyTwo, "FP_GenFeatureFromEmpty2"); }},
            {"FP_GenFeatureFromEmpty2",
             "its template matches no print",
             {"FP_Begin", "FP_GenFeatureFromEmpty2", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             [](Session& s) { return emptyMatchesNothing(s, emptyTwo, "FP_GenFeatureFromEmpty2"); }},
            {"FP_Compress",
             "ratio 6 within 92160 / 6 bytes and a 1078-byte header",
             {"FP_Begin", "FP_Compress"},
             image,
             compressBudget},
            {"FP_Compress",
             "writes nothing past 95160 bytes of output and 256 of work buffer",
             {"FP_Begin", "FP_Compress"},
             image,
             compressInBounds},
            {"FP_Decompress",
             "writes nothing past 95160 bytes of output and 256 of work buffer",
             {"FP_Begin", "FP_Compress", "FP_Decompress"},
             image,
             decompressInBounds},
            {"FP_Decompress",
             "the restored image matches the original above 0.6",
             {"FP_Begin", "FP_Compress", "FP_Decompress", "FP_FeatureExtract", "FP_FeatureMatch"},
             image,
             roundTrip},
            {"FP_Decompress",
             "a garbage compressed image answers other than 1",
             {"FP_Begin", "FP_Decompress"},
             Needs::nothing,
             garbageCompressed},
        }};
    return contract;
}

}  // namespace tervo::check
