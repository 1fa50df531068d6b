# Two image files on the command line are extracted and matched before the menu.
args: a.bmp b.bmp extra
file: a.bmp 93238
file: b.bmp 93238
env: TERVO_DOUBLE=FP_FeatureMatch.similarity=0.8125
--- stdin
q
--- stdout
{START}
Version:1.2.3.4
read a.bmp success!
FP_FeatureExtract success!
get Finger Score 80
read b.bmp success!
FP_FeatureExtract success!
get Finger Score 80
match success,score is 0.81
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
