DEV = PSC|binned.ps
LIN = 2;3/1;2/2;2/1
MAR = 2;3/4;6/1;1/1
