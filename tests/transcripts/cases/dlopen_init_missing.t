# A capture library without LIVESCAN_Init: start-up fails with -1.
program: tervo-dlopen
libs: no-LIVESCAN_Init
exit: 255
--- stdin
q
--- stdout tervo-dlopen
FP_Begin with result 1 
Open Vornet fail -1!
