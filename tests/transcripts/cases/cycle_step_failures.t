# Cycles failing at the extraction, the match, the image match, FP_End and LIVESCAN_Close.
env: TERVO_DOUBLE=FP_FeatureExtract=0,1,1,1,1,1,1,1,1,1;FP_FeatureMatch=-3,1;FP_ImageMatch=throw:lost,1;FP_End=-5,1;LIVESCAN_Close=-4
--- stdin
cyc 5 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
start 5 times cycle test

total 5 times cycle test
 the 1th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
FP_FeatureExtract Error . Ret = 0\r

total 5 times cycle test
 the 2th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match fail -3

total 5 times cycle test
 the 3th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match success,score is 0.75
lost
match fail -1

total 5 times cycle test
 the 4th time cycle test
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

total 5 times cycle test
 the 5th time cycle test
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
correctTimes is 0,errTimes is 5{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result -4 
--- log
load libID_FprCap.so
load libID_Fpr.so
LIVESCAN_Init
FP_Begin
FP_GetVersion
LIVESCAN_Init
FP_Begin
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
LIVESCAN_Init
FP_Begin
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
FP_FeatureMatch
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
start 5 times cycle test

total 5 times cycle test
 the 1th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
FP_FeatureExtract Error . Ret = 0\r

total 5 times cycle test
 the 2th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match fail -3

total 5 times cycle test
 the 3th time cycle test
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match success,score is 0.75
lost
match fail -1

total 5 times cycle test
 the 4th time cycle test
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

total 5 times cycle test
 the 5th time cycle test
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
correctTimes is 0,errTimes is 5{MENU}
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
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
LIVESCAN_Init
FP_Begin
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
LIVESCAN_GetFPRawData 0
FP_GetQualityScore
FP_FeatureExtract 11 2
FP_FeatureMatch
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
