# The end of input at a number prompt runs nothing and ends the session.
--- stdin noeol
ts
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
ts
Please input soundCode:
end of input, command skipped
{MENU}
FP_End with result 1 
LIVESCAN_Close with result 1 
