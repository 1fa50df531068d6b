# One command-line argument is treated as none.
args: a.bmp
file: a.bmp 93238
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
