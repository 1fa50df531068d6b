# A file that cannot be read whole leaves the image or template it was meant for
# exactly as it was: image 2 and template 1 hash the same before and after.
env: TERVO_DOUBLE=digest=1
file: good.bmp 93238
file: half.bmp 50000 0x22
file: good.dat 512 0x33
file: short.dat 300 0x44
--- stdin
f2 good.bmp r1 good.dat m1 f2 half.bmp r1 short.dat m1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
f2
please input bmp file name:you input :
good.bmp
read good.bmp success!
FP_FeatureExtract success!
get Finger Score 80
{MENU}
you input :
r1
please input feature file name:you input :
good.dat
read good.dat success!
{MENU}
you input :
m1
match success,score is 0.75
{MENU}
you input :
f2
please input bmp file name:you input :
half.bmp
fread half.bmp fail!
{MENU}
you input :
r1
please input feature file name:you input :
short.dat
fread short.dat fail!
{MENU}
you input :
m1
match success,score is 0.75
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- log tervo
load libID_FprCap.so
load libID_Fpr.so
LIVESCAN_Init
FP_Begin
FP_GetVersion
FP_FeatureExtract 0 0
FP_GetQualityScore
FP_ImageMatch
  image 708cfba8
  template 074117c5
FP_ImageMatch
  image 708cfba8
  template 074117c5
FP_End
LIVESCAN_Close
unload libID_Fpr.so
unload libID_FprCap.so
--- log tervo-dlopen
load libID_Fpr.so
FP_Begin
load libID_FprCap.so
LIVESCAN_Init
FP_GetVersion
FP_FeatureExtract 0 0
FP_GetQualityScore
FP_ImageMatch
  image 708cfba8
  template 074117c5
FP_ImageMatch
  image 708cfba8
  template 074117c5
FP_End
LIVESCAN_Close
unload libID_FprCap.so
unload libID_Fpr.so
