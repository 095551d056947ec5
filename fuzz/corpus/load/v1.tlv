Talvo_1
std
60
0
ett
100
1
