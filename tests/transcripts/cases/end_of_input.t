# The end of input ends the session as "q" does, also in the middle of a line.
--- stdin noeol
m0
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
m0
match success,score is 0.75
{MENU}
FP_End with result 1 
LIVESCAN_Close with result 1 
