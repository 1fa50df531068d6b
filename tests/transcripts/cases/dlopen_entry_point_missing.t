# A library lacking FP_GenFeatureFromEmpty2: -10 for g2 only.
program: tervo-dlopen
libs: no-FP_GenFeatureFromEmpty2
--- stdin
g2 g1 m0 q
--- stdout tervo-dlopen
{START}
Version:1.2.3.4
{MENU}
you input :
g2
FP_GenFeatureFromEmpty2 fail -10
{MENU}
you input :
g1
FP_GenFeatureFromEmpty1 success
{MENU}
you input :
m0
match success,score is 0.75
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
