DEV = PNG|attribute.png
TRACE1 = Global BS=$BSC BSS=$BSK
TRACE2 = Regional BS=$BSC BSS=$BSK
LIN = 2;3/1;1/2;2
MAR = 2;3/4;6/1;1/1
HST = 22;24
TRACE3 = Global forecast use
TRACE4 = Regional forecast use
