# No input at all: menu once, then the shutdown lines.
--- stdin noeol

--- stdout
{START}
Version:1.2.3.4
{MENU}
FP_End with result 1 
LIVESCAN_Close with result 1 
