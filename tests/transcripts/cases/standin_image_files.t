# On the project's own libraries: extraction of an image file demands a BMP, so
# bytes without its signature answer -102 and leave the template as it was
# (two such templates do not "match"); the quality call reads them as a raw image. Standard error
# names the stand-ins' files as the project's own.
libs: standins
file: zeros.bmp 93238 0
file: letters.bmp 100000 0x41
--- stdin
f1 zeros.bmp f2 letters.bmp m0 q
--- stdout
{START}
Version:T.V.F.A
{MENU}
you input :
f1
please input bmp file name:you input :
zeros.bmp
read zeros.bmp success!
FP_FeatureExtract faile -102!
get Finger Score 0
{MENU}
you input :
f2
please input bmp file name:you input :
letters.bmp
read letters.bmp success!
FP_FeatureExtract faile -102!
get Finger Score 0
{MENU}
you input :
m0
match fail -102
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- stderr tervo
libID_FprCap.so: {build}/lib/libID_FprCap.so (tervo stand-in: virtual scanner)
libID_Fpr.so: {build}/lib/libID_Fpr.so (tervo stand-in: reference algorithm)
--- stderr tervo-dlopen
libID_Fpr.so: {build}/lib/libID_Fpr.so (tervo stand-in: reference algorithm)
libID_FprCap.so: {build}/lib/libID_FprCap.so (tervo stand-in: virtual scanner)
