# A missing command-line image is reported; the match still runs.
args: a.bmp missing.bmp
file: a.bmp 93238
env: TERVO_DOUBLE=FP_FeatureMatch=-3
--- stdin
q
--- stdout
{START}
Version:1.2.3.4
read a.bmp success!
FP_FeatureExtract success!
get Finger Score 80
fopen missing.bmp fail!
match fail -3
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
