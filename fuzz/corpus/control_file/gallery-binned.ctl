DEV = PNG|binned.png
TIT = Frequency bias by threshold (mm), 24-h precipitation, CONUS
HST = 4;7
WIT = 1/3/1/1.0
LIN = 1;1/1;1
YAX = 0/1.25
XUD = >0.254/>2.54/>6.35/>12.7/>25.4
