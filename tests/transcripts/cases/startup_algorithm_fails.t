# FP_Begin fails: no version, no loop, straight to shutdown with status 0.
env: TERVO_DOUBLE=FP_Begin=0
args: a.bmp b.bmp
file: a.bmp 93238
file: b.bmp 93238
--- stdin
q
--- stdout
Open Vornet success!
FP_Begin with result 0 
FP_End with result 1 
LIVESCAN_Close with result 1 
--- stdout tervo-dlopen
FP_Begin with result 0 
Open Vornet success!
FP_End with result 1 
LIVESCAN_Close with result 1 
