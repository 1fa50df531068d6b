// The test console: start-up, the command loop and the test routine behind
// every command. All routines are plain functions so that tests can call each
// one in-process.
#ifndef TERVO_MODULAPI_H
#define TERVO_MODULAPI_H

#include <cstdint>
#include <cstdio>
#include <exception>

#include "ID_Fpr.h"
#include "ID_FprCap.h"

// Result codes of the two libraries.
enum : int {
    GA_OK = 1,
    GA_NO_ERROR = 0,
    GA_E_INVALID_PARAMETER = -1,
    GA_E_INSERFICIENT_MEMORY = -2,
    GA_E_NOT_IMPLEMENT = -3,
    GA_E_DEVICE_NOFOUND = -4,
    GA_E_DEVICE_NOINIT = -5,
    GA_E_RESERVED = -6,
    GA_E_NO_PERMISSION = -7,
    GA_E_TIMEOUT = -101,
    GA_E_FILEIILEGAL = -102,
    GA_E_NOBEGINCAPTURE = -102,
};

constexpr int imgLen = 95160;    // an image buffer: room for a whole BMP file
constexpr int ImageLen = 92160;  // a raw 256 x 360 image
constexpr int kImageWidth = 256;
constexpr int kImageHeight = 360;
constexpr int kFeatureLen = 512;
constexpr int kBmpFileLen = 93238;  // 1078-byte header and palette + 92160 pixels
constexpr int kMaxToken = 529;      // longest command token or file name

// Console buffers, owned by main from start-up to exit.
extern unsigned char* pFea1;
extern unsigned char* pFea2;
extern unsigned char* pFingerBmp1;
extern unsigned char* pFingerBmp2;
extern unsigned char* pCompressBmp;

// Start-up and the command loop.
int tervoMain(int argc, char** argv);
void menu();
void printMainMenu();
void prepareStdio();

// Capture and extraction.
int capImg(unsigned char* pBmp);
int capAndExtraFea(unsigned char* pBmp, unsigned char* pFea);
int getFeaFromFile(char* file, unsigned char* pFingerBmp, unsigned char* pFea);

// Algorithm exercise routines.
int matchFea(unsigned char* pFea1, unsigned char* pFea2, float* score);
int matchImg(unsigned char* pBmp, unsigned char* pFea2, float* score);
int testCompress(unsigned char* psrcBmp, unsigned char* pdstBmp);
int testDeCompress(unsigned char* psrcBmp, unsigned char* pdstBmp);
int testGenFeatureFromEmpty1(unsigned char* pFea);
int testGenFeatureFromEmpty2(unsigned char* pFea);

// Cycle test, device self-test and the one-to-many search.
int cycTest(int cycTimes);
int testFuncs();
void* PC_Serch(void* arg);
int FingerMatch1vN(unsigned char* ptr1, unsigned char* ptrn, int num, int* FeatureID, int* score);
int waitForReconnect(int delay0_1s);

// Image and file utilities.
extern "C" int WriteBMP(char* file, unsigned char* Input, int BMP_X, int BMP_Y);
int readFileData(char* file, unsigned char* p, int data_len);
int readFileData(char* file, unsigned char** p);

// How reading a whole open file into a new malloc'ed buffer ended; the callers
// print their own lines for each outcome.
enum class WholeFileRead { Read, TooLarge, NoMemory, ShortRead };
// Reads all of `in` into a new buffer (*data, to be freed by the caller, set
// only on success); *size is the length whenever it could be had. A file
// beyond the 32-bit length is refused, not truncated to a wrong size.
WholeFileRead readWholeFile(std::FILE* in, unsigned char** data, int* size);
int64_t get_current_timestamp();
void printHex(unsigned char* hex, int count, int lenCount);

// The guarded call: a standard exception escaping an algorithm entry point is
// printed on a line of its own and the call counts as having returned -1.
template <class Call>
int guardedCall(Call&& call) {
    try {
        return call();
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
        std::fflush(stdout);
        return -1;
    }
}

#endif
