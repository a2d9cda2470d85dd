DEV = PNG|crps.png
TRACE1 = Global CRPS=$RPS
TRACE2 = Regional CRPS=$RPS
LIN = 2;3/1;1/2;2
MAR = 2;3/4;6/1;1/1
REF = 0,0;1,1/1/2/1
