# "other" with every step succeeding: only the description and the nine error texts.
--- stdin
other q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
other
LIVESCAN_GetDesc  is 测试扫描仪 test scanner 
ErrorInfo -1 is error -1 错误 
ErrorInfo -2 is error -2 错误 
ErrorInfo -3 is error -3 错误 
ErrorInfo -4 is error -4 错误 
ErrorInfo -5 is error -5 错误 
ErrorInfo -6 is error -6 错误 
ErrorInfo -7 is error -7 错误 
ErrorInfo -8 is error -8 错误 
ErrorInfo -9 is error -9 错误 
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
