# An image file is read whole, extracted and scored (on the same line as its command).
file: img.bmp 93238
--- stdin
f1 img.bmp
f2
img.bmp q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
f1
please input bmp file name:you input :
img.bmp
read img.bmp success!
FP_FeatureExtract success!
get Finger Score 80
{MENU}
you input :
f2
please input bmp file name:you input :
img.bmp
read img.bmp success!
FP_FeatureExtract success!
get Finger Score 80
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
