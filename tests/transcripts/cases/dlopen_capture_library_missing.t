# Without libID_FprCap.so start-up ends with -9 and status -1.
program: tervo-dlopen
libs: no-cap
exit: 255
--- stdin
q
--- stdout tervo-dlopen
FP_Begin with result 1 
Open Vornet fail -9!
