DEV = PNG|performance.png
TIT = Performance by threshold (mm), 24-h precipitation, CONUS, November 2026
LIN = 2;3/1;1/2;2
MAR = 2;3/4;6/1.2;1.2/1
XUD = >0.254/>2.54/>6.35/>12.7/>25.4
