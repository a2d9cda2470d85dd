DEV = GF|timeseries.gif
TRACE1 = Global model
TRACE2 = Regional model
LIN = 2;3/1;2/2;2/1
MAR = 2;3/4;6/1;1/1
