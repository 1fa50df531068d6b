# After "close" a capture answers 0 and leaves ./Fp.bmp alone; m0 reopens the algorithm library.
program: tervo-dlopen
file: Fp.bmp 93238 9
keep: Fp.bmp
--- stdin
close cap1 m0 q
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
close
LIVESCAN_Close with result 1 
FP_End with result 1 
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
m0
match success,score is 0.75
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result -9 
