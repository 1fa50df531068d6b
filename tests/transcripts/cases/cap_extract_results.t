# Extraction results of 0 or less are reported; 2 is returned silently.
env: TERVO_DOUBLE=FP_FeatureExtract=0,2,-3;FP_GetQualityScore.score=35,100
--- stdin
cap1 cap2 cap1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cap1
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 35
FP_FeatureExtract cost # ms\r
FP_FeatureExtract Error . Ret = 0\r
{MENU}
you input :
cap2
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 100
FP_FeatureExtract cost # ms\r
{MENU}
you input :
cap1
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 100
FP_FeatureExtract cost # ms\r
FP_FeatureExtract Error . Ret = -3\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
