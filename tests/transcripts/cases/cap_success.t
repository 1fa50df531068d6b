# A capture saves ./Fp.bmp, then quality and extraction follow.
bmp: Fp.bmp
--- stdin
cap1 cap2 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cap1
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
{MENU}
you input :
cap2
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
