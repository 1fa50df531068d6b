# A failed extraction does not stop the quality call; exceptions count as -1.
env: TERVO_DOUBLE=FP_FeatureExtract=-3,throw:bad image header;FP_GetQualityScore=1,-2,throw
file: img.bmp 93238
--- stdin
f1 img.bmp f1 img.bmp f2 img.bmp q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
f1
please input bmp file name:you input :
img.bmp
read img.bmp success!
FP_FeatureExtract faile -3!
get Finger Score 80
{MENU}
you input :
f1
please input bmp file name:you input :
img.bmp
read img.bmp success!
bad image header
FP_FeatureExtract faile -1!
get Finger Score fail-2
{MENU}
you input :
f2
please input bmp file name:you input :
img.bmp
read img.bmp success!
bad image header
FP_FeatureExtract faile -1!
double failure in FP_GetQualityScore
get Finger Score fail-1
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
