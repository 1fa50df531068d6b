# Commands are case-sensitive: Q and QUIT are unrecognised.
--- stdin
Q QUIT Open q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
Q
{MENU}
you input :
QUIT
{MENU}
you input :
Open
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
