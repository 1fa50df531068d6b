# e dumps the first 50 bytes of the error text in hex, 11 values on the first line.
env: TERVO_DOUBLE=LIVESCAN_GetErrorInfo.text=E{n};LIVESCAN_GetErrorInfo.write=1,0
--- stdin
e -3 e 7 q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
e
Please input error no:
0X45 0X0 0X0 0X0 0X2d 0X0 0X0 0X0 0X33 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 {MENU}
you input :
e
Please input error no:
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 
0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 0X0 {MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
