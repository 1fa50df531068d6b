# A cycle failing at FP_Begin leaves the scanner open: the next LIVESCAN_Init finds it open.
env: TERVO_DOUBLE=FP_Begin=1,0,1
--- stdin
cyc 2 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
start 2 times cycle test

total 2 times cycle test
 the 1th time cycle test

total 2 times cycle test
 the 2th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match success,score is 0.75
match success,score is 0.75
correctTimes is 1,errTimes is 1{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- log
load libID_FprCap.so
load libID_Fpr.so
LIVESCAN_Init
FP_Begin
FP_GetVersion
LIVESCAN_Init
FP_Begin
LIVESCAN_Init
FP_Begin
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
FP_FeatureMatch
FP_ImageMatch
FP_End
LIVESCAN_Close
FP_End
LIVESCAN_Close
unload libID_Fpr.so
unload libID_FprCap.so
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
start 2 times cycle test

total 2 times cycle test
 the 1th time cycle test

total 2 times cycle test
 the 2th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match success,score is 0.75
match success,score is 0.75
correctTimes is 1,errTimes is 1{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result -9 
--- log tervo-dlopen
load libID_Fpr.so
FP_Begin
load libID_FprCap.so
LIVESCAN_Init
FP_GetVersion
LIVESCAN_Init
FP_Begin
LIVESCAN_Init
FP_Begin
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
FP_FeatureMatch
FP_ImageMatch
FP_End
LIVESCAN_Close
unload libID_FprCap.so
FP_End
unload libID_Fpr.so
