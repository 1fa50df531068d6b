// The command loop: one token at a time from stdin, each bound to one routine.
#include <cstdio>
#include <cstring>
#include <exception>

#include "console_input.h"
#include "modulapi.h"

namespace {

constexpr const char* kMenu[] = {
    "Please input cmd:",
    "\"open\" for open scanner  ",
    "\"cap1\" for cap img1 and extra feature1",
    "\"cap2\" for cap img2 and extra feature2",
    "\"cyc\" for cycle test",
    "\"ts\" for test sound ",
    "\"f1\" for input file1.bmp and extract Feature1  ",
    "\"f2\" for input file2.bmp and extract Feature2  ",
    "\"m0\" for match Feature1 and Feature2 ",
    "\"m1\" for match Feature1 and img2 ",
    "\"c\" for compress image  ",
    "\"d\" for decompress image  ",
    "\"g1\" for GenFeatureFromEmpty1  ",
    "\"g2\" for GenFeatureFromEmpty2  ",
    "\"r1\" for read feature2 from file  ",
    "\"r2\" for read feature2 from file  ",
    "\"other\" for test other funcs   ",
    "\"e\" for error info  ",
    "\"close\" for close scanner  ",
    "\"q\" or \"quit\": exit application",
};

// Loop state that lives across commands, as the operator would expect from
// one session: the last similarity and the last numbers typed.
struct LoopLocals {
    char acCmd[kMaxToken + 1] = {};
    float score = 0;
    int cycTimes = 0;
    int soundCode = 0;
    int eNo = 0;
    unsigned char errdescription[512] = {};
};

bool is(const char* token, const char* command) {
    return std::strcmp(token, command) == 0;
}

void imageFileCommand(LoopLocals& l, unsigned char* pBmp, unsigned char* pFea) {
    showPrompt("please input bmp file name:");
    if (readFileName(l.acCmd, sizeof l.acCmd)) getFeaFromFile(l.acCmd, pBmp, pFea);
}

void featureFileCommand(LoopLocals& l, unsigned char* pFea) {
    showPrompt("please input feature file name:");
    if (readFileName(l.acCmd, sizeof l.acCmd)) readFileData(l.acCmd, pFea, kFeatureLen);
}

// Runs the command in l.acCmd; false when it is a quit command.
bool dispatch(LoopLocals& l) {
    const char* cmd = l.acCmd;
    if (is(cmd, "q") || is(cmd, "quit")) return false;
    if (is(cmd, "open")) {
        std::printf("LIVESCAN_Init with result %d \n", LIVESCAN_Init());
        std::printf("FP_Begin with result %d \n", FP_Begin());
    } else if (is(cmd, "cap1")) {
        capAndExtraFea(pFingerBmp1, pFea1);
    } else if (is(cmd, "cap2")) {
        capAndExtraFea(pFingerBmp2, pFea2);
    } else if (is(cmd, "cyc")) {
        showPrompt("Please input cycTimes:");
        if (readNumber(&l.cycTimes)) cycTest(l.cycTimes);
    } else if (is(cmd, "ts")) {
        showPrompt("Please input soundCode:");
        if (readNumber(&l.soundCode)) {
            const int ret = LIVESCAN_PlaySound(0, l.soundCode, 0);
            std::printf("soundCode is %d \n,LIVESCAN_PlaySound with result %d \n", l.soundCode, ret);
        }
    } else if (is(cmd, "e")) {
        showPrompt("Please input error no:");
        if (readNumber(&l.eNo)) {
            // Cleared first: a library that writes nothing must not show the
            // previous text or stack bytes.
            std::memset(l.errdescription, 0, sizeof l.errdescription);
            LIVESCAN_GetErrorInfo(l.eNo, reinterpret_cast<char*>(l.errdescription));
            printHex(l.errdescription, 50, 10);
        }
    } else if (is(cmd, "close")) {
        std::printf("LIVESCAN_Close with result %d \n", LIVESCAN_Close());
        std::printf("FP_End with result %d \n", FP_End());
    } else if (is(cmd, "other")) {
        testFuncs();
    } else if (is(cmd, "f1")) {
        imageFileCommand(l, pFingerBmp1, pFea1);
    } else if (is(cmd, "f2")) {
        imageFileCommand(l, pFingerBmp2, pFea2);
    } else if (is(cmd, "m0")) {
        matchFea(pFea1, pFea2, &l.score);
    } else if (is(cmd, "m1")) {
        matchImg(pFingerBmp2, pFea1, &l.score);
    } else if (is(cmd, "c")) {
        testCompress(pFingerBmp2, pCompressBmp);
    } else if (is(cmd, "d")) {
        testDeCompress(pCompressBmp, pFingerBmp2);
    } else if (is(cmd, "g1")) {
        testGenFeatureFromEmpty1(pFea1);
    } else if (is(cmd, "g2")) {
        testGenFeatureFromEmpty2(pFea2);
    } else if (is(cmd, "r1")) {
        featureFileCommand(l, pFea1);
    } else if (is(cmd, "r2")) {
        featureFileCommand(l, pFea2);
    }
    return true;
}

}  // namespace

void printMainMenu() {
    for (const char* line : kMenu) std::printf("%s\n", line);
}

void menu() {
    LoopLocals l;
    for (;;) {
        printMainMenu();
        const TokenRead got = readToken(l.acCmd, sizeof l.acCmd);
        // The end of input ends the session as "q" would.
        if (got == TokenRead::End) return;
        if (got == TokenRead::TooLong) {
            std::printf("input longer than %d characters ignored\n", kMaxToken);
            continue;
        }
        std::printf("you input :\n%s\n", l.acCmd);
        // Only the algorithm exercise routines guard their calls; an exception
        // from any other library call must not end the session either.
        try {
            if (!dispatch(l)) return;
        } catch (const std::exception& e) {
            std::printf("%s: exception from the library: %s\n", l.acCmd, e.what());
        } catch (...) {
            std::printf("%s: unknown exception from the library\n", l.acCmd);
        }
    }
}
