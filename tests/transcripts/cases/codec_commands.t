# c and d (also d before any c) report the library result; exceptions count as -1.
env: TERVO_DOUBLE=FP_Decompress=-102,1,throw:bad stream;FP_Compress=1,-1
--- stdin
d c d c d q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
d
FP_Decompress fail -102
{MENU}
you input :
c
FP_Compress success
{MENU}
you input :
d
FP_Decompress success
{MENU}
you input :
c
FP_Compress fail -1
{MENU}
you input :
d
bad stream
FP_Decompress fail -1
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
