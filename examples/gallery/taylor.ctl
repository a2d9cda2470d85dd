DEV = PNG|taylor.png
TIT = 2-m temperature, forecast hours 24 to 120
MAR = 2;3;4;5;7/4;6;7;9;16/1.4/1
