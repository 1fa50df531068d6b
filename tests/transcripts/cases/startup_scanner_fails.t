# The scanner cannot be opened: one line and exit status -1.
env: TERVO_DOUBLE=LIVESCAN_Init=-4
exit: 255
--- stdin
q
--- stdout
Open Vornet fail -4!
--- stdout tervo-dlopen
FP_Begin with result 1 
Open Vornet fail -4!
