DEV = PNG|log-axis.png
TIT = Forecast means rising over five decades\logarithmic ordinate, decades from the data
PTY = LOG
LIN = 2;3/1;2/2;2/1
MAR = 2;3/4;6/1;1/1
YLA = Mean (mg/kg)
