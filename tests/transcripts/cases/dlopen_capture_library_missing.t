# Without libID_FprCap.so start-up ends with -9 and status -1.
# The dynamic loader's reason goes to standard error, after the algorithm library's file;
# standard output is unchanged.
program: tervo-dlopen
libs: no-cap
exit: 255
--- stdin
q
--- stdout tervo-dlopen
FP_Begin with result 1 
Open Vornet fail -9!
--- stderr
libID_Fpr.so: {doubles}/no-cap/libID_Fpr.so (tervo stand-in: test double)
libID_FprCap.so: cannot open shared object file: No such file or directory
