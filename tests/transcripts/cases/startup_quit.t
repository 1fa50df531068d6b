# Start-up in each program's order, the version, the menu and "q"; standard error names the
# library files in the order the program opens them.
--- stdin
q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- stderr tervo
libID_FprCap.so: {doubles}/default/libID_FprCap.so (tervo stand-in: test double)
libID_Fpr.so: {doubles}/default/libID_Fpr.so (tervo stand-in: test double)
--- stderr tervo-dlopen
libID_Fpr.so: {doubles}/default/libID_Fpr.so (tervo stand-in: test double)
libID_FprCap.so: {doubles}/default/libID_FprCap.so (tervo stand-in: test double)
--- log tervo
load libID_FprCap.so
load libID_Fpr.so
LIVESCAN_Init
FP_Begin
FP_GetVersion
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
FP_End
LIVESCAN_Close
unload libID_FprCap.so
unload libID_Fpr.so
