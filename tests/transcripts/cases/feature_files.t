# r1 and r2 read the first 512 bytes of a feature file.
file: f.dat 512
file: big.dat 2000
file: short.dat 511
--- stdin
r1 f.dat r2 big.dat r1 short.dat r2 nothere.dat q
--- stdout
{START}
Version:1.2.3.4
{MENU}
you input :
r1
please input feature file name:you input :
f.dat
read f.dat success!
{MENU}
you input :
r2
please input feature file name:you input :
big.dat
read big.dat success!
{MENU}
you input :
r1
please input feature file name:you input :
short.dat
fread short.dat fail!
{MENU}
you input :
r2
please input feature file name:you input :
nothere.dat
fopen nothere.dat fail!
{MENU}
you input :
q
FP_End with result 1 
LIVESCAN_Close with result 1 
