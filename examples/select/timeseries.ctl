DEV = PNG|records-timeseries.png
TIT = Frequency bias of 24-h precipitation above 12.7 mm at 24 h\CONUS, 1 to 7 November 2026
TRACE1 = Global model +
TRACE2 = Regional model +
LIN = 2;3/1;2/2;2/1
MAR = 2;3/4;6/1;1/1
WIT = 1/3/1/1.0
