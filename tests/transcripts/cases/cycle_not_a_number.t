# A count that is not a number runs nothing; the next token is read as a command.
--- stdin
cyc many q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cyc
Please input cycTimes:
not a number: many, command skipped
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
