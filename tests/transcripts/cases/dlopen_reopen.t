# After "close", two "open" load the capture library once and call its LIVESCAN_Init twice.
# Each library file is named on standard error whenever the loader opens it anew: at start-up,
# at the first "open" after "close", and for the FP_End of shutdown after "close".
program: tervo-dlopen
--- stdin
open close open open close q
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
{MENU}
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
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
{MENU}
you input :
close
LIVESCAN_Close with result 1 
FP_End with result 1 
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result -9 
--- stderr
libID_Fpr.so: {doubles}/default/libID_Fpr.so (tervo stand-in: test double)
libID_FprCap.so: {doubles}/default/libID_FprCap.so (tervo stand-in: test double)
libID_FprCap.so: {doubles}/default/libID_FprCap.so (tervo stand-in: test double)
libID_Fpr.so: {doubles}/default/libID_Fpr.so (tervo stand-in: test double)
libID_Fpr.so: {doubles}/default/libID_Fpr.so (tervo stand-in: test double)
--- log tervo-dlopen
load libID_Fpr.so
FP_Begin
load libID_FprCap.so
LIVESCAN_Init
FP_GetVersion
LIVESCAN_Init
FP_Begin
LIVESCAN_Close
unload libID_FprCap.so
FP_End
load libID_FprCap.so
LIVESCAN_Init
FP_Begin
LIVESCAN_Init
FP_Begin
LIVESCAN_Close
unload libID_FprCap.so
FP_End
FP_End
unload libID_Fpr.so
