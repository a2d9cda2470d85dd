DEV = PNG|scatter.png
TIT = Daily frequency bias, regional against global model
LIN = 1;2/3;1/1;2
MAR = 3/5/1.2/1
