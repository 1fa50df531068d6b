# --help as the only argument: the usage, and no library call.
args: --help
--- stdin
q
--- stdout tervo
usage: tervo [IMAGE1.bmp IMAGE2.bmp]

Console test tool for the capture library libID_FprCap.so and the algorithm
library libID_Fpr.so, which this program is linked against.
Type commands on standard input; the menu lists them. With two BMP files,
they are extracted and matched before the first prompt.

  --help     print this text
  --version  print the version
--- stdout tervo-dlopen
usage: tervo-dlopen [IMAGE1.bmp IMAGE2.bmp]

Console test tool for the capture library libID_FprCap.so and the algorithm
library libID_Fpr.so, which this program loads by name at run time.
Type commands on standard input; the menu lists them. With two BMP files,
they are extracted and matched before the first prompt.

  --help     print this text
  --version  print the version
--- log tervo
load libID_FprCap.so
load libID_Fpr.so
unload libID_Fpr.so
unload libID_FprCap.so
--- log tervo-dlopen
