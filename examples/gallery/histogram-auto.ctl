DEV = PNG|histogram-auto.png
TIT = Distribution of the daily frequency bias, global model (bins chosen from the data)
LIN = 17
