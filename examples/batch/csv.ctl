DEV = CSV|kor.csv
