# A missing file and a file one byte short make no library call; a longer file is accepted.
file: short.bmp 93237
file: long.bmp 100000
--- stdin
f1 missing.bmp f2 short.bmp f1 long.bmp q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
f1
please input bmp file name:you input :
missing.bmp
fopen missing.bmp fail!
{MENU}
you input :
f2
please input bmp file name:you input :
short.bmp
fread short.bmp fail!
{MENU}
you input :
f1
please input bmp file name:you input :
long.bmp
read long.bmp success!
FP_FeatureExtract success!
get Finger Score 80
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
