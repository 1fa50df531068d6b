# Without libID_Fpr.so every FP_ call answers -9: no loop, -9 at shutdown.
# The dynamic loader's reason goes to standard error, once, beside the capture library's file;
# standard output is unchanged.
program: tervo-dlopen
libs: no-fpr
args: a.bmp b.bmp
file: a.bmp 93238
file: b.bmp 93238
--- stdin
q
--- stdout tervo-dlopen
FP_Begin with result -9 
Open Vornet success!
FP_End with result -9 
LIVESCAN_Close with result 1 
--- stderr
libID_Fpr.so: cannot open shared object file: No such file or directory
libID_FprCap.so: {doubles}/no-fpr/libID_FprCap.so (tervo stand-in: test double)
