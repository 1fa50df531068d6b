# A negative count runs no cycle.
--- stdin
cyc -5 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
start -5 times cycle test
correctTimes is 0,errTimes is 0{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
