// Start-up and shutdown. The two programs differ only in which library they
// open first: the linked build opens the scanner first, the run-time loading
// build the algorithm library first (TERVO_ALGORITHM_FIRST).
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "library_origin.h"
#include "modulapi.h"

#ifndef TERVO_ALGORITHM_FIRST
#define TERVO_ALGORITHM_FIRST 0
#endif
#ifndef TERVO_VERSION
#define TERVO_VERSION "unknown"
#endif

namespace {

constexpr const char* kProgramName = TERVO_ALGORITHM_FIRST ? "tervo-dlopen" : "tervo";

// "--help" or "--version" as the only argument answers and ends the program
// before any library call; anywhere else they are ignored as before.
bool answeredProgramInfo(int argc, char** argv) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", kProgramName, TERVO_VERSION);
        return true;
    }
    if (std::strcmp(argv[1], "--help") != 0) return false;
    std::printf(
        "usage: %s [IMAGE1.bmp IMAGE2.bmp]\n"
        "\n"
        "Console test tool for the capture library libID_FprCap.so and the algorithm\n"
        "library libID_Fpr.so, which this program %s.\n"
        "Type commands on standard input; the menu lists them. With two BMP files,\n"
        "they are extracted and matched before the first prompt.\n"
        "\n"
        "  --help     print this text\n"
        "  --version  print the version\n",
        kProgramName, TERVO_ALGORITHM_FIRST ? "loads by name at run time" : "is linked against");
    return true;
}

bool openScanner() {
    const int nRet = LIVESCAN_Init();
    if (nRet != 1) {
        std::printf("Open Vornet fail %d!\n", nRet);
        return false;
    }
    std::printf("Open Vornet success!\n");
    return true;
}

int beginAlgorithm() {
    const int Retval = FP_Begin();
    std::printf("FP_Begin with result %d \n", Retval);
    return Retval;
}

bool allocateBuffers() {
    pFea1 = static_cast<unsigned char*>(std::malloc(kFeatureLen));
    pFea2 = static_cast<unsigned char*>(std::malloc(kFeatureLen));
    pFingerBmp1 = static_cast<unsigned char*>(std::malloc(imgLen));
    pFingerBmp2 = static_cast<unsigned char*>(std::malloc(imgLen));
    pCompressBmp = static_cast<unsigned char*>(std::malloc(imgLen));
    if (!(pFea1 && pFea2 && pFingerBmp1 && pFingerBmp2 && pCompressBmp)) return false;
    // Cleared, so that a command run before anything was captured or read
    // hands the libraries zeros rather than indeterminate bytes.
    std::memset(pFea1, 0, kFeatureLen);
    std::memset(pFea2, 0, kFeatureLen);
    for (unsigned char* image : {pFingerBmp1, pFingerBmp2, pCompressBmp}) std::memset(image, 0, imgLen);
    return true;
}

void releaseBuffers() {
    for (unsigned char** buffer : {&pFea1, &pFea2, &pFingerBmp1, &pFingerBmp2, &pCompressBmp}) {
        std::free(*buffer);
        *buffer = nullptr;
    }
}

void closeLibraries() {
    std::printf("FP_End with result %d \n", FP_End());
    std::printf("LIVESCAN_Close with result %d \n", LIVESCAN_Close());
}

}  // namespace

void prepareStdio() {
    // Every line printed before a library call or a read of stdin must reach
    // a pipe or file even if the library then crashes or hangs.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Device texts are wide strings printed with %ls, which stops at the first
    // non-ASCII character in the "C" locale.
    const char* locale = std::setlocale(LC_CTYPE, "");
    if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) {
        if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "en_US.UTF-8");
    }
}

int tervoMain(int argc, char** argv) {
    if (answeredProgramInfo(argc, argv)) return 0;
#if !TERVO_ALGORITHM_FIRST
    // The linked build's libraries came with the program: say which files
    // answer the calls it is about to make (the loader does so as it opens them).
    tervo::origin::announce("libID_FprCap.so", tervo::origin::fileDefining("LIVESCAN_Init"));
    tervo::origin::announce("libID_Fpr.so", tervo::origin::fileDefining("FP_Begin"));
#endif
#if TERVO_ALGORITHM_FIRST
    const int Retval = beginAlgorithm();
    if (!openScanner()) return -1;
#else
    if (!openScanner()) return -1;
    const int Retval = beginAlgorithm();
#endif

    if (!allocateBuffers()) {
        std::printf("unable to allocate the console buffers!\n");
        closeLibraries();
        releaseBuffers();
        return 1;
    }

    if (Retval == 1) {
        unsigned char ver[10] = {};
        FP_GetVersion(ver);
        std::printf("Version:%c.%c.%c.%c\n", ver[0], ver[1], ver[2], ver[3]);
        if (argc > 2) {
            float score = 0;
            getFeaFromFile(argv[1], pFingerBmp1, pFea1);
            getFeaFromFile(argv[2], pFingerBmp2, pFea2);
            matchFea(pFea1, pFea2, &score);
        }
        menu();
    }

    closeLibraries();
    releaseBuffers();
    return 0;
}
