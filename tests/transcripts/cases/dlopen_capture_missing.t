# A capture library without LIVESCAN_GetFPRawData: the capture answers 0.
program: tervo-dlopen
libs: no-LIVESCAN_GetFPRawData
absent: Fp.bmp
--- stdin
cap1 q
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
cap1
get image cost # ms\r
get Image Fail,ret = 0
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
