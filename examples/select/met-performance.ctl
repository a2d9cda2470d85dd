DEV = PNG|met-performance.png
TIT = Performance by threshold (mm), 24-h precipitation at 24 h\CONUS, from MET CTC lines, 1 to 5 November 2026
TRACE1 = Global model
TRACE2 = Regional model
LIN = 2;3/1;1/2;2
MAR = 2;3/4;6/1.2;1.2/1
XUD = >=0.254/>=2.54/>=6.35/>=12.7/>=25.4
