# A failed capture does not fail the cycle: capAndExtraFea returns the extraction result.
env: TERVO_DOUBLE=LIVESCAN_GetFPRawData=-1
--- stdin
cyc 1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
start 1 times cycle test

total 1 times cycle test
 the 1th time cycle test
get image cost # ms\r
get Image Fail,ret = -1
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
get Image Fail,ret = -1
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match success,score is 0.75
match success,score is 0.75
correctTimes is 1,errTimes is 0{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
start 1 times cycle test

total 1 times cycle test
 the 1th time cycle test
get image cost # ms\r
get Image Fail,ret = -1
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
get image cost # ms\r
get Image Fail,ret = -1
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
match success,score is 0.75
match success,score is 0.75
correctTimes is 1,errTimes is 0{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result -9 
