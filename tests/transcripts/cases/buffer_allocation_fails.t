# A console buffer that cannot be allocated: one line, both libraries closed, status 1.
preload: libfailalloc.so
env: TERVO_FAIL_ALLOC_SIZE=95160
exit: 1
--- stdin
q
--- stdout
{START}
unable to allocate the console buffers!
FP_End with result 1 
LIVESCAN_Close with result 1 
