DEV = PNG|histogram.png
TIT = Distribution of the daily frequency bias, global model
LIN = 17;31
XAX = 1.045/1.155/0.01
YAX = 0/0.2
