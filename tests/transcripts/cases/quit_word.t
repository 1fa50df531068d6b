# "quit" leaves the loop as "q" does; nothing after it is read.
--- stdin
quit
cap1
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
quit
FP_End with result 1 
LIVESCAN_Close with result 1 
