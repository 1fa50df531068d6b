/* Algorithm library contract: the FP_ entry points of libID_Fpr.so.
 *
 * Every entry point returns a result code; 1 means success. Templates are
 * 512 bytes. Images are 256 x 360 bytes, top row first, or the whole content
 * of a 93238-byte BMP file of such an image. */
#ifndef ID_FPR_H
#define ID_FPR_H

#ifdef __cplusplus
extern "C" {
#endif

/* Writes a 10-byte version record; its first four bytes are printable. */
int FP_GetVersion(unsigned char* code);
int FP_Begin(void);
int FP_FeatureExtract(unsigned char cScannerType, unsigned char cFingerCode, unsigned char* pFingerImgBuf,
                      unsigned char* pFeatureData);
int FP_FeatureMatch(unsigned char* pFeatureData1, unsigned char* pFeatureData2, float* pfSimilarity);
int FP_ImageMatch(unsigned char* pFingerImgBuf, unsigned char* pFeatureData, float* pfSimilarity);
int FP_Compress(unsigned char cScannerType, unsigned char cEnrolResult, unsigned char cFingerCode,
                unsigned char* pFingerImgBuf, int nCompressRatio, unsigned char* pCompressedImgBuf,
                unsigned char* strBuf);
int FP_Decompress(unsigned char* pCompressedImgBuf, unsigned char* pFingerImgBuf, unsigned char* strBuf);
int FP_GetQualityScore(unsigned char* pFingerImgBuf, unsigned char* pnScore);
int FP_GenFeatureFromEmpty1(unsigned char cScannerType, unsigned char cFingerCode,
                            unsigned char* pFeatureData);
int FP_GenFeatureFromEmpty2(unsigned char cFingerCode, unsigned char* pFeatureData);
int FP_End(void);

#ifdef __cplusplus
}
#endif

#endif
