# An exception from an unguarded library call is reported and the loop goes on.
env: TERVO_DOUBLE=LIVESCAN_GetFPRawData=throw:usb transfer failed,throw-other,1;LIVESCAN_PlaySound=throw
--- stdin
cap1 cap2 ts 1 cap1 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
cap1
cap1: exception from the library: usb transfer failed
{MENU}
you input :
cap2
cap2: unknown exception from the library
{MENU}
you input :
ts
Please input soundCode:
ts: exception from the library: double failure in LIVESCAN_PlaySound
{MENU}
you input :
cap1
get image cost # ms\r
FP_GetQualityScore cost # ms\r
质量分数 80
FP_FeatureExtract cost # ms\r
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
