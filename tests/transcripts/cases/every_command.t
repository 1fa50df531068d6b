# Every command once, in one session (also run under valgrind memcheck).
file: a.bmp 93238
file: f.dat 512
--- stdin
open cap1 cap2 cyc 1 open ts 2 f1 a.bmp f2 a.bmp m0 m1 c d g1 g2 r1 f.dat r2 f.dat other e -1 close open bogus quit
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
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
cyc
Please input cycTimes:
start 1 times cycle test

total 1 times cycle test
 the 1th time cycle test
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
correctTimes is 1,errTimes is 0{MENU}
you input :
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
{MENU}
you input :
ts
Please input soundCode:
soundCode is 2 
,LIVESCAN_PlaySound with result 1 
{MENU}
you input :
f1
please input bmp file name:you input :
a.bmp
read a.bmp success!
FP_FeatureExtract success!
get Finger Score 80
{MENU}
you input :
f2
please input bmp file name:you input :
a.bmp
read a.bmp success!
FP_FeatureExtract success!
get Finger Score 80
{MENU}
you input :
m0
match success,score is 0.75
{MENU}
you input :
m1
match success,score is 0.75
{MENU}
you input :
c
FP_Compress success
{MENU}
you input :
d
FP_Decompress success
{MENU}
you input :
g1
FP_GenFeatureFromEmpty1 success
{MENU}
you input :
g2
FP_GenFeatureFromEmpty2 success
{MENU}
you input :
r1
please input feature file name:you input :
f.dat
read f.dat success!
{MENU}
you input :
r2
please input feature file name:you input :
f.dat
read f.dat success!
{MENU}
you input :
other
LIVESCAN_GetDesc  is 测试扫描仪 test scanner 
ErrorInfo -1 is error -1 错误 
ErrorInfo -2 is error -2 错误 
ErrorInfo -3 is error -3 错误 
ErrorInfo -4 is error -4 错误 
ErrorInfo -5 is error -5 错误 
ErrorInfo -6 is error -6 错误 
ErrorInfo -7 is error -7 错误 
ErrorInfo -8 is error -8 错误 
ErrorInfo -9 is error -9 错误 
{MENU}
you input :
e
Please input error no:
0X65 0X0 0X0 0X0 0X72 0X0 0X0 0X0 0X72 0X0 0X0 
0X0 0X6f 0X0 0X0 0X0 0X72 0X0 0X0 0X0 0X20 
0X0 0X0 0X0 0X2d 0X0 0X0 0X0 0X31 0X0 0X0 
0X0 0X20 0X0 0X0 0X0 0X19 0X95 0X0 0X0 0Xef 
0X8b 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 {MENU}
you input :
close
LIVESCAN_Close with result 1 
FP_End with result 1 
{MENU}
you input :
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
{MENU}
you input :
bogus
{MENU}
you input :
quit
FP_End with result 1 
LIVESCAN_Close with result 1 
