DEV = GF|attribute.gif
LIN = 2;3/1;1/2;2
MAR = 2;3/4;6/1;1/1
