DEV = PNG|skillscore.png
LIN = 2;3/1;2/2;2/1
MAR = 2;3/4;6/1;1/1
BXW = 2/2/.05/Y
NSM = 1000
B_TEXT = 1
