# g1 and g2 on success, failure and exception.
env: TERVO_DOUBLE=FP_GenFeatureFromEmpty1=1,-3;FP_GenFeatureFromEmpty2=1,throw:out of memory
--- stdin
g1 g1 g2 g2 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
g1
FP_GenFeatureFromEmpty1 success
{MENU}
you input :
g1
FP_GenFeatureFromEmpty1 fail -3
{MENU}
you input :
g2
FP_GenFeatureFromEmpty2 success
{MENU}
you input :
g2
out of memory
FP_GenFeatureFromEmpty2 fail -1
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
