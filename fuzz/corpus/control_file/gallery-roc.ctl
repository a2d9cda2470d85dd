DEV = PNG|roc.png
TIT = ROC of the probability of precipitation
LIN = 2;3/1;1/2;2/5
MAR = 2;3/4;6/1;1/1
REF = 0,0;1,1/1/2/1
