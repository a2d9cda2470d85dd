DEV = PNG|roc-ci.png
TIT = ROC of the probability of precipitation
TRACE1 = Global, area $AUC
TRACE2 = Regional, area $AUC
LIN = 2;3/1;1/2;2/5
MAR = 2;3/4;6/1;1/1
REF = 0,0;1,1/1/2/1
CIL = 0.95
