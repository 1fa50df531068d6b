# Tokens are whitespace-delimited: two commands on one line run in turn.
--- stdin
cap1 m0
q
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
m0
match success,score is 0.75
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
