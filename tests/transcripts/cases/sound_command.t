# ts plays the code typed; a non-number or out-of-range number runs nothing.
env: TERVO_DOUBLE=LIVESCAN_PlaySound=1,-1
--- stdin
ts 3 ts -7 ts abc ts 12x ts 99999999999 ts +4 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
ts
Please input soundCode:
soundCode is 3 
,LIVESCAN_PlaySound with result 1 
{MENU}
you input :
ts
Please input soundCode:
soundCode is -7 
,LIVESCAN_PlaySound with result -1 
{MENU}
you input :
ts
Please input soundCode:
not a number: abc, command skipped
{MENU}
you input :
ts
Please input soundCode:
not a number: 12x, command skipped
{MENU}
you input :
ts
Please input soundCode:
number out of range: 99999999999, command skipped
{MENU}
you input :
ts
Please input soundCode:
soundCode is 4 
,LIVESCAN_PlaySound with result -1 
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
