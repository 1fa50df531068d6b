# --version as the only argument: the version, and no library call.
args: --version
--- stdin
q
--- stdout tervo
tervo 1.0.0
--- stdout tervo-dlopen
tervo-dlopen 1.0.0
--- log tervo
load libID_FprCap.so
load libID_Fpr.so
unload libID_Fpr.so
unload libID_FprCap.so
--- log tervo-dlopen
