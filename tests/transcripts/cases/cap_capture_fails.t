# A failed capture writes no file; quality and extraction still run on the old buffer.
env: TERVO_DOUBLE=LIVESCAN_GetFPRawData=-5;FP_GetQualityScore.write=0
file: Fp.bmp 100 7
keep: Fp.bmp
--- stdin
cap1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cap1
get image cost # ms\r
get Image Fail,ret = -5
FP_GetQualityScore cost # ms\r
质量分数 0
FP_FeatureExtract cost # ms\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
