# A capture library without LIVESCAN_Close: close answers 0 and the library stays open.
program: tervo-dlopen
libs: no-LIVESCAN_Close
--- stdin
close cap1 q
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
close
LIVESCAN_Close with result 0 
FP_End with result 1 
{MENU}
you input :
cap1
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 0 
