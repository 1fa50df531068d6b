# "open" and "close" print both results; shutdown closes again.
--- stdin
open close q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
{MENU}
you input :
close
LIVESCAN_Close with result 1 
FP_End with result 1 
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
open
LIVESCAN_Init with result 1 
FP_Begin with result 1 
{MENU}
you input :
close
LIVESCAN_Close with result 1 
FP_End with result 1 
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result -9 
