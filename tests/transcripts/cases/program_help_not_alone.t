# Beside another argument --help and --version are image file names, as any
# argument: both reads fail and the session runs as usual.
args: --help --version
--- stdin
q
--- stdout
{START}
Version:1.2.3.4
fopen --help fail!
fopen --version fail!
match success,score is 0.75
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
