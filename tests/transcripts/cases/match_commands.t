# m0 and m1 on success, on failure (a written similarity is not shown) and on exceptions.
env: TERVO_DOUBLE=FP_FeatureMatch=1,-3,throw:template corrupt;FP_FeatureMatch.similarity=0.666,0.9;FP_ImageMatch=1,0,throw;FP_ImageMatch.similarity=0.125
--- stdin
m0 m0 m0 m1 m1 m1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
m0
match success,score is 0.67
{MENU}
you input :
m0
match fail -3
{MENU}
you input :
m0
template corrupt
match fail -1
{MENU}
you input :
m1
match success,score is 0.12
{MENU}
you input :
m1
match fail 0
{MENU}
you input :
m1
double failure in FP_ImageMatch
match fail -1
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
