# A capture that cannot be saved as ./Fp.bmp (here a folder stands in its way)
# says so in one line, with the reason; the chain goes on.
dir: Fp.bmp
--- stdin
cap1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cap1
get image cost # ms\r
unable to save ./Fp.bmp: Is a directory!
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
