# Failing steps are reported; only the capture window fetches no error text.
env: TERVO_DOUBLE=LIVESCAN_GetBright=-5;LIVESCAN_GetCaptWindow=-1;LIVESCAN_GetVersion=3;LIVESCAN_Setup=-3;LIVESCAN_IsSupportSetup=0;LIVESCAN_PlaySound=-1;LIVESCAN_SetCaptWindow=-6;LIVESCAN_GetDesc=-7;LIVESCAN_GetDesc.write=0;LIVESCAN_GetErrorInfo.text=错误{n}
--- stdin
other q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
other
LIVESCAN_GetBright error no is -5 
LIVESCAN_GetCaptWindow error no is -1  
LIVESCAN_GetDesc error no is -7 
LIVESCAN_GetDesc  is  
ErrorInfo -1 is 错误-1 
ErrorInfo -2 is 错误-2 
ErrorInfo -3 is 错误-3 
ErrorInfo -4 is 错误-4 
ErrorInfo -5 is 错误-5 
ErrorInfo -6 is 错误-6 
ErrorInfo -7 is 错误-7 
ErrorInfo -8 is 错误-8 
ErrorInfo -9 is 错误-9 
LIVESCAN_IsSupportSetup error no is 0  
LIVESCAN_Setup error no is -3  
LIVESCAN_GetVersion error no is 3 
LIVESCAN_SetCaptWindow error no is -6  
LIVESCAN_PlaySound error no is -1 
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
--- log
load libID_FprCap.so
load libID_Fpr.so
LIVESCAN_Init
FP_Begin
FP_GetVersion
LIVESCAN_GetBright 0
LIVESCAN_GetErrorInfo -5
LIVESCAN_GetMaxImageSize 0
LIVESCAN_GetCaptWindow 0
LIVESCAN_GetContrast 0
LIVESCAN_GetDesc
LIVESCAN_GetErrorInfo -7
LIVESCAN_GetErrorInfo -1
LIVESCAN_GetErrorInfo -2
LIVESCAN_GetErrorInfo -3
LIVESCAN_GetErrorInfo -4
LIVESCAN_GetErrorInfo -5
LIVESCAN_GetErrorInfo -6
LIVESCAN_GetErrorInfo -7
LIVESCAN_GetErrorInfo -8
LIVESCAN_GetErrorInfo -9
LIVESCAN_GetChannelCount
LIVESCAN_IsSupportSetup
LIVESCAN_GetErrorInfo 0
LIVESCAN_Setup
LIVESCAN_GetErrorInfo -3
LIVESCAN_GetVersion
LIVESCAN_GetErrorInfo 3
LIVESCAN_SetBufferEmpty 92160
LIVESCAN_SetCaptWindow 0 0 0 256 360
LIVESCAN_GetErrorInfo -6
LIVESCAN_PlaySound 0 111 0
LIVESCAN_GetErrorInfo -1
FP_End
LIVESCAN_Close
unload libID_Fpr.so
unload libID_FprCap.so
--- log tervo-dlopen
load libID_Fpr.so
FP_Begin
load libID_FprCap.so
LIVESCAN_Init
FP_GetVersion
LIVESCAN_GetBright 0
LIVESCAN_GetErrorInfo -5
LIVESCAN_GetMaxImageSize 0
LIVESCAN_GetCaptWindow 0
LIVESCAN_GetContrast 0
LIVESCAN_GetDesc
LIVESCAN_GetErrorInfo -7
LIVESCAN_GetErrorInfo -1
LIVESCAN_GetErrorInfo -2
LIVESCAN_GetErrorInfo -3
LIVESCAN_GetErrorInfo -4
LIVESCAN_GetErrorInfo -5
LIVESCAN_GetErrorInfo -6
LIVESCAN_GetErrorInfo -7
LIVESCAN_GetErrorInfo -8
LIVESCAN_GetErrorInfo -9
LIVESCAN_GetChannelCount
LIVESCAN_IsSupportSetup
LIVESCAN_GetErrorInfo 0
LIVESCAN_Setup
LIVESCAN_GetErrorInfo -3
LIVESCAN_GetVersion
LIVESCAN_GetErrorInfo 3
LIVESCAN_SetBufferEmpty 92160
LIVESCAN_SetCaptWindow 0 0 0 256 360
LIVESCAN_GetErrorInfo -6
LIVESCAN_PlaySound 0 111 0
LIVESCAN_GetErrorInfo -1
FP_End
LIVESCAN_Close
unload libID_FprCap.so
unload libID_Fpr.so
