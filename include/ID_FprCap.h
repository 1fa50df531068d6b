/* Capture library contract: the LIVESCAN_ entry points of libID_FprCap.so.
 *
 * Every entry point returns a result code; 1 means success. Channel 0 is the
 * only channel the console uses. Texts are written as wide-character strings
 * ended by a wide zero. */
#ifndef ID_FPRCAP_H
#define ID_FPRCAP_H

#ifdef __cplusplus
extern "C" {
#endif

int LIVESCAN_Init(void);
int LIVESCAN_Close(void);
int LIVESCAN_GetChannelCount(void);
int LIVESCAN_SetBright(int nChannel, int nBright);
int LIVESCAN_SetContrast(int nChannel, int nContrast);
int LIVESCAN_GetBright(int nChannel, int* pnBright);
int LIVESCAN_GetContrast(int nChannel, int* pnContrast);
int LIVESCAN_GetMaxImageSize(int nChannel, int* pnWidth, int* pnHeight);
int LIVESCAN_GetCaptWindow(int nChannel, int* pnOriginX, int* pnOriginY, int* pnWidth, int* pnHeight);
int LIVESCAN_SetCaptWindow(int nChannel, int nOriginX, int nOriginY, int nWidth, int nHeight);
int LIVESCAN_Setup(void);
int LIVESCAN_BeginCapture(int nChannel);
/* Fills pRawData with one 256 x 360 image (92160 bytes, top row first).
 * -1 or -2 mean the link to the scanner was lost. */
int LIVESCAN_GetFPRawData(int nChannel, unsigned char* pRawData);
int LIVESCAN_GetFPBmpData(int nChannel, unsigned char* pBmpData);
int LIVESCAN_EndCapture(int nChannel);
int LIVESCAN_IsSupportSetup(void);
int LIVESCAN_GetVersion(void);
/* Writes a wide-character description into a 1024-byte buffer. */
int LIVESCAN_GetDesc(char* pszDesc);
/* Writes the wide-character text of nErrorNo into a buffer of at least 256 bytes. */
int LIVESCAN_GetErrorInfo(int nErrorNo, char* pszErrorInfo);
int LIVESCAN_SetBufferEmpty(unsigned char* pImageData, long imageLength);
int LIVESCAN_PlaySound(int nChannel, int cSoundCode1, int cSoundCode2);

#ifdef __cplusplus
}
#endif

#endif
