# A library that writes no version record prints zero bytes, never stack contents.
env: TERVO_DOUBLE=FP_GetVersion.write=0
--- stdin
q
--- stdout
{START}
Version:\0.\0.\0.\0
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
